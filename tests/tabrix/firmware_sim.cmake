kv_add_test(NAME firmware_discovery_sim_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FirmwareDiscoverySimTest.cpp
  LIBS kv_tabrix kv_sim_hid kv_platform kv_test_support
  LABELS sim)
add_dependencies(firmware_discovery_sim_test panel-sim)
kv_add_test(NAME firmware_command_sim_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FirmwareCommandSimTest.cpp
  LIBS kv_tabrix kv_platform kv_test_support
  LABELS sim)
add_dependencies(firmware_command_sim_test panel-sim)
