// Profile files with the rules of GetPrivateProfileString / GetPrivateProfileInt.
// This file is OS-neutral: it must build unchanged for every backend.
//
// The rules, as Windows applies them:
// - lines end at LF; CR and other blanks at either end of a line are dropped;
// - a line starting with ";" is a comment; "[name]" starts a section, the name running to
//   the last "]" (taken as written, not trimmed); a "[" line without "]" is an ordinary line;
// - "key = value": blanks around key and value are dropped; a value enclosed in a matching
//   pair of double or single quotes loses them; a line without "=" is a key without value,
//   which reads as missing;
// - sections and keys compare without regard to ASCII case; only the first section of a
//   name is searched, and in it the first key of a name wins;
// - GetPrivateProfileInt reads decimal only: blanks, one sign, digits up to the first other
//   character, 32-bit wrap-around as in Windows; "0x10" gives 0, "abc" gives 0, an empty or
//   missing value gives the default. Hexadecimal fields are parsed by their callers.
// Beyond Windows: a UTF-8 byte order mark is skipped and a line ends at a NUL byte, so
// that no value ever carries one.
#include "platform/IniFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kv {

namespace {

// Files larger than this are not profile files; reading stops there.
constexpr size_t kMaxFileSize = 64u * 1024 * 1024;
// GetPrivateProfileInt reads the value through a 30-character buffer.
constexpr size_t kIntBufferSize = 30;

bool IsBlank(char c) {
  // 0x1A (Ctrl-Z, the old end-of-file mark) counts as a blank, as in Windows.
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string StripQuotes(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string Cut(std::string text, size_t capacity) {
  if (capacity > 0 && text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

}  // namespace

CIniFile CIniFile::Load(const std::string& path) {
  CIniFile ini;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return ini;
  std::ifstream in(path, std::ios::binary);
  if (!in) return ini;
  std::string text;
  char buf[65536];
  while (in && text.size() < kMaxFileSize) {
    in.read(buf, sizeof buf);
    text.append(buf, static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) return ini;
  if (text.size() > kMaxFileSize) text.resize(kMaxFileSize);
  ini.Parse(text);
  ini.m_bLoaded = true;
  return ini;
}

CIniFile CIniFile::FromText(const std::string& text) {
  CIniFile ini;
  ini.Parse(text);
  ini.m_bLoaded = true;
  return ini;
}

void CIniFile::Parse(const std::string& text) {
  m_entries.clear();
  m_sections.assign(1, std::string());  // lines before the first section header
  size_t pos = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (size_t nul = line.find('\0'); nul != std::string::npos) line.resize(nul);
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.rfind(']');
      if (close != std::string::npos && close > 0) {
        m_sections.push_back(line.substr(1, close - 1));
        continue;
      }
    }
    Entry entry;
    entry.m_uSection = m_sections.size() - 1;
    size_t equals = line.find('=');
    if (equals == std::string::npos) {
      entry.m_sKey = line;
      entry.m_bHasValue = false;
    } else {
      entry.m_sKey = Trim(line.substr(0, equals));
      entry.m_sValue = StripQuotes(Trim(line.substr(equals + 1)));
    }
    m_entries.push_back(std::move(entry));
  }
}

const CIniFile::Entry* CIniFile::Find(const std::string& section, const std::string& key) const {
  std::string wantedSection = Trim(section);
  std::string wantedKey = Trim(key);
  size_t index = 0;
  while (index < m_sections.size() && !EqualNoCase(m_sections[index], wantedSection)) ++index;
  if (index == m_sections.size()) return nullptr;
  for (const Entry& entry : m_entries) {
    if (entry.m_uSection == index && EqualNoCase(entry.m_sKey, wantedKey)) {
      return entry.m_bHasValue ? &entry : nullptr;
    }
  }
  return nullptr;
}

std::string CIniFile::GetString(const std::string& section, const std::string& key,
                                const std::string& defaultValue, size_t capacity) const {
  if (const Entry* entry = Find(section, key)) return Cut(entry->m_sValue, capacity);
  // Windows drops trailing spaces of the default.
  std::string fallback = defaultValue;
  while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
  return Cut(std::move(fallback), capacity);
}

int32_t CIniFile::GetInt(const std::string& section, const std::string& key,
                         int32_t defaultValue) const {
  std::string text = GetString(section, key, std::string(), kIntBufferSize);
  if (text.empty()) return defaultValue;
  size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint32_t total = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    total = total * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  if (negative) total = 0u - total;
  return static_cast<int32_t>(total);
}

bool CIniFile::HasKey(const std::string& section, const std::string& key) const {
  return Find(section, key) != nullptr;
}

}  // namespace kv
