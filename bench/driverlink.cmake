if(TARGET pansvc AND TARGET kvtpd-sim)
  kv_add_bench(bench_driverlink ${CMAKE_CURRENT_LIST_DIR}/DriverLinkBench.cpp
    ${CMAKE_SOURCE_DIR}/tests/tabrix/SimSystem.cpp
    LIBS kv_tabrix kv_test_support)
  add_dependencies(bench_driverlink pansvc kvtpd-sim)
endif()
