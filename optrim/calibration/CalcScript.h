#pragma once
// The text that optrim-calc replays through the calibration computation: recorded touches
// and the layout they were taken with, one keyword line each ("#" starts a comment):
//   mode precise|basic       grid NX NY              basic NX2 NY2 (precise)
//   angle 0|1 (precise)      baseL N                 margins X0 Y0 X1 Y1
//   basicmargins X0 Y0 X1 Y1 (precise; default: margins)
//   block HEX (basic: the stored block; precise: optional, kept when the computation fails)
//   point X Y                one per node, row by row from the top left
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "optrim/calibration/SensorCalBlock.h"
#include "resources/StringTable.h"

namespace kv {

struct CalcInput {
  bool bPrecise = true;
  int nx = 0;  // the grid of the mode: nx1, ny1 (precise) or nx2, ny2 (basic)
  int ny = 0;
  int basicNx = 0;  // precise only
  int basicNy = 0;
  int angle = 0;
  uint32_t baseL = 0;
  CalMargins margins;
  CalMargins basicMargins;
  SensorCalBlock block;
  // The measured grid as the computation takes it: rows 10 (precise) or 5 (basic) apart.
  std::vector<DevPoint> measured;
};

class CCalcScript {
 public:
  static constexpr size_t kMaxInputBytes = 1024 * 1024;

  explicit CCalcScript(const CStringTable& strings) : m_strings(strings) {}
  // False with *error naming the line (from the string table) on the first problem.
  bool Parse(std::string_view text, CalcInput* input, std::string* error) const;

 private:
  const CStringTable& m_strings;
};

}  // namespace kv
