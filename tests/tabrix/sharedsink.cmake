# The settings store's mirror into the shared driver table.
kv_add_test(NAME tabrix_shared_settings_sink
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SharedTableSettingsSinkTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS ipc)
