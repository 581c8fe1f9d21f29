kv_add_test(NAME service_unit_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RequestHandlerTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ServiceCommandLineTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/KvtpdModelTest.cpp
  LIBS kv_service kv_kvtpd_sim
  LABELS unit)

kv_add_test(NAME service_system_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PansvcSystemTest.cpp
  LIBS kv_service kv_test_support
  LABELS sim)

kv_add_test(NAME service_host_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PansvcHostTest.cpp
  LIBS kv_service kv_test_support
  LABELS ipc)
