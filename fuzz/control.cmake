# The stand-ins' control channel lines (tests and the demo type them).
kv_add_fuzz(fuzz_kvtpd_control ${CMAKE_CURRENT_LIST_DIR}/KvtpdControlFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/kvtpd_control
  LIBS kv_kvtpd_sim)
kv_add_fuzz(fuzz_panel_control ${CMAKE_CURRENT_LIST_DIR}/PanelControlFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/panel_control
  LIBS kv_sim_hid
  SOURCES ${CMAKE_SOURCE_DIR}/sim/panel-sim/PanelControl.cpp
          ${CMAKE_SOURCE_DIR}/sim/panel-sim/PanelFirmware.cpp
          ${CMAKE_SOURCE_DIR}/sim/panel-sim/PanelModel.cpp)
kv_add_fuzz(fuzz_sensor_control ${CMAKE_CURRENT_LIST_DIR}/SensorControlFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/sensor_control
  LIBS kv_sim_hid
  SOURCES ${CMAKE_SOURCE_DIR}/sim/sensor-sim/SensorControl.cpp
          ${CMAKE_SOURCE_DIR}/sim/sensor-sim/SensorFirmware.cpp)
