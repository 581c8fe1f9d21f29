#include "tabrix/app/LanguageList.h"

#include <cctype>
#include <new>

namespace kv {

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool CLanguageList::ParseLangId(const std::string& text, uint16_t* langId) {
  uint32_t value = 0;
  for (char c : text) {
    int d = HexDigit(c);
    if (d < 0) break;
    value = value * 16u + static_cast<uint32_t>(d);
    // Stop before the accumulator can wrap back into range.
    if (value >= 0x10000u) return false;
  }
  *langId = static_cast<uint16_t>(value);
  return true;
}

bool CLanguageList::Load(const CIniFile& ini) {
  m_entries.clear();
  try {
    for (uint32_t i = 1;; ++i) {
      const std::string name = ini.GetString("LANGUAGE", "Language" + std::to_string(i), "");
      if (name.empty()) break;
      if (name.size() > LanguageEntry::MAX_NAME_LENGTH || Find(name) != nullptr) continue;
      LanguageEntry entry;
      entry.m_sName = name;
      uint16_t langId = 0;
      if (ParseLangId(ini.GetString(name, "LANGID", ""), &langId)) entry.m_uLangId = langId;
      std::string file = ini.GetString(name, "ResourceFileName", "");
      if (file.size() <= LanguageEntry::MAX_RESOURCE_FILE_LENGTH) entry.m_sResourceFileName = file;
      m_entries.push_back(std::move(entry));
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

const LanguageEntry* CLanguageList::Find(const std::string& name) const {
  for (const LanguageEntry& e : m_entries) {
    if (EqualNoCase(e.m_sName, name)) return &e;
  }
  return nullptr;
}

}  // namespace kv
