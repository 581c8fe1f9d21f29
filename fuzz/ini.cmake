# Arbitrary text through the profile-file reader.
kv_add_fuzz(fuzz_ini ${CMAKE_CURRENT_LIST_DIR}/IniFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/ini
  LIBS kv_platform)
