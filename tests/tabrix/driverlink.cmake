# The driver link of the tray application: model table, shared tables, pipe client.
kv_add_test(NAME tabrix_driverlink_unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ModelTableTest.cpp ${CMAKE_CURRENT_LIST_DIR}/DriverLinkTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS unit)
kv_add_test(NAME tabrix_driverlink_ipc
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SharedTablesTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS ipc)
if(TARGET pansvc AND TARGET kvtpd-sim)
  kv_add_test(NAME tabrix_driverlink_sim
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/DriverLinkSimTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
    LIBS kv_tabrix kv_test_support
    LABELS sim)
  add_dependencies(tabrix_driverlink_sim pansvc kvtpd-sim)
endif()
