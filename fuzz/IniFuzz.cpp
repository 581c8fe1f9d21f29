// Feeds arbitrary bytes to the profile-file reader and looks up the names the real
// callers use plus names taken from the input itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  kv::CIniFile ini = kv::CIniFile::FromText(text);
  static const char* const kLookups[][2] = {
      {"MODEL", "Model1"},          {"VT-R900A", "VendorID"},   {"CALIBRATION_DATA_GEN", "marginX0"},
      {"LANGUAGE", "Language1"},    {"Common", "DriverMode"},   {"OtherPenSoft", "ClassName"},
      {"", ""},
  };
  // Each lookup scans the whole file: one capacity per name (0, 1 and 260 in turn) keeps
  // an input to a few scans.
  static const size_t kCapacities[] = {0, 1, 260};
  size_t n = 0;
  for (const auto& lookup : kLookups) {
    const size_t capacity = kCapacities[n++ % 3];
    std::string value = ini.GetString(lookup[0], lookup[1], "default ", capacity);
    if (capacity > 0 && value.size() >= capacity) __builtin_trap();
    (void)ini.GetInt(lookup[0], lookup[1], -1);
  }
  // Names from the input: the first line as a section, the second as a key.
  size_t first = text.find('\n');
  std::string section = text.substr(0, first);
  std::string key = first == std::string::npos ? std::string() : text.substr(first + 1, 64);
  (void)ini.GetString(section, key, std::string(), 16);
  (void)ini.GetInt(section, key, 0);
  (void)ini.HasKey(section, key);
  return 0;
}
