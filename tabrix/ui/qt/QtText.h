#pragma once
// A string-table text as Qt shows it: Windows line breaks ("\r\n") become "\n".
#include <QString>

#include "resources/StringTable.h"

namespace kv {

inline QString QtText(const std::string& text) {
  return QString::fromStdString(text).replace("\r\n", "\n");
}
inline QString QtText(const CStringTable& strings, uint32_t id) { return QtText(strings.Get(id)); }

}  // namespace kv
