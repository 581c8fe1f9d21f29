# Touch reporting of the panel firmware link: the report handler with fakes, and the worker
# against panel-sim (and, for the driver's panel state, the service and its driver stand-in).
kv_add_test(NAME tabrix_touch_unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TouchReportHandlerTest.cpp
  LIBS kv_tabrix kv_platform kv_test_support
  LABELS unit)
kv_add_test(NAME tabrix_touch_sim
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TouchReportSimTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
  LIBS kv_tabrix kv_platform kv_test_support
  LABELS sim)
add_dependencies(tabrix_touch_sim panel-sim)
if(TARGET pansvc AND TARGET kvtpd-sim)
  add_dependencies(tabrix_touch_sim pansvc kvtpd-sim)
endif()
