#include "resources/TextFormat.h"

#include <vector>

namespace kv {

std::string CTextFormat::Insert(const std::string& text, std::initializer_list<std::string> args) {
  const std::vector<std::string> list(args);
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      char next = text[i + 1];
      if (next == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (next >= '1' && next <= '9' && static_cast<size_t>(next - '1') < list.size()) {
        out += list[static_cast<size_t>(next - '1')];
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string CTextFormat::Printf(const std::string& text, std::initializer_list<std::string> args) {
  const std::vector<std::string> list(args);
  size_t next = 0;
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    const std::string rest = text.substr(i + 1, 2);
    size_t length = 0;
    if (rest.compare(0, 2, "lf") == 0)
      length = 2;
    else if (rest[0] == 's' || rest[0] == 'd' || rest[0] == 'u')
      length = 1;
    if (rest[0] == '%') {
      out += '%';
      ++i;
    } else if (length > 0) {
      if (next < list.size()) out += list[next];
      ++next;
      i += length;
    } else {
      out += '%';
    }
  }
  return out;
}

}  // namespace kv
