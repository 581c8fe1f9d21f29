# The server side of a device endpoint: only the driver stand-in takes a driver's place, so
# it lives with the stand-ins rather than in the OS boundary the programs use.
add_library(kv_sim_endpoint STATIC ${CMAKE_CURRENT_LIST_DIR}/DeviceEndpointServer.cpp)
target_link_libraries(kv_sim_endpoint PUBLIC kv_platform kv_common)
