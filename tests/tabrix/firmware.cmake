kv_add_test(NAME firmware_sim_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FirmwareSimTest.cpp
  LIBS kv_tabrix kv_platform kv_test_support
  LABELS sim)
add_dependencies(firmware_sim_test panel-sim)
