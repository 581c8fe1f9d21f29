kv_add_test(NAME optrim_calibration_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MulDivTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/SensorCalBlockTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/SensorCalibrationTest.cpp
  LIBS kv_optrim
  LABELS unit)
