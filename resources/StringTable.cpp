#include "resources/StringTable.h"

#include <cstdio>
#include <string>

#include "common/SystemError.h"

namespace kv {
namespace {

// A language module is a small text file; anything far larger is not one of ours.
constexpr size_t kMaxModuleBytes = 4u * 1024u * 1024u;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the escapes of one text; false with *why set on a bad escape or a raw control
// character (a real CR or LF inside a text must be written as \r or \n).
bool Unescape(std::string_view raw, std::string* out, std::string* why) {
  out->clear();
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c != '\\') {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
        *why = "control character in text";
        return false;
      }
      out->push_back(c);
      continue;
    }
    if (++i == raw.size()) {
      *why = "backslash at end of line";
      return false;
    }
    switch (raw[i]) {
      case 'r': out->push_back('\r'); break;
      case 'n': out->push_back('\n'); break;
      case 't': out->push_back('\t'); break;
      case '\\': out->push_back('\\'); break;
      case '"': out->push_back('"'); break;
      case 'x': {
        int hi = i + 1 < raw.size() ? HexValue(raw[i + 1]) : -1;
        int lo = i + 2 < raw.size() ? HexValue(raw[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
          *why = "\\x needs two hexadecimal digits";
          return false;
        }
        out->push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        break;
      }
      default:
        *why = std::string("unknown escape \\") + raw[i];
        return false;
    }
  }
  return true;
}

// One entry line: decimal id, one blank (space or tab), then the text up to the end.
bool ParseEntry(std::string_view line, uint32_t* id, std::string* text, std::string* why) {
  size_t pos = 0;
  uint64_t value = 0;
  while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') {
    value = value * 10 + static_cast<uint64_t>(line[pos] - '0');
    if (value > UINT32_MAX) {
      *why = "id out of range";
      return false;
    }
    ++pos;
  }
  if (pos == 0) {
    *why = "line does not start with a decimal id";
    return false;
  }
  if (pos == line.size() || (line[pos] != ' ' && line[pos] != '\t')) {
    *why = "id not followed by a blank and the text";
    return false;
  }
  *id = static_cast<uint32_t>(value);
  return Unescape(line.substr(pos + 1), text, why);
}

bool IsBlankLine(std::string_view line) {
  for (char c : line) {
    if (c != ' ' && c != '\t') return false;
  }
  return true;
}

}  // namespace

std::string CStringTable::Get(uint32_t id) const {
  auto it = m_entries.find(id);
  return it == m_entries.end() ? std::string() : it->second;
}

bool CStringTable::Parse(std::string_view text, std::map<uint32_t, std::string>* entries,
                         std::string* error) {
  std::map<uint32_t, std::string> parsed;
  std::map<uint32_t, size_t> firstLine;
  size_t lineNo = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    // Files edited on Windows end their lines with CR LF; the CR is not part of the text.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsBlankLine(line) || line.front() == '#') continue;

    uint32_t id = 0;
    std::string value;
    std::string why;
    if (!ParseEntry(line, &id, &value, &why)) {
      if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
      return false;
    }
    auto [it, inserted] = firstLine.emplace(id, lineNo);
    if (!inserted) {
      if (error) {
        *error = "line " + std::to_string(lineNo) + ": duplicate id " + std::to_string(id) +
                 " (first at line " + std::to_string(it->second) + ")";
      }
      return false;
    }
    parsed.emplace(id, std::move(value));
  }
  *entries = std::move(parsed);
  return true;
}

uint32_t CStringTable::LoadModule(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return ERROR_CODE_FILE_NOT_FOUND;
  std::string content;
  char chunk[4096];
  bool tooLarge = false;
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (content.size() + got > kMaxModuleBytes) {
      tooLarge = true;
      break;
    }
    content.append(chunk, got);
  }
  bool readError = std::ferror(file) != 0;
  std::fclose(file);
  if (readError) return ERROR_CODE_GEN_FAILURE;
  if (tooLarge) return ERROR_CODE_INVALID_DATA;

  std::map<uint32_t, std::string> parsed;
  std::string error;
  if (!Parse(content, &parsed, &error)) return ERROR_CODE_INVALID_DATA;
  m_entries = std::move(parsed);
  return ERROR_CODE_SUCCESS;
}

}  // namespace kv
