kv_add_test(NAME test_platform_basics
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/EventTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PathsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/SystemClockTest.cpp
  LIBS kv_platform
  LABELS unit)
