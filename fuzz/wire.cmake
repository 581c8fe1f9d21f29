# Framing between the programs and the hardware stand-ins: device endpoint messages (both
# ends, the driver stand-in's model behind them) and simulated HID bus frames (both ends,
# the panel and sensor firmware behind the device end).
kv_add_fuzz(fuzz_device_endpoint ${CMAKE_CURRENT_LIST_DIR}/DeviceEndpointFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/device_endpoint
  LIBS kv_platform kv_kvtpd_sim)
kv_add_fuzz(fuzz_sim_hid_frame ${CMAKE_CURRENT_LIST_DIR}/SimHidFrameFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/sim_hid_frame
  LIBS kv_platform
  SOURCES ${CMAKE_SOURCE_DIR}/sim/panel-sim/PanelFirmware.cpp
          ${CMAKE_SOURCE_DIR}/sim/panel-sim/PanelModel.cpp
          ${CMAKE_SOURCE_DIR}/sim/sensor-sim/SensorFirmware.cpp)
