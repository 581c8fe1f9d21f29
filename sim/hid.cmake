# Device side of the simulated HID bus, shared by the stand-ins that sit on it.
add_library(kv_sim_hid STATIC ${CMAKE_CURRENT_LIST_DIR}/SimHidDevice.cpp)
target_link_libraries(kv_sim_hid PUBLIC kv_platform kv_common)
