kv_add_test(NAME tabrix_memorylog_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MemoryLogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/TrafficLogTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS unit)
