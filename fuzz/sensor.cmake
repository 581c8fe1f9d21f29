# What the optical sensor answers: feature reports to every read, 65-byte input reports.
kv_add_fuzz(fuzz_sensor_device ${CMAKE_CURRENT_LIST_DIR}/SensorDeviceFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/sensor_device
  LIBS kv_optrim)
