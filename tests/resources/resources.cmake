kv_add_test(NAME test_resources
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StringTableTest.cpp ${CMAKE_CURRENT_LIST_DIR}/GenStringsTest.cpp
  LIBS kv_resources kv_test_support
  LABELS unit)
target_compile_definitions(test_resources PRIVATE KV_GEN_STRINGS="$<TARGET_FILE:kv_gen_strings>")
add_dependencies(test_resources kv_gen_strings)
