kv_add_test(NAME panel_sim_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PanelSimTest.cpp
  LIBS kv_platform kv_test_support
  LABELS sim)
add_dependencies(panel_sim_test panel-sim)
