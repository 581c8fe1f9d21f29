# The control channel server every stand-in serves its commands through.
add_library(kv_sim_control STATIC ${CMAKE_CURRENT_LIST_DIR}/ControlChannelServer.cpp)
target_link_libraries(kv_sim_control PUBLIC kv_common)
