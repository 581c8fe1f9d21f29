kv_add_test(NAME optrim_ui_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TouchSampleTrackerTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/MarkLayoutTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/CalScreenTest.cpp
  LIBS kv_optrim
  LABELS unit)
kv_add_test(NAME optrim_windows_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SensorWindowTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/TevraStartTest.cpp
  LIBS kv_optrim kv_test_support
  LABELS unit)
