#pragma once
// printf-style formatting of string-table texts that carry one number.
#include <cstdio>
#include <string>

namespace kv {

template <typename... Args>
std::string FormatText(const std::string& format, Args... args) {
  char buffer[512];
  // The formats come from our own string table; the result is cut at the buffer's end.
  std::snprintf(buffer, sizeof buffer, format.c_str(), args...);
  return buffer;
}

}  // namespace kv
