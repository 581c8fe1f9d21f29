// Arbitrary text as "Tabrix.ini", read with the separators the string table may give
// "MsgAdrStr": the link list is never empty and every link names at least one window by
// a class or a window name when it says it does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/IniFile.h"
#include "tabrix/app/TabrixIni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the separator: the built-in one, none (then ","), or a byte.
  static const std::string kSeparators[] = {",", "", ";", ", "};
  const std::string separator =
      data[0] < 4 ? kSeparators[data[0]] : std::string(1, static_cast<char>(data[0]));
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  kv::CIniFile ini = kv::CIniFile::FromText(text);
  kv::CTabrixIni read = kv::CTabrixIni::Read(ini, separator);
  if (read.Links().empty()) __builtin_trap();
  for (const kv::PenSoftwareLink& link : read.Links()) {
    if (link.m_bUseClass > 1 || link.m_bUseWindow > 1) __builtin_trap();
  }
  // Every number rule on the input's own first line.
  const std::string first = text.substr(0, text.find('\n'));
  (void)kv::CTabrixIni::ToInt(first);
  uint32_t messages[3] = {};
  (void)kv::CTabrixIni::ParseMessages(first, separator, messages);
  std::string inner;
  if (kv::CTabrixIni::InParentheses(first, &inner) && inner.size() + 2 != first.size())
    __builtin_trap();
  return 0;
}
