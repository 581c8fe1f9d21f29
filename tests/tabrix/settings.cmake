kv_add_test(NAME tabrix_memorylog_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MemoryLogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/TrafficLogTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS unit)
kv_add_test(NAME tabrix_settings_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SettingsStoreTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS unit)
kv_add_test(NAME tabrix_sysparams_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileSystemParametersTest.cpp
  LIBS kv_platform kv_test_support
  LABELS ipc)
kv_add_test(NAME tabrix_settings_hive_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SettingsHiveTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS ipc)
kv_add_test(NAME tabrix_ini_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TabrixIniTest.cpp
  LIBS kv_tabrix
  LABELS unit)
