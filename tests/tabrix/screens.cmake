kv_add_test(NAME tabrix_screens_unit_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PropertyPagesTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ServiceModeTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/StatusDispTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS unit)
find_package(Qt6 REQUIRED COMPONENTS Test)
kv_add_test(NAME tabrix_screens_gui_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScreensGuiTest.cpp
  LIBS kv_tabrix_qt kv_test_support Qt6::Test
  LABELS gui)
set_target_properties(tabrix_screens_gui_test PROPERTIES AUTOMOC ON)
kv_add_test(NAME tabrix_screens_sim_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScreensSimTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
  LIBS kv_tabrix kv_sim_hid kv_platform kv_test_support
  LABELS sim)
add_dependencies(tabrix_screens_sim_test panel-sim kvtpd-sim pansvc)
kv_add_test(NAME tabrix_screens_desktop_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScreensDesktopTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
  LIBS kv_common kv_platform kv_desktop_test_support
  LABELS desktop)
add_dependencies(tabrix_screens_desktop_test tabrix panel-sim kvtpd-sim pansvc)
