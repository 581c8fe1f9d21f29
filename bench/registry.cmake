# Registry read cost against a raw SQLite read.
kv_add_bench(registry_bench ${CMAKE_CURRENT_LIST_DIR}/RegistryReadBench.cpp LIBS kv_platform)
