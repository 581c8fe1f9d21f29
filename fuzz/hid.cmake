# What HID devices hand us: report descriptors (real devices) and announcement files
# (the simulated bus).
kv_add_fuzz(fuzz_hid_report_descriptor ${CMAKE_CURRENT_LIST_DIR}/HidReportDescriptorFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/hid_report_descriptor
  LIBS kv_platform)
kv_add_fuzz(fuzz_sim_hid_descriptor ${CMAKE_CURRENT_LIST_DIR}/SimHidDescriptorFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/sim_hid_descriptor
  LIBS kv_platform)
