// Arbitrary text as "language.ini": the list keeps names and module file names inside
// their limits, holds each name once (whatever its case) and finds every entry by name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/IniFile.h"
#include "tabrix/app/LanguageList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  kv::CLanguageList list;
  if (!list.Load(kv::CIniFile::FromText(text))) __builtin_trap();
  for (const kv::LanguageEntry& e : list.Entries()) {
    if (e.m_sName.empty() || e.m_sName.size() > kv::LanguageEntry::MAX_NAME_LENGTH ||
        e.m_sResourceFileName.size() > kv::LanguageEntry::MAX_RESOURCE_FILE_LENGTH)
      __builtin_trap();
    if (list.Find(e.m_sName) != &e) __builtin_trap();
  }
  uint16_t langId = 0;
  (void)kv::CLanguageList::ParseLangId(text.substr(0, 16), &langId);
  return 0;
}
