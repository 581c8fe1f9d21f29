#pragma once
// Where the calibration marks go on the screen, and where each collected point goes in the
// measured grid that the computation takes. The screen may be rotated against the sensor:
// the margins are permuted for the layout and the points are placed so that the grid is
// always in the sensor's own orientation.
#include <cstdint>
#include <span>
#include <vector>

#include "optrim/calibration/CalcGrid.h"
#include "optrim/calibration/SensorCalBlock.h"

namespace kv {

struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// Grid node of the measured grid, written (row, column).
struct GridCell {
  int row = 0;
  int column = 0;
  bool operator==(const GridCell&) const = default;
};

// The margins as the rotated screen sees them (rotation 0..3; others act as 0).
CalMargins RotateMargins(const CalMargins& m, int rotation);

// Screen positions of the marks, row by row from the top; marksPerRow and marksPerColumn
// are at least 2. The margins are the sensor's; the rotation permutes them first.
std::vector<ScreenPoint> MarkPositions(int width, int height, const CalMargins& margins,
                                       int rotation, int marksPerRow, int marksPerColumn);

// The grid node (in the sensor's orientation) that collected point k fills.
GridCell PlaceIndex(int k, int rotation, int marksPerRow, int marksPerColumn);

// Writes the collected points into a grid with rows stride nodes apart.
void PlacePoints(std::span<const DevPoint> points, int rotation, int marksPerRow,
                 int marksPerColumn, int stride, std::span<DevPoint> grid);

// The mark (collection index) whose point the computation found at the node; -1 when the
// node lies outside the grid.
int MarkOfNode(const GridNode& node, int rotation, int marksPerRow, int marksPerColumn);

}  // namespace kv
