// Build-time generator: turns one <program>.strings source text into the C++ table that
// CStringTable::BuiltIn returns. A malformed line or a duplicate id fails the build with
// the line number, so a bad edit never ships a half table.
//   kv_gen_strings <function name> <input .strings> <output .cpp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "resources/StringTable.h"

namespace {

// Every byte outside plain printable ASCII becomes a three-digit octal escape, which can
// never run into the next character the way \x can.
std::string Literal(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else if (c >= 0x20 && c < 0x7F && c != '?') {
      out.push_back(static_cast<char>(c));
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    }
  }
  out += "\"";
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <function> <input.strings> <output.cpp>\n", argv[0]);
    return 2;
  }
  const std::string function = argv[1];
  const std::string input = argv[2];
  const std::string output = argv[3];

  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read\n", input.c_str());
    return 1;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::map<uint32_t, std::string> entries;
  std::string error;
  if (!kv::CStringTable::Parse(text, &entries, &error)) {
    std::fprintf(stderr, "%s: %s\n", input.c_str(), error.c_str());
    return 1;
  }

  std::ostringstream cpp;
  cpp << "// Generated from " << input << " by kv_gen_strings; edit the .strings file.\n"
      << "#include \"resources/BuiltInStrings.h\"\n\nnamespace kv {\nnamespace {\n\n";
  if (entries.empty()) {
    cpp << "constexpr const BuiltInString* kEntries = nullptr;\n";
  } else {
    cpp << "constexpr BuiltInString kEntries[] = {\n";
    for (const auto& [id, value] : entries) {
      cpp << "    {" << id << "u, " << Literal(value) << ", " << value.size() << "u},\n";
    }
    cpp << "};\n";
  }
  cpp << "\n}  // namespace\n\nBuiltInStringSet " << function << "() { return {kEntries, "
      << entries.size() << "u}; }\n\n}  // namespace kv\n";

  // Write beside the target and rename, so an interrupted build never leaves half a file.
  const std::string temp = output + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << cpp.str();
    if (!out.flush()) {
      std::fprintf(stderr, "%s: cannot write\n", temp.c_str());
      return 1;
    }
  }
  // std::rename does not replace an existing file on Windows; this one does everywhere.
  std::error_code renamed;
  std::filesystem::rename(temp, output, renamed);
  if (renamed) {
    std::fprintf(stderr, "%s: cannot rename to %s\n", temp.c_str(), output.c_str());
    return 1;
  }
  return 0;
}
