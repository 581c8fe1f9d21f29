# tabrix-presets: installs resources/presets.txt (built in) into the machine hive.
set(kv_presets_file ${CMAKE_SOURCE_DIR}/resources/presets.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${kv_presets_file})
file(READ ${kv_presets_file} kv_presets_text)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/generated/tabrix/presets/PresetsText.h.in
  "#pragma once\nnamespace kv {\ninline constexpr const char* kPresetsText = R\"KVPRESETS(${kv_presets_text})KVPRESETS\";\n}\n")
configure_file(${CMAKE_CURRENT_BINARY_DIR}/generated/tabrix/presets/PresetsText.h.in
  ${CMAKE_CURRENT_BINARY_DIR}/generated/tabrix/presets/PresetsText.h COPYONLY)
add_executable(tabrix-presets ${CMAKE_CURRENT_SOURCE_DIR}/presets/PresetsMain.cpp)
target_include_directories(tabrix-presets PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(tabrix-presets PRIVATE kv_tabrix)
