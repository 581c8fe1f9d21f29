# The registry rules table (shared with the Windows build) on the SQLite backend.
kv_add_test(NAME platform_registry_rules_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RegistryRulesTest.cpp
  LIBS kv_platform kv_test_support
  LABELS ipc)
