#include "sim/kvtpd/KvtpdControl.h"

#include <cstdio>
#include <vector>

namespace kv::sim {

namespace {

std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> parts;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) parts.push_back(line.substr(start, i - start));
  }
  return parts;
}

template <size_t N>
std::string Hex(const std::array<uint8_t, N>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  s.reserve(N * 2);
  for (uint8_t b : bytes) {
    s.push_back(digits[b >> 4]);
    s.push_back(digits[b & 15]);
  }
  return s;
}

}  // namespace

std::optional<int64_t> CKvtpdControl::ParseNumber(std::string_view t, int64_t min, int64_t max) {
  bool negative = false;
  if (!t.empty() && t[0] == '-') {
    negative = true;
    t.remove_prefix(1);
  }
  int base = 10;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  }
  if (t.empty() || t.size() > 16) return std::nullopt;
  int64_t value = 0;
  for (char c : t) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    value = value * base + d;
    if (value > (int64_t{1} << 40)) return std::nullopt;  // far beyond any field
  }
  if (negative) value = -value;
  if (value < min || value > max) return std::nullopt;
  return value;
}

std::string CKvtpdControl::Execute(std::string_view line) {
  if (line.size() > KVTPD_MAX_LINE) return "error line too long";
  for (char c : line)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return "error bad character";
  auto args = Split(line);
  if (args.empty()) return "error empty command";
  std::string_view cmd = args[0];
  auto argc = args.size() - 1;
  auto want = [&](size_t n) { return argc == n; };
  constexpr int64_t U32_MAX = 0xFFFFFFFFll;
  constexpr int64_t U16_MAX = 0xFFFF;

  if (cmd == "touch") {
    if (!want(2)) return "error usage: touch X Y";
    auto x = ParseNumber(args[1], INT32_MIN, INT32_MAX);
    auto y = ParseNumber(args[2], INT32_MIN, INT32_MAX);
    if (!x || !y) return "error bad number";
    m_model.Touch(static_cast<int32_t>(*x), static_cast<int32_t>(*y));
    return "ok";
  }
  if (cmd == "status") {
    if (!want(1)) return "error usage: status FLAGS";
    auto flags = ParseNumber(args[1], 0, U32_MAX);
    if (!flags) return "error bad number";
    m_model.SetStatus(static_cast<uint32_t>(*flags));
    return "ok";
  }
  if (cmd == "settings") {
    if (!want(0)) return "error usage: settings";
    return Hex(m_model.Settings());
  }
  if (cmd == "touchpoint") {
    if (!want(0)) return "error usage: touchpoint";
    return Hex(m_model.TouchPoint());
  }
  if (cmd == "touchmode") {
    if (!want(0)) return "error usage: touchmode";
    return std::to_string(m_model.TouchMode());
  }
  if (cmd == "waiting") {
    if (!want(0)) return "error usage: waiting";
    return std::to_string(m_model.PendingWaits());
  }
  if (cmd == "fail") {
    if (!want(2)) return "error usage: fail CODE COUNT";
    auto code = ParseNumber(args[1], 0, U32_MAX);
    auto count = ParseNumber(args[2], 0, U32_MAX);
    if (!code || !count) return "error bad number";
    m_model.FailNext(static_cast<uint32_t>(*code), static_cast<uint32_t>(*count));
    return "ok";
  }
  if (cmd == "unplug" || cmd == "plug") {
    if (!want(0)) return "error usage: " + std::string(cmd);
    bool plug = cmd == "plug";
    if (m_plug) m_plug(plug);
    else if (plug) m_model.Plug();
    else m_model.Unplug();
    return "ok";
  }
  if (cmd == "info") {
    if (!want(4)) return "error usage: info TEXT W1 W2 W3";
    if (args[1].size() > 15) return "error text longer than 15 characters";
    auto w1 = ParseNumber(args[2], 0, U16_MAX);
    auto w2 = ParseNumber(args[3], 0, U16_MAX);
    auto w3 = ParseNumber(args[4], 0, U16_MAX);
    if (!w1 || !w2 || !w3) return "error bad number";
    m_model.SetInfo(std::string(args[1]), static_cast<uint16_t>(*w1), static_cast<uint16_t>(*w2),
                    static_cast<uint16_t>(*w3));
    return "ok";
  }
  return "error unknown command";
}

}  // namespace kv::sim
