# Pipe messages through the service's control request handler.
kv_add_fuzz(fuzz_service_control ${CMAKE_CURRENT_LIST_DIR}/ServiceControlFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/service_control
  LIBS kv_service)
