#include "optrim/ui/MarkLayout.h"

namespace kv {

namespace {

// Corners of the 2 by 2 grid that point 0..3 fill, per rotation: the marks go round the
// screen (top-left, bottom-left, bottom-right, top-right) and the screen is turned.
constexpr GridCell CORNERS[4][4] = {
    {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
    {{1, 0}, {1, 1}, {0, 1}, {0, 0}},
    {{1, 1}, {0, 1}, {0, 0}, {1, 0}},
    {{0, 1}, {0, 0}, {1, 0}, {1, 1}},
};

int Scale(int64_t value, int size) { return static_cast<int>((value * size + 32767) / 65535); }

int ValidRotation(int rotation) { return rotation >= 0 && rotation <= 3 ? rotation : 0; }

}  // namespace

CalMargins RotateMargins(const CalMargins& m, int rotation) {
  switch (ValidRotation(rotation)) {
    case 1: return {m.y1, m.x0, m.y0, m.x1};
    case 2: return {m.x1, m.y1, m.x0, m.y0};
    case 3: return {m.y0, m.x1, m.y1, m.x0};
    default: return m;
  }
}

std::vector<ScreenPoint> MarkPositions(int width, int height, const CalMargins& margins,
                                       int rotation, int marksPerRow, int marksPerColumn) {
  const CalMargins m = RotateMargins(margins, rotation);
  const int l = Scale(m.x0, width);
  const int t = Scale(m.y0, height);
  const int r = Scale(65535 - m.x1, width);
  const int b = Scale(65535 - m.y1, height);
  if (marksPerRow == 2 && marksPerColumn == 2) return {{l, t}, {l, b}, {r, b}, {r, t}};
  std::vector<ScreenPoint> marks;
  const int c = marksPerRow - 1;
  const int rows = marksPerColumn - 1;
  if (c < 1 || rows < 1) return marks;
  for (int j = 0; j <= rows; ++j)
    for (int i = 0; i <= c; ++i)
      marks.push_back({((r - l) * i + c) / c + l, ((b - t) * j + rows) / rows + t});
  return marks;
}

GridCell PlaceIndex(int k, int rotation, int marksPerRow, int marksPerColumn) {
  rotation = ValidRotation(rotation);
  if (marksPerRow == 2 && marksPerColumn == 2) return CORNERS[rotation][k & 3];
  const int c = marksPerRow - 1;      // last column
  const int r = marksPerColumn - 1;   // last row
  switch (rotation) {
    case 1: return {r - k % marksPerColumn, k / marksPerColumn};
    case 2: return {r - k / marksPerRow, c - k % marksPerRow};
    case 3: return {k % marksPerColumn, c - k / marksPerColumn};
    default: return {k / marksPerRow, k % marksPerRow};
  }
}

void PlacePoints(std::span<const DevPoint> points, int rotation, int marksPerRow,
                 int marksPerColumn, int stride, std::span<DevPoint> grid) {
  const int total = marksPerRow * marksPerColumn;
  for (int k = 0; k < total && static_cast<size_t>(k) < points.size(); ++k) {
    const GridCell cell = PlaceIndex(k, rotation, marksPerRow, marksPerColumn);
    const size_t at = static_cast<size_t>(cell.row * stride + cell.column);
    if (cell.column < stride && at < grid.size()) grid[at] = points[static_cast<size_t>(k)];
  }
}

int MarkOfNode(const GridNode& node, int rotation, int marksPerRow, int marksPerColumn) {
  const int total = marksPerRow * marksPerColumn;
  for (int k = 0; k < total; ++k) {
    const GridCell cell = PlaceIndex(k, rotation, marksPerRow, marksPerColumn);
    if (cell.row == node.row && cell.column == node.column) return k;
  }
  return -1;
}

}  // namespace kv
