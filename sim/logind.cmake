# logind-sim: logind's manager on a private system bus, for the tray program's power and
# session notices.
add_executable(logind-sim ${CMAKE_CURRENT_LIST_DIR}/logind-sim/qt/LogindSimMain.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/logind-sim/qt/LogindManager.h)
target_link_libraries(logind-sim PRIVATE kv_sim_control Qt6::DBus)
set_target_properties(logind-sim PROPERTIES AUTOMOC ON)
