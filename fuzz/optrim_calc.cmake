# Arbitrary text through optrim-calc's parser and the calibration computation.
kv_add_fuzz(fuzz_optrim_calc ${CMAKE_CURRENT_LIST_DIR}/OptrimCalcFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/optrim_calc
  LIBS kv_optrim)
# optrim's settings file and start arguments, as the program reads them.
kv_add_fuzz(fuzz_optrim_settings ${CMAKE_CURRENT_LIST_DIR}/OptrimSettingsFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/optrim_settings
  LIBS kv_optrim)
