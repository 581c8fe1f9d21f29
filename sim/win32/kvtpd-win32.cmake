# The driver stand-in's model and control language; on Windows its endpoint is a named pipe.
set(kv_sim ${CMAKE_SOURCE_DIR}/sim)
add_library(kv_kvtpd_sim STATIC ${kv_sim}/kvtpd/KvtpdModel.cpp ${kv_sim}/kvtpd/KvtpdControl.cpp
            ${kv_sim}/kvtpd/KvtpdOptions.cpp)
target_link_libraries(kv_kvtpd_sim PUBLIC kv_common kv_platform)
