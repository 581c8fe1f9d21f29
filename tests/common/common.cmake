kv_add_test(NAME test_common
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PipeRequestTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/RecordsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/SettingsMergeTest.cpp
  LIBS kv_common
  LABELS unit)
