# The tray application's outside inputs: the panel firmware's input reports, and the ini
# files beside the program (model.ini, Tabrix.ini, language.ini).
kv_add_fuzz(fuzz_panel_report ${CMAKE_CURRENT_LIST_DIR}/PanelReportFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/panel_report
  LIBS kv_tabrix)
kv_add_fuzz(fuzz_model_ini ${CMAKE_CURRENT_LIST_DIR}/ModelIniFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/model_ini
  LIBS kv_tabrix)
kv_add_fuzz(fuzz_tabrix_ini ${CMAKE_CURRENT_LIST_DIR}/TabrixIniFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/tabrix_ini
  LIBS kv_tabrix)
kv_add_fuzz(fuzz_language_ini ${CMAKE_CURRENT_LIST_DIR}/LanguageIniFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/language_ini
  LIBS kv_tabrix)
# Texts other programs set as the command window's text.
kv_add_fuzz(fuzz_command_window ${CMAKE_CURRENT_LIST_DIR}/CommandWindowFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/command_window
  LIBS kv_tabrix)
