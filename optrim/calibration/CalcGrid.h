#pragma once
// A grid of sensor points during the computation: (rows + 1) by (columns + 1) nodes,
// node (0, 0) top-left, 32-bit coordinates. Room for the largest (precise) grid.
#include <array>
#include <cstddef>
#include <cstdint>

namespace kv {

struct CalcPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const CalcPoint&) const = default;
};

// A node named by (column, row), the order the error lists use.
struct GridNode {
  int column = 0;
  int row = 0;
  bool operator==(const GridNode&) const = default;
};

struct CalcGrid {
  static constexpr int kRoom = 10;
  int columns = 0;
  int rows = 0;
  std::array<CalcPoint, kRoom * kRoom> nodes{};

  CalcPoint& At(int row, int column) { return nodes[static_cast<size_t>(row * kRoom + column)]; }
  const CalcPoint& At(int row, int column) const {
    return nodes[static_cast<size_t>(row * kRoom + column)];
  }
  const CalcPoint& First() const { return At(0, 0); }
  const CalcPoint& Last() const { return At(rows, columns); }
};

}  // namespace kv
