kv_add_test(NAME sensor_sim_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SensorSimTest.cpp
  LIBS kv_platform kv_test_support
  LABELS sim)
add_dependencies(sensor_sim_test sensor-sim)
