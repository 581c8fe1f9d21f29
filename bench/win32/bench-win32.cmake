# The Windows benchmarks: plain programs (no Google Benchmark for mingw), each against its
# bare baseline in the same run.
add_executable(kv-bench-win ${CMAKE_CURRENT_LIST_DIR}/WinBench.cpp)
target_link_libraries(kv-bench-win PRIVATE kv_platform)
