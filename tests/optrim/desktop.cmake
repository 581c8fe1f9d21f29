# optrim as a whole program on a real X server (Xvfb) against sensor-sim. The precise run
# collects 25 points as a person would, so these tests get more time than the others.
add_executable(optrim_desktop_test ${CMAKE_CURRENT_LIST_DIR}/OptrimDesktopTest.cpp)
target_link_libraries(optrim_desktop_test PRIVATE kv_desktop_test_support kv_platform
                      GTest::gtest_main Threads::Threads)
target_compile_definitions(optrim_desktop_test PRIVATE KV_BINARY_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(optrim_desktop_test optrim sensor-sim)
gtest_discover_tests(optrim_desktop_test DISCOVERY_MODE PRE_TEST
  PROPERTIES LABELS desktop TIMEOUT 300)
