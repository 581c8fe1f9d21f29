kv_add_test(NAME logind_watcher_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LogindWatcherTest.cpp
  LIBS kv_platform_qt kv_test_support
  LABELS ipc)
add_dependencies(logind_watcher_test logind-sim)
