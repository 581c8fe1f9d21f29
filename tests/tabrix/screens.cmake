kv_add_test(NAME tabrix_screens_unit_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PropertyPagesTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ServiceModeTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/StatusDispTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS unit)
