#pragma once
// The built-in string tables, generated at build time from resources/<program>.strings by
// resources/tools/GenStrings.cpp. Only CStringTable::BuiltIn reads them.
#include <cstddef>
#include <cstdint>

namespace kv {

struct BuiltInString {
  uint32_t id;
  const char* text;  // not NUL-terminated in general: a text may hold \x00
  size_t length;
};

struct BuiltInStringSet {
  const BuiltInString* entries;
  size_t count;
};

BuiltInStringSet BuiltInStringsPansvc();
BuiltInStringSet BuiltInStringsTabrix();
BuiltInStringSet BuiltInStringsOptrim();

}  // namespace kv
