#pragma once
// User texts addressed by number, as a program's string table holds them. Each program's
// table is built in from one source text (resources/<program>.strings); a language module
// file can replace the whole table at run time.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace kv {

class CStringTable {
 public:
  CStringTable() = default;
  explicit CStringTable(std::map<uint32_t, std::string> entries) : m_entries(std::move(entries)) {}

  // The built-in table of "pansvc", "tabrix" or "optrim"; empty for any other name.
  static CStringTable BuiltIn(std::string_view program);

  // The text of the entry, or "" when the table has none (LoadString returning 0).
  std::string Get(uint32_t id) const;
  bool Has(uint32_t id) const { return m_entries.count(id) != 0; }
  size_t Size() const { return m_entries.size(); }

  // Replaces the whole table with the entries of a language module file (same format as
  // the source texts). 0, or a system error code with the table left as it was.
  uint32_t LoadModule(const std::string& path);
  // Parses the source-text format; false (and *error set to "line N: ...") on a bad line.
  static bool Parse(std::string_view text, std::map<uint32_t, std::string>* entries,
                    std::string* error);

 private:
  std::map<uint32_t, std::string> m_entries;
};

}  // namespace kv
