# The control channel server and stop-signal handling every stand-in shares.
add_library(kv_sim_control STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ControlChannelServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StopSignals.cpp)
target_link_libraries(kv_sim_control PUBLIC kv_common)
