#include "optrim/calibration/CalcScript.h"

#include <charconv>
#include <map>

#include "optrim/calibration/TextFormat.h"

namespace kv {
namespace {

constexpr uint32_t kUnknownKeyword = 2201;
constexpr uint32_t kValueCount = 2202;
constexpr uint32_t kBadNumber = 2203;
constexpr uint32_t kBadBlock = 2204;
constexpr uint32_t kTwice = 2205;
constexpr uint32_t kNotInBasic = 2206;
constexpr uint32_t kTooManyPoints = 2207;
constexpr uint32_t kMissing = 2208;
constexpr uint32_t kPointCount = 2209;
constexpr uint32_t kBadMode = 2210;
constexpr uint32_t kTooLarge = 2211;

std::vector<std::string_view> SplitBlanks(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool ParseNumber(std::string_view word, int64_t lo, int64_t hi, int64_t* out) {
  int64_t v = 0;
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, v);
  if (ec != std::errc() || ptr != end || v < lo || v > hi) return false;
  *out = v;
  return true;
}

struct Line {
  size_t number = 0;
  std::vector<std::string_view> words;
};

}  // namespace

bool CCalcScript::Parse(std::string_view text, CalcInput* input, std::string* error) const {
  auto fail = [&](uint32_t id, std::initializer_list<std::string> args) {
    *error = FormatText(m_strings.Get(id), args);
    return false;
  };
  if (text.size() > kMaxInputBytes) return fail(kTooLarge, {std::to_string(kMaxInputBytes)});

  // First pass: split into lines, keep the last word-lists by keyword, points in order.
  std::map<std::string, Line> seen;
  std::vector<Line> points;
  size_t start = 0, number = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    Line l{number, SplitBlanks(line)};
    if (l.words.empty()) continue;
    std::string key(l.words[0]);
    static const std::map<std::string, size_t> kArity = {
        {"mode", 1}, {"grid", 2}, {"basic", 2}, {"angle", 1}, {"baseL", 1},
        {"margins", 4}, {"basicmargins", 4}, {"block", 1}, {"point", 2}};
    auto arity = kArity.find(key);
    if (arity == kArity.end()) return fail(kUnknownKeyword, {std::to_string(number), key});
    if (l.words.size() != arity->second + 1) {
      return fail(kValueCount, {std::to_string(number), key, std::to_string(arity->second)});
    }
    if (key == "point") {
      points.push_back(std::move(l));
    } else if (!seen.emplace(key, std::move(l)).second) {
      return fail(kTwice, {std::to_string(number), key});
    }
  }

  for (const char* required : {"mode", "grid", "baseL", "margins"}) {
    if (!seen.count(required)) return fail(kMissing, {required});
  }
  CalcInput in;
  const Line& mode = seen["mode"];
  if (mode.words[1] == "precise") {
    in.bPrecise = true;
  } else if (mode.words[1] == "basic") {
    in.bPrecise = false;
  } else {
    return fail(kBadMode, {std::to_string(mode.number)});
  }
  if (in.bPrecise) {
    for (const char* required : {"basic", "angle"}) {
      if (!seen.count(required)) return fail(kMissing, {required});
    }
  } else {
    for (const char* unused : {"basic", "angle", "basicmargins"}) {
      auto it = seen.find(unused);
      if (it != seen.end()) return fail(kNotInBasic, {std::to_string(it->second.number), unused});
    }
    if (!seen.count("block")) return fail(kMissing, {"block"});
  }

  // Reads the values of one line into the given fields, each within its range.
  auto values = [&](const Line& l, std::initializer_list<int64_t*> fields, int64_t lo, int64_t hi) {
    size_t k = 1;
    for (int64_t* f : fields) {
      if (!ParseNumber(l.words[k++], lo, hi, f)) return fail(kBadNumber, {std::to_string(l.number), std::string(l.words[0])});
    }
    return true;
  };
  const int64_t maxCells = in.bPrecise ? kMaxPreciseCells : kMaxBasicCells;
  int64_t v[4] = {};
  if (!values(seen["grid"], {&v[0], &v[1]}, 1, maxCells)) return false;
  in.nx = static_cast<int>(v[0]);
  in.ny = static_cast<int>(v[1]);
  if (!values(seen["baseL"], {&v[0]}, 0, UINT32_MAX)) return false;
  in.baseL = static_cast<uint32_t>(v[0]);
  if (!values(seen["margins"], {&v[0], &v[1], &v[2], &v[3]}, INT16_MIN, INT16_MAX)) return false;
  in.margins = CalMargins{static_cast<int16_t>(v[0]), static_cast<int16_t>(v[1]),
                          static_cast<int16_t>(v[2]), static_cast<int16_t>(v[3])};
  in.basicMargins = in.margins;
  if (in.bPrecise) {
    if (!values(seen["basic"], {&v[0], &v[1]}, 1, kMaxBasicCells)) return false;
    in.basicNx = static_cast<int>(v[0]);
    in.basicNy = static_cast<int>(v[1]);
    if (!values(seen["angle"], {&v[0]}, 0, 1)) return false;
    in.angle = static_cast<int>(v[0]);
    if (seen.count("basicmargins")) {
      if (!values(seen["basicmargins"], {&v[0], &v[1], &v[2], &v[3]}, INT16_MIN, INT16_MAX)) return false;
      in.basicMargins = CalMargins{static_cast<int16_t>(v[0]), static_cast<int16_t>(v[1]),
                                   static_cast<int16_t>(v[2]), static_cast<int16_t>(v[3])};
    }
  }
  if (seen.count("block")) {
    const Line& b = seen["block"];
    if (!SensorCalBlockFromHex(b.words[1], &in.block)) {
      return fail(kBadBlock, {std::to_string(b.number), std::to_string(kSensorCalBlockBytes * 2)});
    }
  }

  const size_t expected = static_cast<size_t>((in.nx + 1) * (in.ny + 1));
  const int stride = in.bPrecise ? kPreciseStride : kBasicStride;
  in.measured.assign(static_cast<size_t>(stride * stride), DevPoint{});
  for (size_t k = 0; k < points.size(); ++k) {
    if (k >= expected) return fail(kTooManyPoints, {std::to_string(points[k].number)});
    if (!values(points[k], {&v[0], &v[1]}, INT16_MIN, INT16_MAX)) return false;
    const size_t row = k / static_cast<size_t>(in.nx + 1), column = k % static_cast<size_t>(in.nx + 1);
    in.measured[row * static_cast<size_t>(stride) + column] =
        DevPoint{static_cast<int16_t>(v[0]), static_cast<int16_t>(v[1])};
  }
  if (points.size() != expected) return fail(kPointCount, {std::to_string(expected), std::to_string(points.size())});
  *input = std::move(in);
  return true;
}

}  // namespace kv
