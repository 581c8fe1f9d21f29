// Mark positions per rotation and grid, placement of collected points into the measured
// grid, and the way back from a grid node to its mark.
#include <gtest/gtest.h>

#include "optrim/ui/MarkLayout.h"

namespace kv {
namespace {

TEST(MarkLayoutTest, FourMarksGoRoundTheScreenWithRotatedMargins) {
  // Left 6553 (a tenth), top 13107 (a fifth), right 19660, bottom 26214 on 1000 x 500.
  const CalMargins m{6553, 13107, 19660, 26214};
  struct Case {
    int rotation;
    std::vector<ScreenPoint> marks;
  };
  const Case cases[] = {
      {0, {{100, 100}, {100, 300}, {700, 300}, {700, 100}}},
      {1, {{400, 50}, {400, 350}, {800, 350}, {800, 50}}},    // (y1, x0, y0, x1)
      {2, {{300, 200}, {300, 400}, {900, 400}, {900, 200}}},  // (x1, y1, x0, y0)
      {3, {{200, 150}, {200, 450}, {600, 450}, {600, 150}}},  // (y0, x1, y1, x0)
  };
  for (const Case& c : cases)
    EXPECT_EQ(MarkPositions(1000, 500, m, c.rotation, 2, 2), c.marks) << c.rotation;
}

TEST(MarkLayoutTest, LargerGridsGoRowByRowWithTheDivisorAdded) {
  const CalMargins m{6553, 6553, 6553, 6553};  // 100 .. 900 and 50 .. 450
  const auto marks = MarkPositions(1000, 500, m, 0, 4, 3);
  ASSERT_EQ(marks.size(), 12u);
  // Column i: (800 * i + 3) / 3 + 100; row j: (400 * j + 2) / 2 + 50.
  EXPECT_EQ(marks[0], (ScreenPoint{101, 51}));
  EXPECT_EQ(marks[1], (ScreenPoint{367, 51}));
  EXPECT_EQ(marks[3], (ScreenPoint{901, 51}));
  EXPECT_EQ(marks[4], (ScreenPoint{101, 251}));
  EXPECT_EQ(marks[11], (ScreenPoint{901, 451}));
}

TEST(MarkLayoutTest, TwoByTwoPlacementFollowsTheRotationTable) {
  const GridCell table[4][4] = {
      {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
      {{1, 0}, {1, 1}, {0, 1}, {0, 0}},
      {{1, 1}, {0, 1}, {0, 0}, {1, 0}},
      {{0, 1}, {0, 0}, {1, 0}, {1, 1}},
  };
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(PlaceIndex(k, r, 2, 2), table[r][k]) << "rotation " << r << " point " << k;
      EXPECT_EQ(MarkOfNode({table[r][k].column, table[r][k].row}, r, 2, 2), k);
    }
  // Rotation 1: the fourth point collected is the sensor's top-left corner.
  std::vector<DevPoint> grid(25);
  const DevPoint points[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}};
  PlacePoints(points, 1, 2, 2, 5, grid);
  EXPECT_EQ(grid[0], (DevPoint{4, 4}));
  EXPECT_EQ(grid[5], (DevPoint{1, 1}));
  EXPECT_EQ(grid[6], (DevPoint{2, 2}));
  EXPECT_EQ(grid[1], (DevPoint{3, 3}));
}

TEST(MarkLayoutTest, GridFillOrderPerRotation) {
  // A 3 by 3 grid: where the points 0, 1, 3 and 8 land.
  struct Case {
    int rotation;
    GridCell p0, p1, p3, p8;
  };
  const Case cases[] = {
      {0, {0, 0}, {0, 1}, {1, 0}, {2, 2}},  // row by row from the top-left
      {1, {2, 0}, {1, 0}, {2, 1}, {0, 2}},  // column 0 bottom-up, then column 1
      {2, {2, 2}, {2, 1}, {1, 2}, {0, 0}},  // backwards from the bottom-right
      {3, {0, 2}, {1, 2}, {0, 1}, {2, 0}},  // last column top-down, then the one before
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlaceIndex(0, c.rotation, 3, 3), c.p0) << c.rotation;
    EXPECT_EQ(PlaceIndex(1, c.rotation, 3, 3), c.p1) << c.rotation;
    EXPECT_EQ(PlaceIndex(3, c.rotation, 3, 3), c.p3) << c.rotation;
    EXPECT_EQ(PlaceIndex(8, c.rotation, 3, 3), c.p8) << c.rotation;
    for (int k = 0; k < 9; ++k) {
      const GridCell cell = PlaceIndex(k, c.rotation, 3, 3);
      EXPECT_EQ(MarkOfNode({cell.column, cell.row}, c.rotation, 3, 3), k);
    }
  }
  EXPECT_EQ(MarkOfNode({3, 0}, 0, 3, 3), -1);
}

TEST(MarkLayoutTest, ErrorNodesOfTheFourPointGridMapToTheirMarks) {
  // Node index row * 2 + column: 0 stays, 1 -> 3, 2 -> 1, 3 -> 2.
  const int expected[] = {0, 3, 1, 2};
  for (int n = 0; n < 4; ++n) EXPECT_EQ(MarkOfNode({n % 2, n / 2}, 0, 2, 2), expected[n]) << n;
}

}  // namespace
}  // namespace kv
