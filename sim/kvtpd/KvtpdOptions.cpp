#include "sim/kvtpd/KvtpdOptions.h"

#include "sim/kvtpd/KvtpdControl.h"

namespace kv::sim {

bool KvtpdOptions::Parse(const std::vector<std::string>& args, KvtpdOptions* o,
                         std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a != "--device" && a != "--version" && a != "--words") {
      *error = "unknown option " + a;
      return false;
    }
    if (i + 1 >= args.size()) {
      *error = a + " needs a value";
      return false;
    }
    const std::string& v = args[++i];
    if (a == "--device") {
      // The name becomes a file name under run/dev: no folders, nothing hidden.
      if (v.empty() || v.size() > 64 || v.find_first_of("/\\") != std::string::npos ||
          v[0] == '.') {
        *error = "bad device name";
        return false;
      }
      o->m_sDevice = v;
    } else if (a == "--version") {
      if (v.size() > 15) {
        *error = "version text longer than 15 characters";
        return false;
      }
      o->m_sVersion = v;
    } else {
      size_t start = 0;
      for (int w = 0; w < 3; ++w) {
        size_t comma = v.find(',', start);
        bool last = w == 2;
        if (last != (comma == std::string::npos)) {
          *error = "--words needs three numbers W1,W2,W3";
          return false;
        }
        auto n = CKvtpdControl::ParseNumber(
            std::string_view(v).substr(start, last ? std::string::npos : comma - start), 0,
            0xFFFF);
        if (!n) {
          *error = "bad word in --words";
          return false;
        }
        o->m_uWords[w] = static_cast<uint16_t>(*n);
        start = comma + 1;
      }
    }
  }
  return true;
}

}  // namespace kv::sim
