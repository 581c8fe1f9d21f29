kv_add_test(NAME control_channel_server_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ControlChannelServerTest.cpp
  LIBS kv_sim_control kv_test_support
  LABELS ipc)
