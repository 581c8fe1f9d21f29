// Arbitrary lines on the control channel of the driver stand-in: every line gets one reply
// line, and none of them can break the model it drives.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzBytes.h"
#include "sim/kvtpd/KvtpdControl.h"
#include "sim/kvtpd/KvtpdModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::sim::CKvtpdModel model;
  kv::sim::CKvtpdControl control(model);
  model.Open();
  for (const std::string& line : kv::fuzz::Lines(std::string(reinterpret_cast<const char*>(data), size))) {
    std::string reply = control.Execute(line);
    if (reply.empty() || reply.find('\n') != std::string::npos) __builtin_trap();
  }
  model.Close();
  return 0;
}
