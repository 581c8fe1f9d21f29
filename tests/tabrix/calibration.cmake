# The calibration store: presets, user calibrations, driver and firmware hand-over.
kv_add_test(NAME tabrix_calibration_store
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CalibrationStoreTest.cpp
  LIBS kv_tabrix kv_test_support
  LABELS ipc)
target_compile_definitions(tabrix_calibration_store PRIVATE
  KV_PRESETS_FILE="${CMAKE_SOURCE_DIR}/resources/presets.txt")
if(TARGET pansvc AND TARGET kvtpd-sim)
  kv_add_test(NAME tabrix_calibration_sim
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CalibrationSimTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SimSystem.cpp
    LIBS kv_tabrix kv_test_support
    LABELS sim)
  add_dependencies(tabrix_calibration_sim pansvc kvtpd-sim)
  target_compile_definitions(tabrix_calibration_sim PRIVATE
    KV_PRESETS_FILE="${CMAKE_SOURCE_DIR}/resources/presets.txt")
endif()
