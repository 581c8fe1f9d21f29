#pragma once
// Fills the placeholders of a string-table text. The texts can be replaced by a language
// module at run time, so they are never handed to printf: each "%d" or "%s" takes the next
// argument as already formatted text, "%%" gives one "%", anything else is copied as is,
// and a placeholder without an argument stays empty.
#include <initializer_list>
#include <string>
#include <string_view>

namespace kv {

std::string FormatText(std::string_view format, std::initializer_list<std::string> args);

}  // namespace kv
