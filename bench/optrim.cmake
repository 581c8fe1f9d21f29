kv_add_bench(bench_optrim_calibration ${CMAKE_CURRENT_LIST_DIR}/OptrimCalibrationBench.cpp LIBS kv_optrim)
