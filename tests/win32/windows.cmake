# The tests of the Windows build: the OS-neutral logic, unchanged, and the win32 backend.
set(kv_t ${CMAKE_SOURCE_DIR}/tests)
kv_add_test(NAME test_common
  SOURCES ${kv_t}/common/PipeRequestTest.cpp ${kv_t}/common/RecordsTest.cpp
          ${kv_t}/common/SettingsMergeTest.cpp
  LIBS kv_common
  LABELS unit)
kv_add_test(NAME service_unit_test
  SOURCES ${kv_t}/service/RequestHandlerTest.cpp ${kv_t}/service/ServiceCommandLineTest.cpp
          ${kv_t}/service/KvtpdModelTest.cpp
  LIBS kv_service kv_kvtpd_sim
  LABELS unit)
kv_add_test(NAME test_platform_basics
  SOURCES ${kv_t}/platform/EventTest.cpp ${kv_t}/platform/SystemClockTest.cpp
  LIBS kv_platform
  LABELS unit)
kv_add_test(NAME platform_ini_test
  SOURCES ${kv_t}/platform/IniFileTest.cpp
  LIBS kv_platform kv_test_support
  LABELS unit)
kv_add_test(NAME test_resources
  SOURCES ${kv_t}/resources/StringTableTest.cpp
  LIBS kv_resources kv_test_support
  LABELS unit)
kv_add_test(NAME tabrix_settings_test
  SOURCES ${kv_t}/tabrix/SettingsStoreTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS unit)
kv_add_test(NAME tabrix_ini_test
  SOURCES ${kv_t}/tabrix/TabrixIniTest.cpp
  LIBS kv_tabrix
  LABELS unit)
kv_add_test(NAME tabrix_memorylog_test
  SOURCES ${kv_t}/tabrix/MemoryLogTest.cpp ${kv_t}/tabrix/TrafficLogTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS unit)
kv_add_test(NAME tabrix_driverlink_unit
  SOURCES ${kv_t}/tabrix/ModelTableTest.cpp ${kv_t}/tabrix/DriverLinkTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS unit)
kv_add_test(NAME optrim_calibration_test
  SOURCES ${kv_t}/optrim/MulDivTest.cpp ${kv_t}/optrim/SensorCalBlockTest.cpp
          ${kv_t}/optrim/SensorCalibrationTest.cpp
  LIBS kv_optrim
  LABELS unit)
kv_add_test(NAME optrim_settings_test
  SOURCES ${kv_t}/optrim/SettingsTest.cpp
  LIBS kv_optrim
  LABELS unit)

# The win32 backend against the system's own objects.
file(GLOB kv_win32_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*Test.cpp)
list(FILTER kv_win32_test_sources EXCLUDE REGEX "SystemTest\\.cpp$")
if(kv_win32_test_sources)
  kv_add_test(NAME platform_win32_test
    SOURCES ${kv_win32_test_sources}
    LIBS kv_platform kv_common kv_kvtpd_endpoint kv_test_support
    LABELS ipc)
endif()

# The service under the service control manager, with the driver stand-in: machine-wide
# names, so it runs alone.
add_executable(pansvc_wine_system_test ${CMAKE_CURRENT_LIST_DIR}/PansvcWineSystemTest.cpp
               ${CMAKE_CURRENT_LIST_DIR}/WinProcess.cpp)
target_link_libraries(pansvc_wine_system_test PRIVATE kv_service GTest::gtest_main)
add_dependencies(pansvc_wine_system_test pansvc kvtpd-sim)
gtest_discover_tests(pansvc_wine_system_test DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS sim TIMEOUT 300 RUN_SERIAL TRUE)
kv_add_test(NAME tabrix_calibration_geometry_test
  SOURCES ${kv_t}/tabrix/CalibrationGeometryTest.cpp
  LIBS kv_tabrix
  LABELS unit)
