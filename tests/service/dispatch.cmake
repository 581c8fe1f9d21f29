# The service module on a dispatcher (the Windows start path), with fakes and real pipes.
kv_add_test(NAME service_dispatch_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ServiceDispatchTest.cpp
  LIBS kv_service kv_test_support
  LABELS ipc)
