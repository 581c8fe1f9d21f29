if(TARGET tabrix)
  add_executable(bench_bare_tray ${CMAKE_CURRENT_LIST_DIR}/qt/BareTrayMain.cpp)
  target_link_libraries(bench_bare_tray PRIVATE Qt6::Widgets)
  kv_add_bench(bench_tabrix_startup ${CMAKE_CURRENT_LIST_DIR}/TabrixStartupBench.cpp
    ${CMAKE_SOURCE_DIR}/tests/tabrix/SimSystem.cpp
    LIBS kv_common kv_platform kv_desktop_test_support)
  add_dependencies(bench_tabrix_startup tabrix bench_bare_tray panel-sim kvtpd-sim pansvc)
endif()
if(TARGET tabrix)
  kv_add_bench(bench_tray_rest ${CMAKE_CURRENT_LIST_DIR}/TrayIdleBench.cpp
    ${CMAKE_SOURCE_DIR}/tests/tabrix/SimSystem.cpp
    LIBS kv_common kv_platform kv_desktop_test_support)
  add_dependencies(bench_tray_rest tabrix bench_bare_tray panel-sim kvtpd-sim pansvc)
  kv_add_bench(bench_calibration_touch ${CMAKE_CURRENT_LIST_DIR}/CalibrationTouchBench.cpp
    ${CMAKE_SOURCE_DIR}/tests/tabrix/SimSystem.cpp
    LIBS kv_tabrix_qt kv_test_support)
  add_dependencies(bench_calibration_touch panel-sim kvtpd-sim pansvc)
endif()
