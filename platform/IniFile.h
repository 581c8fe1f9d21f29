#pragma once
// Profile (ini) files read with the Windows rules: sections and keys compared without
// regard to case, the first match wins, blanks around keys and values trimmed, the
// default when the file, section or key is missing. OS-neutral.
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

class CIniFile {
 public:
  // Loads the file; a missing or unreadable file behaves as an empty one.
  static CIniFile Load(const std::string& path);
  static CIniFile FromText(const std::string& text);

  bool Exists() const { return m_bLoaded; }
  // GetPrivateProfileString: the value cut to capacity - 1 characters when capacity > 0.
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue, size_t capacity = 0) const;
  // GetPrivateProfileInt: leading decimal digits (with sign), default when missing.
  int32_t GetInt(const std::string& section, const std::string& key, int32_t defaultValue) const;
  // True when GetString would return the file's value (possibly empty), not the default.
  bool HasKey(const std::string& section, const std::string& key) const;

 private:
  struct Entry {
    std::string m_sKey;
    std::string m_sValue;
    size_t m_uSection = 0;    // index into m_sections: same-named sections stay apart
    bool m_bHasValue = true;  // false for a line without "="
  };
  void Parse(const std::string& text);
  const Entry* Find(const std::string& section, const std::string& key) const;

  std::vector<Entry> m_entries;
  std::vector<std::string> m_sections;  // in file order; index 0 holds the lines before any
  bool m_bLoaded = false;
};

}  // namespace kv
