#pragma once
// The user-interface languages offered in "language.ini" beside the program: section
// "LANGUAGE" lists the names ("Language1", "Language2", ...), and a section of each name
// gives its LANGID and the language module file.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/IniFile.h"

namespace kv {

struct LanguageEntry {
  static constexpr size_t MAX_NAME_LENGTH = 63;
  static constexpr size_t MAX_RESOURCE_FILE_LENGTH = 258;

  std::string m_sName;              // at most MAX_NAME_LENGTH characters
  uint16_t m_uLangId = 0;           // 0 when missing or out of range
  std::string m_sResourceFileName;  // at most MAX_RESOURCE_FILE_LENGTH characters, "" when too long
};

class CLanguageList {
 public:
  static constexpr const char* FILE_NAME = "language.ini";

  // Builds the list; false only when memory ran out (the list then holds what was read).
  bool Load(const CIniFile& ini);

  const std::vector<LanguageEntry>& Entries() const { return m_entries; }
  // The entry of that name (compared without regard to case), or null.
  const LanguageEntry* Find(const std::string& name) const;

  // Hexadecimal digits up to the first other character; false when the value does not fit
  // 16 bits.
  static bool ParseLangId(const std::string& text, uint16_t* langId);

 private:
  std::vector<LanguageEntry> m_entries;
};

}  // namespace kv
