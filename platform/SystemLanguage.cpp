#include "platform/SystemLanguage.h"

#include <cstdlib>

namespace kv {

namespace {

struct LocaleRow {
  const char* m_pszPrefix;  // language, or language_TERRITORY where the territory decides
  uint16_t m_uLangId;
};

// Longer prefixes first: "zh_TW" must win over "zh".
constexpr LocaleRow kLocales[] = {
    {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"pt_BR", 0x0416}, {"en_GB", 0x0809},
    {"ja", 0x0411},    {"en", 0x0409},    {"de", 0x0407},    {"fr", 0x040C},
    {"zh", 0x0804},    {"ko", 0x0412},    {"es", 0x0C0A},    {"it", 0x0410},
    {"nl", 0x0413},    {"pt", 0x0816},    {"ru", 0x0419},    {"sv", 0x041D},
    {"pl", 0x0415},    {"tr", 0x041F},
};

}  // namespace

uint16_t CSystemLanguage::LangIdOfLocale(const std::string& locale) {
  for (const auto& row : kLocales) {
    const std::string prefix = row.m_pszPrefix;
    if (locale.compare(0, prefix.size(), prefix) != 0) continue;
    // "en" must not match "eng"; the prefix ends the language or territory part.
    if (locale.size() == prefix.size() || locale[prefix.size()] == '_' ||
        locale[prefix.size()] == '.' || locale[prefix.size()] == '@')
      return row.m_uLangId;
  }
  return 0;
}

uint16_t CSystemLanguage::DefaultUiLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    uint16_t id = LangIdOfLocale(value);
    return id != 0 ? id : 0x0409;
  }
  return 0x0409;
}

}  // namespace kv
