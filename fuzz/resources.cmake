# A language module: a string table file a user may put beside a program.
kv_add_fuzz(fuzz_language_module ${CMAKE_CURRENT_LIST_DIR}/LanguageModuleFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/language_module
  LIBS kv_resources)
