#include "tabrix/firmware/TrafficLog.h"

#include <cstdio>

#include "tabrix/driverlink/MemoryLog.h"

namespace kv {

std::string CTrafficLog::FormatLine(const LocalTime& t, char direction, const uint8_t* report,
                                    size_t length) {
  static const char kHex[] = "0123456789abcdef";
  char stamp[64];
  size_t n = CMemoryLog::FormatTime(t, ' ', stamp, sizeof stamp);
  std::string line;
  line.reserve(n + 2 + length * 3 + 1);
  line.append(stamp, n);
  line.push_back(direction);
  for (size_t i = 0; i < length; ++i) {
    line.push_back(' ');
    line.push_back(kHex[report[i] >> 4]);
    line.push_back(kHex[report[i] & 0xF]);
  }
  line.push_back('\n');
  return line;
}

bool CTrafficLog::Write(const std::string& file, char direction, const uint8_t* report,
                        size_t length) {
  if (report == nullptr || file.empty()) return false;
  std::string line = FormatLine(m_clock.Now(), direction, report, length);
  std::FILE* f = std::fopen(file.c_str(), "a");
  if (f == nullptr) return false;
  // One write per line: two port threads appending at once still give whole lines.
  bool ok = std::fwrite(line.data(), 1, line.size(), f) == line.size();
  if (std::fclose(f) != 0) ok = false;
  return ok;
}

}  // namespace kv
