kv_add_test(NAME optrim_device_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SensorDeviceTest.cpp
  LIBS kv_optrim kv_platform kv_test_support
  LABELS sim)
add_dependencies(optrim_device_test sensor-sim)
