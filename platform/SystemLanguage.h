#pragma once
// GetSystemDefaultUILanguage: the LANGID of the session's user-interface language.
// Posix: from LC_ALL, LC_MESSAGES or LANG ("ja_JP.UTF-8" gives 0x0411); 0x0409 (English,
// United States) when none is set or the language is not one we know.
#include <cstdint>
#include <string>

namespace kv {

class CSystemLanguage {
 public:
  static uint16_t DefaultUiLanguage();
  // The LANGID of a POSIX locale name; 0 when unknown.
  static uint16_t LangIdOfLocale(const std::string& locale);
};

}  // namespace kv
