if(TARGET panel-sim)
  kv_add_bench(bench_firmware ${CMAKE_CURRENT_LIST_DIR}/FirmwareBench.cpp
    LIBS kv_tabrix kv_platform kv_test_support)
  add_dependencies(bench_firmware panel-sim)
endif()
