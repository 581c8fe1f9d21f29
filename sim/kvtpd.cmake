# kvtpd-sim: the stand-in for the kernel touch panel driver. Its logic is a library so that
# the tests can drive the state model and the control language directly.
file(GLOB kvtpd_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/kvtpd/*.cpp)
list(FILTER kvtpd_sources EXCLUDE REGEX "KvtpdMain\\.cpp$")
add_library(kv_kvtpd_sim STATIC ${kvtpd_sources})
target_link_libraries(kv_kvtpd_sim PUBLIC kv_common kv_platform kv_sim_endpoint)

add_executable(kvtpd-sim ${CMAKE_CURRENT_LIST_DIR}/kvtpd/KvtpdMain.cpp)
target_link_libraries(kvtpd-sim PRIVATE kv_kvtpd_sim kv_sim_control)
