// Kept apart from StringTable.cpp so that the generator tool can use the parser without
// the tables it generates.
#include "resources/BuiltInStrings.h"
#include "resources/StringTable.h"

namespace kv {

CStringTable CStringTable::BuiltIn(std::string_view program) {
  BuiltInStringSet set{nullptr, 0};
  if (program == "pansvc") {
    set = BuiltInStringsPansvc();
  } else if (program == "tabrix") {
    set = BuiltInStringsTabrix();
  } else if (program == "optrim") {
    set = BuiltInStringsOptrim();
  }
  std::map<uint32_t, std::string> entries;
  for (size_t i = 0; i < set.count; ++i) {
    entries.emplace(set.entries[i].id, std::string(set.entries[i].text, set.entries[i].length));
  }
  return CStringTable(std::move(entries));
}

}  // namespace kv
