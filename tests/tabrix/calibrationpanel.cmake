# The calibration store with the real firmware link on panel-sim, alone and together with
# the service and the driver stand-in.
if(TARGET pansvc AND TARGET kvtpd-sim AND TARGET panel-sim)
  kv_add_test(NAME tabrix_calibration_panel
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CalibrationPanelTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
    LIBS kv_tabrix kv_platform kv_test_support
    LABELS sim)
  add_dependencies(tabrix_calibration_panel pansvc kvtpd-sim panel-sim)
  target_compile_definitions(tabrix_calibration_panel PRIVATE
    KV_PRESETS_FILE="${CMAKE_SOURCE_DIR}/resources/presets.txt")
endif()
