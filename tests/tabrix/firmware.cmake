kv_add_test(NAME firmware_sim_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FirmwareSimTest.cpp
  LIBS kv_tabrix kv_platform kv_test_support
  LABELS sim)
add_dependencies(firmware_sim_test panel-sim)
# The firmware link's pieces without a panel: the worker's state machine on a fake clock
# and the report decoder on recorded reports.
kv_add_test(NAME firmware_unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FirmwareWorkerMachineTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/FirmwareReportDecoderTest.cpp
  LIBS kv_tabrix kv_platform kv_test_support
  LABELS unit)
