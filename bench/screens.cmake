kv_add_bench(bench_screens ${CMAKE_CURRENT_LIST_DIR}/ScreensBench.cpp LIBS kv_tabrix_qt)
