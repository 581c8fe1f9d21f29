kv_add_test(NAME platform_ipc_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PipeTest.cpp ${CMAKE_CURRENT_LIST_DIR}/DeviceEndpointTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NamedObjectsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/LocalSocketTest.cpp
  LIBS kv_platform kv_sim_endpoint kv_test_support
  LABELS ipc)
