# panel-sim: the panel firmware's stand-in on the simulated HID bus.
add_executable(panel-sim
  ${CMAKE_CURRENT_LIST_DIR}/panel-sim/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/panel-sim/PanelControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/panel-sim/PanelFirmware.cpp
  ${CMAKE_CURRENT_LIST_DIR}/panel-sim/PanelModel.cpp)
target_link_libraries(panel-sim PRIVATE kv_sim_hid kv_sim_control)
