kv_add_test(NAME sim_hid_burst_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SimHidBurstTest.cpp
  LIBS kv_sim_hid kv_platform kv_test_support
  LABELS ipc)
