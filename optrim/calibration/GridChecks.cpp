#include "optrim/calibration/GridChecks.h"

#include <cstdint>
#include <cstdlib>

#include "optrim/calibration/CalResult.h"
#include "optrim/calibration/TextFormat.h"

namespace kv {
namespace {

// The node list of a detail text stops growing once it is longer than this.
constexpr size_t kMaxListText = 1199;

}  // namespace

CalcGrid LinearGrid(const CalcGrid& m) {
  CalcGrid l;
  l.columns = m.columns;
  l.rows = m.rows;
  const CalcPoint& first = m.First();
  const CalcPoint& last = m.Last();
  // 64 bits: the difference of two 32-bit coordinates times the index; each result lies
  // between first and last and so fits 32 bits again.
  for (int j = 0; j <= m.rows; ++j) {
    for (int i = 0; i <= m.columns; ++i) {
      int64_t x = first.x + int64_t{i} * (int64_t{last.x} - first.x) / m.columns;
      int64_t y = first.y + int64_t{j} * (int64_t{last.y} - first.y) / m.rows;
      l.At(j, i) = CalcPoint{static_cast<int32_t>(x), static_cast<int32_t>(y)};
    }
  }
  return l;
}

CalcGrid ScreenGrid(int columns, int rows, const CalMargins& margins) {
  CalcGrid s;
  s.columns = columns;
  s.rows = rows;
  int64_t spanX = 65535 - int64_t{margins.x0} - margins.x1;
  int64_t spanY = 65535 - int64_t{margins.y0} - margins.y1;
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i <= columns; ++i) {
      s.At(j, i) = CalcPoint{static_cast<int32_t>(margins.x0 + spanX * i / columns),
                             static_cast<int32_t>(margins.y0 + spanY * j / rows)};
    }
  }
  return s;
}

int CheckOrder(const CalcGrid& m, std::vector<GridNode>* flagged) {
  if (m.First().x >= m.Last().x) return CAL_ERR_X_ORDER;
  if (m.First().y >= m.Last().y) return CAL_ERR_Y_ORDER;
  bool any = false;
  for (int j = 0; j <= m.rows; ++j) {
    for (int i = 0; i <= m.columns; ++i) {
      const CalcPoint& p = m.At(j, i);
      bool bad = (i > 0 && p.x <= m.At(j, i - 1).x) || (i < m.columns && p.x >= m.At(j, i + 1).x) ||
                 (j > 0 && p.y <= m.At(j - 1, i).y) || (j < m.rows && p.y >= m.At(j + 1, i).y);
      if (bad) {
        flagged->push_back(GridNode{i, j});
        any = true;
      }
    }
  }
  return any ? CAL_ERR_POINT_ORDER : CAL_OK;
}

int CheckDeviation(const CalcGrid& m, const CalcGrid& linear, std::vector<GridNode>* flagged) {
  int64_t tx = (int64_t{m.Last().x} - m.First().x) / (m.columns * 2);
  int64_t ty = (int64_t{m.Last().y} - m.First().y) / (m.rows * 2);
  bool any = false;
  for (int j = 0; j <= m.rows; ++j) {
    for (int i = 0; i <= m.columns; ++i) {
      int64_t dx = std::llabs(int64_t{linear.At(j, i).x} - m.At(j, i).x);
      int64_t dy = std::llabs(int64_t{linear.At(j, i).y} - m.At(j, i).y);
      if (dx >= tx || dy >= ty) {
        flagged->push_back(GridNode{i, j});
        any = true;
      }
    }
  }
  return any ? CAL_ERR_POINT_DEVIATION : CAL_OK;
}

std::string NodeListText(const CStringTable& strings, const CalcGrid& m,
                         const std::vector<GridNode>& flagged) {
  const std::string format = strings.Get(CalStrings::kDetailNode);
  std::string text;
  for (const GridNode& n : flagged) {
    if (text.size() > kMaxListText) {
      text += strings.Get(CalStrings::kDetailMore);
      break;
    }
    if (!text.empty()) text += ", ";
    const CalcPoint& p = m.At(n.row, n.column);
    text += FormatText(format, {std::to_string(n.column), std::to_string(n.row), std::to_string(p.x),
                                std::to_string(p.y)});
  }
  return text;
}

}  // namespace kv
