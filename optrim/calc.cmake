# optrim-calc: offline replay of recorded calibration touches for field engineers.
add_executable(optrim-calc ${CMAKE_CURRENT_LIST_DIR}/tools/OptrimCalcMain.cpp)
target_link_libraries(optrim-calc PRIVATE kv_optrim)
