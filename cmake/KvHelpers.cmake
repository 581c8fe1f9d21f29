# kv_add_test(NAME <target> SOURCES <files...> LIBS <libs...> LABELS <unit|ipc|sim|gui>)
# Builds one GoogleTest program and registers each of its tests with CTest.
function(kv_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
  # Integration tests find the programs they start through this define.
  target_compile_definitions(${T_NAME} PRIVATE KV_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # The desktop's system libraries keep one-time allocations that LeakSanitizer reports:
  # ctest run by hand in a sanitizer build suppresses them as scripts/test.sh does.
  set(env)
  if(KV_SANITIZE)
    set(env ENVIRONMENT
        "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support/lsan.supp:print_suppressions=0")
  endif()
  # Listing the tests can take a while where each program starts under an emulator (Wine).
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}" TIMEOUT 120 ${env})
endfunction()

# kv_qt_target(<target>): the target holds Qt views (moc runs on its headers).
function(kv_qt_target target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  target_link_libraries(${target} PUBLIC Qt6::Widgets)
endfunction()
