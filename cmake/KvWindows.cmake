# What the Windows build needs besides the compiler: GoogleTest built from Debian's
# sources (there is no mingw package of it), and an emulator for the tests.
set(KV_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
if(NOT EXISTS ${KV_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found at ${KV_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
# Our -Werror must not judge GoogleTest's own code.
set(kv_saved_options ${CMAKE_CXX_FLAGS})
add_subdirectory(${KV_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
  target_compile_options(${t} PRIVATE -Wno-error)
endforeach()
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  message(WARNING "No Wine found: the Windows tests build but CTest cannot run them")
endif()
# The Windows headers: no min/max macros, ANSI entry points, Windows 7 API level.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
