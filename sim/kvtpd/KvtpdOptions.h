#pragma once
// Command line of the driver stand-in:
//   kvtpd-sim [--device NAME] [--version TEXT] [--words W1,W2,W3]
#include <cstdint>
#include <string>
#include <vector>

namespace kv::sim {

struct KvtpdOptions {
  std::string m_sDevice = "kvtpd700";
  std::string m_sVersion = "1.0.0.0";
  uint16_t m_uWords[3] = {0, 0, 0x0100};

  // False with *error set on an unknown option, a missing value or a bad value.
  static bool Parse(const std::vector<std::string>& args, KvtpdOptions* options,
                    std::string* error);
};

}  // namespace kv::sim
