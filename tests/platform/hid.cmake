kv_add_test(NAME hid_descriptor_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HidDescriptorTest.cpp
  LIBS kv_platform
  LABELS unit)
kv_add_test(NAME sim_hid_bus_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SimHidBusTest.cpp
  LIBS kv_sim_hid kv_platform kv_test_support
  LABELS ipc)
