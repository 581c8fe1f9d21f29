kv_add_test(NAME optrim_calibration_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MulDivTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/SensorCalBlockTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/SensorCalibrationTest.cpp
  LIBS kv_optrim
  LABELS unit)
kv_add_test(NAME optrim_settings_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SettingsTest.cpp
  LIBS kv_optrim
  LABELS unit)
# optrim-calc as a real process on standard input, plus its input parser.
kv_add_test(NAME optrim_calc_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CalcToolTest.cpp
  LIBS kv_optrim kv_test_support
  LABELS unit)
add_dependencies(optrim_calc_test optrim-calc)
