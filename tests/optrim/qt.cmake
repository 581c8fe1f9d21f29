kv_add_test(NAME optrim_views_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/OptrimViewsTest.cpp
  LIBS kv_optrim_qt
  LABELS gui)
