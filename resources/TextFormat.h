#pragma once
// Filling the string table's texts: "%1" to "%9" inserts as FormatMessage does them, and
// the "%s"/"%d" conversions of the wsprintf texts, each taking the next argument as it is.
// Arguments are texts: a number is formatted by the caller, so a table text with the wrong
// conversions (a language module, say) can never read past what was handed in.
#include <initializer_list>
#include <string>

namespace kv {

class CTextFormat {
 public:
  // "%n" (n = 1..9) becomes argument n, "%%" a single "%"; "%n" without its argument, and
  // any other "%" sequence, stays as written.
  static std::string Insert(const std::string& text, std::initializer_list<std::string> args);
  // Each "%s", "%d", "%u" or "%lf" takes the next argument; past the last argument they
  // become empty. "%%" gives "%".
  static std::string Printf(const std::string& text, std::initializer_list<std::string> args);
};

}  // namespace kv
