# The registry backend runs against real SQLite files under a temporary prefix; the tests
# also build foreign and damaged databases themselves, hence their own sqlite3 link.
pkg_check_modules(KV_REGISTRY_TEST_SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
kv_add_test(NAME platform_registry_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SqliteRegistryTest.cpp
  LIBS kv_platform kv_test_support PkgConfig::KV_REGISTRY_TEST_SQLITE3
  LABELS ipc)

# The profile-file rules are plain logic and run everywhere.
kv_add_test(NAME platform_ini_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/IniFileTest.cpp
  LIBS kv_platform kv_test_support
  LABELS unit)
