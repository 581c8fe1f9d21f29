if(TARGET pansvc AND TARGET kvtpd-sim)
  kv_add_bench(bench_service ${CMAKE_CURRENT_LIST_DIR}/ServiceRequestBench.cpp
    ${CMAKE_SOURCE_DIR}/tests/tabrix/SimSystem.cpp
    LIBS kv_common kv_platform kv_test_support)
  add_dependencies(bench_service pansvc kvtpd-sim)
endif()
