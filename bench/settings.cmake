kv_add_bench(bench_settings ${CMAKE_CURRENT_LIST_DIR}/SettingsBench.cpp LIBS kv_tabrix)
