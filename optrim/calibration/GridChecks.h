#pragma once
// The checks that measured grids pass before a table is computed from them, and the grids
// they are compared with.
#include <string>
#include <vector>

#include "optrim/calibration/CalcGrid.h"
#include "optrim/calibration/SensorCalBlock.h"
#include "resources/StringTable.h"

namespace kv {

// The grid evenly spaced between the first and last node of m (integer, toward zero).
CalcGrid LinearGrid(const CalcGrid& m);

// The screen grid of columns by rows nodes inside the margins (normalised units).
CalcGrid ScreenGrid(int columns, int rows, const CalMargins& margins);

// 0, 10 (first.x >= last.x), 11 (first.y >= last.y) or 12 with every node whose neighbours
// are not strictly on the right side of it appended to *flagged, row by row.
int CheckOrder(const CalcGrid& m, std::vector<GridNode>* flagged);

// 0 or 13 with every node half a cell or more away from its linear position appended.
int CheckDeviation(const CalcGrid& m, const CalcGrid& linear, std::vector<GridNode>* flagged);

// "(column, row) -> (x, y) " for each flagged node, separated by ", " and cut short with
// ", more errors..." once the text has grown past 1199 characters.
std::string NodeListText(const CStringTable& strings, const CalcGrid& m,
                         const std::vector<GridNode>& flagged);

}  // namespace kv
