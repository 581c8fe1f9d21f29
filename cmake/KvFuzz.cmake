# Instrumentation of a fuzz build (KV_FUZZ, clang only).
#
# A fuzz target's harness is a few lines; the parsing it is for lives in the libraries it
# links. libFuzzer steers by the coverage counters the compiler puts into the code, so every
# library a fuzz target reaches must carry them (-fsanitize=fuzzer-no-link) and ASan/UBSan,
# or the fuzzer mutates blind and "no crash" means nothing.

# The sanitizers of a fuzz build, for the harness and for every library it reaches.
function(kv_fuzz_sanitize_flags out)
  set(${out} -fsanitize=address,undefined -fno-sanitize-recover=undefined
             -fno-omit-frame-pointer PARENT_SCOPE)
endfunction()

# kv_fuzz_register(<target> <corpus dir>): remembered for the instrumentation pass and for
# scripts/fuzz.sh, which reads the list from fuzz_targets.txt in the build folder.
function(kv_fuzz_register target corpus)
  set_property(GLOBAL APPEND PROPERTY KV_FUZZ_TARGETS ${target})
  set_property(GLOBAL APPEND PROPERTY KV_FUZZ_LINES "${target} ${corpus}")
endfunction()

# Libraries of this project that <target> links, directly or through other libraries.
function(kv_fuzz_link_closure target out)
  set(seen)
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo current)
    get_target_property(libs ${current} LINK_LIBRARIES)
    if(NOT libs)
      continue()
    endif()
    foreach(lib ${libs})
      if(NOT TARGET ${lib})
        continue()
      endif()
      get_target_property(aliased ${lib} ALIASED_TARGET)
      if(aliased)
        set(lib ${aliased})
      endif()
      get_target_property(imported ${lib} IMPORTED)
      get_target_property(type ${lib} TYPE)
      if(imported OR NOT type MATCHES "^(STATIC|SHARED|OBJECT|MODULE)_LIBRARY$")
        continue()
      endif()
      if(NOT lib IN_LIST seen)
        list(APPEND seen ${lib})
        list(APPEND todo ${lib})
      endif()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Runs once every folder has defined its targets (deferred to the end of the top folder):
# instruments each library in the link closure of a fuzz target, adds the CTest check that
# they carry coverage counters, and writes the list of targets for scripts/fuzz.sh.
function(kv_fuzz_instrument_all)
  get_property(targets GLOBAL PROPERTY KV_FUZZ_TARGETS)
  set(instrumented)
  foreach(t ${targets})
    kv_fuzz_link_closure(${t} libs)
    foreach(lib ${libs})
      if(NOT lib IN_LIST instrumented)
        list(APPEND instrumented ${lib})
      endif()
    endforeach()
  endforeach()
  kv_fuzz_sanitize_flags(sanitize)
  foreach(lib ${instrumented})
    target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link ${sanitize})
    # Whatever else links the library (tests, programs) needs the sanitizer runtimes, which
    # also stand in for libFuzzer's coverage callbacks outside a fuzz target.
    target_link_options(${lib} INTERFACE -fsanitize=address,undefined)
  endforeach()

  set(files)
  foreach(lib ${instrumented})
    list(APPEND files "$<TARGET_FILE:${lib}>")
  endforeach()
  string(REPLACE ";" "|" files "${files}")
  add_test(NAME fuzz_coverage_guards
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} "-DLIBRARIES=${files}"
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckCoverageGuards.cmake)
  set_tests_properties(fuzz_coverage_guards PROPERTIES LABELS unit TIMEOUT 60)

  get_property(lines GLOBAL PROPERTY KV_FUZZ_LINES)
  string(REPLACE ";" "\n" lines "${lines}")
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${lines}\n")
  list(LENGTH instrumented n)
  message(STATUS "Fuzz build: ${n} libraries instrumented: ${instrumented}")
endfunction()

if(KV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KV_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL kv_fuzz_instrument_all)
endif()
