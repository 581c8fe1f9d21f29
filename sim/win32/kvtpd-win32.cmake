# The driver stand-in's model and control language; on Windows its endpoint is a named pipe.
set(kv_sim ${CMAKE_SOURCE_DIR}/sim)
add_library(kv_kvtpd_sim STATIC ${kv_sim}/kvtpd/KvtpdModel.cpp ${kv_sim}/kvtpd/KvtpdControl.cpp
            ${kv_sim}/kvtpd/KvtpdOptions.cpp)
target_link_libraries(kv_kvtpd_sim PUBLIC kv_common kv_platform)

# The endpoint and control channel on named pipes, and the stand-in program.
add_library(kv_kvtpd_endpoint STATIC ${kv_sim}/kvtpd/KvtpdEndpoint.cpp ${CMAKE_CURRENT_LIST_DIR}/DeviceEndpointServer.cpp
            ${CMAKE_CURRENT_LIST_DIR}/PipeLineServer.cpp)
target_link_libraries(kv_kvtpd_endpoint PUBLIC kv_kvtpd_sim)
add_executable(kvtpd-sim ${CMAKE_CURRENT_LIST_DIR}/KvtpdWinMain.cpp)
target_link_libraries(kvtpd-sim PRIVATE kv_kvtpd_endpoint)
