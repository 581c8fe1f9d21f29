kv_add_test(NAME tabrix_startup_unit_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StartupLogicTest.cpp
  LIBS kv_tabrix
  LABELS unit)
kv_add_test(NAME tabrix_startup_sim_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StartupSimTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
  LIBS kv_tabrix kv_sim_hid kv_platform kv_test_support
  LABELS sim)
add_dependencies(tabrix_startup_sim_test panel-sim kvtpd-sim pansvc)
kv_add_test(NAME tabrix_desktop_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TabrixDesktopTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
  LIBS kv_common kv_platform kv_desktop_test_support
  LABELS desktop)
add_dependencies(tabrix_desktop_test tabrix pen-peer panel-sim kvtpd-sim pansvc)
kv_add_test(NAME tabrix_tray_unit_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrayLogicTest.cpp
  LIBS kv_tabrix kv_platform_x11
  LABELS unit)
kv_add_test(NAME tabrix_tray_sim_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TraySimTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
  LIBS kv_tabrix kv_sim_hid kv_platform kv_test_support
  LABELS sim)
add_dependencies(tabrix_tray_sim_test panel-sim kvtpd-sim pansvc)
kv_add_test(NAME tabrix_change_display_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChangeDisplayTest.cpp
  LIBS kv_tabrix kv_platform kv_test_support
  LABELS unit)
find_package(Qt6 REQUIRED COMPONENTS Test)
kv_add_test(NAME tabrix_change_display_gui_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChangeDisplayGuiTest.cpp
  LIBS kv_tabrix_qt Qt6::Test
  LABELS gui)
kv_add_test(NAME tabrix_calibration_geometry_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CalibrationGeometryTest.cpp
  LIBS kv_tabrix
  LABELS unit)
kv_add_test(NAME tabrix_calibration_flow_sim_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CalibrationFlowSimTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
  LIBS kv_tabrix kv_sim_hid kv_platform kv_test_support
  LABELS sim)
add_dependencies(tabrix_calibration_flow_sim_test panel-sim kvtpd-sim pansvc)
kv_add_test(NAME tabrix_calibration_desktop_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CalibrationDesktopTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
  LIBS kv_tabrix kv_platform kv_desktop_test_support
  LABELS desktop)
add_dependencies(tabrix_calibration_desktop_test tabrix panel-sim kvtpd-sim pansvc)
kv_add_test(NAME tabrix_session_desktop_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SessionDesktopTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
  LIBS kv_common kv_platform kv_desktop_test_support
  LABELS desktop)
add_dependencies(tabrix_session_desktop_test tabrix pen-peer logind-sim panel-sim kvtpd-sim pansvc)
