// Arbitrary bytes as a language module (the string-table source format a user may drop
// beside the program): the parser either takes it whole or says which line is wrong.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "resources/StringTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::map<uint32_t, std::string> entries;
  std::string error;
  if (kv::CStringTable::Parse(text, &entries, &error)) {
    kv::CStringTable table(std::move(entries));
    if (!error.empty() || table.Size() > size) __builtin_trap();
  } else if (error.rfind("line ", 0) != 0) {
    __builtin_trap();
  }
  return 0;
}
