#include "optrim/calibration/TextFormat.h"

namespace kv {

std::string FormatText(std::string_view format, std::initializer_list<std::string> args) {
  std::string out;
  out.reserve(format.size() + 16);
  auto next = args.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      char k = format[i + 1];
      if (k == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
      if (k == 'd' || k == 's') {
        if (next != args.end()) out += *next++;
        ++i;
        continue;
      }
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace kv
