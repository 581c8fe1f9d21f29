# sensor-sim: the optical touch sensor's stand-in on the simulated HID bus.
add_executable(sensor-sim
  ${CMAKE_CURRENT_LIST_DIR}/sensor-sim/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sensor-sim/SensorControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sensor-sim/SensorFirmware.cpp)
target_link_libraries(sensor-sim PRIVATE kv_sim_hid kv_sim_control)
