#include "optrim/calibration/SensorCalibration.h"

#include <gtest/gtest.h>

#include <cmath>

#include "optrim/calibration/DefaultTables.h"
#include "optrim/calibration/GridChecks.h"

namespace kv {
namespace {

constexpr CalMargins kMargins{2185, 2185, 2185, 2185};

// An evenly spaced measured grid, rows `stride` nodes apart.
std::vector<DevPoint> Grid(int nx, int ny, int stride, int x0, int dx, int y0, int dy) {
  std::vector<DevPoint> g(static_cast<size_t>(stride * stride));
  for (int j = 0; j <= ny; ++j) {
    for (int i = 0; i <= nx; ++i) {
      g[static_cast<size_t>(j * stride + i)] = DevPoint{static_cast<int16_t>(x0 + i * dx), static_cast<int16_t>(y0 + j * dy)};
    }
  }
  return g;
}

DevPoint& Node(std::vector<DevPoint>& g, int stride, int row, int column) {
  return g[static_cast<size_t>(row * stride + column)];
}

// A block no computation produces, to see that a failure leaves it alone.
SensorCalBlock Sentinel() {
  SensorCalBlock b = MakeDefaultCalBlock(CalDefaults{3, 2, {-111, 222}, {3333, 4444}, {700, 800, 900, 1000}});
  b.angle = CalAngleParam{1, 11, -22, 33};
  return b;
}

class SensorCalibrationTest : public ::testing::Test {
 protected:
  // 4 by 4 cells of 10000 x 7000 from (-20000, 2000).
  std::vector<DevPoint> Linear44() const { return Grid(4, 4, kPreciseStride, -20000, 10000, 2000, 7000); }

  int Precise(const std::vector<DevPoint>& m, int angle = 0, int nx1 = 4, int ny1 = 4, int nx2 = 1, int ny2 = 1,
              CalMargins basic = kMargins, uint32_t baseL = 32767) {
    return calc.PreciseCalibration(nx1, ny1, nx2, ny2, angle, baseL, kMargins, basic, m, &block, &count, &list, &message);
  }
  int Basic(const std::vector<DevPoint>& m, int nx2 = 1, int ny2 = 1, uint32_t baseL = 32767) {
    return calc.BasicCalibration(nx2, ny2, baseL, kMargins, m, &block, &count, &list, &message);
  }

  CStringTable strings = CStringTable::BuiltIn("optrim");
  CSensorCalibration calc{strings};
  SensorCalBlock block = Sentinel();
  int count = -1;
  std::vector<GridNode> list;
  std::string message = "unset";
};

TEST_F(SensorCalibrationTest, LinearGridGivesItselfAsPreciseTableAndTheScreenGridAsBasic) {
  for (int angle : {0, 1}) {
    SCOPED_TRACE(angle);
    CSensorCalibration fresh(strings);
    block = Sentinel();
    ASSERT_EQ(fresh.PreciseCalibration(4, 4, 1, 1, angle, 32767, kMargins, kMargins, Linear44(), &block, &count,
                                       &list, &message),
              CAL_OK);
    EXPECT_EQ(message, "");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(block.angle, (CalAngleParam{static_cast<uint8_t>(angle), 0, 0, 0}));
    EXPECT_EQ(block.precise.nx1, 4);
    EXPECT_EQ(block.precise.ny1, 4);
    for (int j = 0; j <= 4; ++j) {
      for (int i = 0; i <= 4; ++i) {
        EXPECT_EQ(block.precise.At(j, i), (DevPoint{static_cast<int16_t>(-20000 + 10000 * i), static_cast<int16_t>(2000 + 7000 * j)}));
      }
    }
    EXPECT_EQ(block.basic.nx2, 1);
    EXPECT_EQ(block.basic.devMin, (DevPoint{-20000, 2000}));
    EXPECT_EQ(block.basic.devMax, (DevPoint{20000, 30000}));
    EXPECT_EQ(static_cast<uint16_t>(block.basic.At(0, 0).x), 2185);
    EXPECT_EQ(static_cast<uint16_t>(block.basic.At(1, 1).x), 63350);
    EXPECT_EQ(static_cast<uint16_t>(block.basic.At(1, 1).y), 63350);
    // Nodes outside the table sizes stay zero.
    EXPECT_EQ(block.precise.At(5, 5), DevPoint{});
    EXPECT_EQ(block.basic.At(2, 2), DevPoint{});
  }
}

TEST_F(SensorCalibrationTest, BasicCornersFollowTheBasicMarginsThroughTheMeasuredRange) {
  // devMin.x = -20000 + MulDiv(4370 - 2185, 40000, 61165) = -20000 + 1429 (1428.9)
  // devMin.y = 2000 + MulDiv(2185, 28000, 61165) = 2000 + 1000 (1000.2)
  // devMax.x = -20000 + MulDiv(61165 - 2185, 40000, 61165) = -20000 + 38571
  ASSERT_EQ(Precise(Linear44(), 0, 4, 4, 2, 1, CalMargins{4370, 4370, 4370, 4370}), CAL_OK);
  EXPECT_EQ(block.basic.devMin, (DevPoint{-18571, 3000}));
  EXPECT_EQ(block.basic.devMax, (DevPoint{18571, 2000 + 27000}));
  EXPECT_EQ(block.basic.nx2, 2);
  EXPECT_EQ(static_cast<uint16_t>(block.basic.At(0, 1).x), 4370 + (65535 - 8740) / 2);
}

TEST_F(SensorCalibrationTest, FirstCornerRightOfTheLastIsReportedBeforeAnythingElse) {
  auto m = Linear44();
  Node(m, 10, 0, 0).x = 25000;   // right of the last corner
  Node(m, 10, 0, 0).y = 31000;   // and below it
  Node(m, 10, 2, 2).x = 30000;   // plus an order error in the middle
  const SensorCalBlock before = block;
  EXPECT_EQ(Precise(m, 1), CAL_ERR_X_ORDER);
  EXPECT_EQ(message, "ERR : minimum x is greater than maximum x.");
  EXPECT_EQ(calc.Detail(), "Error: xmin > xmax");
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(block, before);
  EXPECT_EQ(calc.Trace(), "");
}

TEST_F(SensorCalibrationTest, FirstCornerNotAboveTheLastGives11) {
  auto m = Linear44();
  Node(m, 10, 0, 0).y = 30000;  // equal counts as well
  EXPECT_EQ(Precise(m), CAL_ERR_Y_ORDER);
  EXPECT_EQ(message, "ERR : minimum y is greater than maximum y.");
  EXPECT_EQ(calc.Detail(), "Error: ymin > ymax");
}

TEST_F(SensorCalibrationTest, NodeLeftOfItsNeighbourFlagsBothWith12) {
  auto m = Linear44();
  Node(m, 10, 2, 1).x = -20001;  // not right of (0, 2)
  const SensorCalBlock before = block;
  EXPECT_EQ(Precise(m), CAL_ERR_POINT_ORDER);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(list, (std::vector<GridNode>{{0, 2}, {1, 2}}));
  EXPECT_EQ(message, "(0, 2) -> (-20000, 16000) , (1, 2) -> (-20001, 16000) ");
  EXPECT_EQ(calc.Detail(), message);
  EXPECT_EQ(block, before);
}

TEST_F(SensorCalibrationTest, VerticalOrderIsCheckedToo) {
  auto m = Linear44();
  Node(m, 10, 3, 4).y = 30000;  // same y as the node below it
  EXPECT_EQ(Precise(m), CAL_ERR_POINT_ORDER);
  EXPECT_EQ(list, (std::vector<GridNode>{{4, 3}, {4, 4}}));
}

TEST_F(SensorCalibrationTest, MiddleNodeSixtyPercentOffGives13FortyPercentPasses) {
  // The tolerance is half a cell: 40000 / (4 * 2) = 5000.
  auto m = Linear44();
  Node(m, 10, 2, 2).x = 6000;
  const SensorCalBlock before = block;
  EXPECT_EQ(Precise(m), CAL_ERR_POINT_DEVIATION);
  EXPECT_EQ(list, (std::vector<GridNode>{{2, 2}}));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(message, "(2, 2) -> (6000, 16000) ");
  EXPECT_EQ(block, before);

  Node(m, 10, 2, 2).x = 5000;  // exactly half a cell is already too far
  EXPECT_EQ(Precise(m), CAL_ERR_POINT_DEVIATION);

  Node(m, 10, 2, 2).x = 4000;
  ASSERT_EQ(Precise(m), CAL_OK);
  // devTbl = L + MulDiv(L - M, L(i+1) - L(i-1), M(i+1) - M(i-1)): the table pre-distorts
  // the other way; the neighbours see M(2,2) - M(2,0) = 24000 but L - M = 0.
  EXPECT_EQ(block.precise.At(2, 2).x, -4000);
  EXPECT_EQ(block.precise.At(2, 1).x, -10000);
  EXPECT_EQ(block.precise.At(2, 3).x, 10000);
  EXPECT_EQ(block.precise.At(2, 2).y, 16000);
}

TEST_F(SensorCalibrationTest, LongNodeListIsCutWithMoreErrors) {
  // 9 by 9 cells; odd columns and rows 1..7 moved 60 % of a cell: 64 nodes deviate.
  auto m = Grid(9, 9, 10, -27000, 6000, 1000, 3000);
  for (int j = 0; j <= 9; ++j) {
    for (int i = 0; i <= 9; ++i) {
      if (i % 2 == 1 && i < 9) Node(m, 10, j, i).x = static_cast<int16_t>(Node(m, 10, j, i).x + 3600);
      if (j % 2 == 1 && j < 9) Node(m, 10, j, i).y = static_cast<int16_t>(Node(m, 10, j, i).y + 1800);
    }
  }
  ASSERT_EQ(Precise(m, 0, 9, 9), CAL_ERR_POINT_DEVIATION);
  EXPECT_EQ(count, 64);
  EXPECT_EQ(list.size(), 64u);
  const std::string more = ", more errors...";
  ASSERT_GT(message.size(), more.size());
  EXPECT_EQ(message.substr(message.size() - more.size()), more);
  const std::string listed = message.substr(0, message.size() - more.size());
  EXPECT_GT(listed.size(), 1199u);
  // The item that crossed the limit is the last one added.
  size_t lastSep = listed.rfind(", (");
  ASSERT_NE(lastSep, std::string::npos);
  EXPECT_LE(lastSep, 1199u);
}

TEST_F(SensorCalibrationTest, ApplyAngleLeavesTheBaselineAloneAndFollowsTheFormula) {
  calc.SetAngle(1, 32767, AngleDeltas{0.1, -0.2, 0.05});
  CalcPoint p{1234, 0};
  EXPECT_EQ(calc.ApplyAngle(&p), CAL_OK);
  EXPECT_EQ(p, (CalcPoint{1234, 0}));

  // baseL 3, point (0, 2): f = 2, g = 1, h = 8, l = 5.
  calc.SetAngle(1, 3, AngleDeltas{1.0, 0.0, 0.0});
  p = CalcPoint{0, 2};
  ASSERT_EQ(calc.ApplyAngle(&p), CAL_OK);
  EXPECT_EQ(p, (CalcPoint{1, -1}));  // floor(8/6 + .5), floor(2 - 8/3 + .5)
  calc.SetAngle(1, 3, AngleDeltas{0.0, 1.0, 0.0});
  p = CalcPoint{0, 2};
  ASSERT_EQ(calc.ApplyAngle(&p), CAL_OK);
  EXPECT_EQ(p, (CalcPoint{-2, 0}));  // floor(-10/6 + .5), floor(2 - 5/3 + .5)
  calc.SetAngle(1, 3, AngleDeltas{0.0, 0.0, 0.5});
  p = CalcPoint{4, 2};  // u = 4
  ASSERT_EQ(calc.ApplyAngle(&p), CAL_OK);
  EXPECT_EQ(p, (CalcPoint{5, 0}));  // floor(4 + 1 + .5), floor(2 - 2 + .5)

  // The x offset moves the baseline's centre.
  CSensorCalibration shifted(strings, 4);
  shifted.SetAngle(1, 3, AngleDeltas{0.0, 0.0, 0.5});
  p = CalcPoint{4, 2};  // u = 0
  ASSERT_EQ(shifted.ApplyAngle(&p), CAL_OK);
  EXPECT_EQ(p, (CalcPoint{5, 2}));
}

TEST_F(SensorCalibrationTest, ApplyAngleReportsResultsBeyondThirtyTwoBitsAndAZeroBaseline) {
  calc.SetAngle(1, 32767, AngleDeltas{1e9, 0.0, 0.0});
  CalcPoint p{100, 20000};
  EXPECT_EQ(calc.ApplyAngle(&p), CAL_ERR_OUT_OF_RANGE);
  EXPECT_EQ(p, (CalcPoint{100, 20000}));
  calc.SetAngle(1, 0, AngleDeltas{0.1, 0.0, 0.0});
  EXPECT_EQ(calc.ApplyAngle(&p), CAL_ERR_ZERO_SPAN);
  EXPECT_EQ(p, (CalcPoint{100, 20000}));
}

CalPreciseParam Table22() {
  // 2 by 2 cells of 100, the top-right node pulled out to x = 260.
  CalPreciseParam t;
  t.nx1 = 2;
  t.ny1 = 2;
  for (int j = 0; j <= 2; ++j) {
    for (int i = 0; i <= 2; ++i) t.At(j, i) = DevPoint{static_cast<int16_t>(100 * i), static_cast<int16_t>(100 * j)};
  }
  t.At(0, 2).x = 260;
  return t;
}

TEST_F(SensorCalibrationTest, ApplyPreciseInterpolatesAndExtrapolatesTheEdgeCell) {
  calc.SetPreciseTable(Table22());
  struct Case {
    CalcPoint in, out;
  };
  const Case cases[] = {
      {{150, 50}, {165, 50}},  // .25 of each corner: 25 + 65 + 50 + 25
      {{101, 50}, {101, 50}},  // 101.3 floors
      {{300, 50}, {360, 50}},  // s = 3: cell 1, fraction 2
      {{-100, 50}, {-100, 50}},
      {{200, 200}, {200, 200}},
      {{0, 0}, {0, 0}},
  };
  for (const Case& c : cases) {
    CalcPoint p = c.in;
    ASSERT_EQ(calc.ApplyPrecise(&p), CAL_OK) << c.in.x << "," << c.in.y;
    EXPECT_EQ(p, c.out) << c.in.x << "," << c.in.y;
  }
}

TEST_F(SensorCalibrationTest, ApplyPreciseRefusesADegenerateTable) {
  CalPreciseParam t = Table22();
  t.At(2, 2).x = 0;  // last node straight below the first
  calc.SetPreciseTable(t);
  CalcPoint p{50, 50};
  EXPECT_EQ(calc.ApplyPrecise(&p), CAL_ERR_ZERO_SPAN);
  EXPECT_EQ(p, (CalcPoint{50, 50}));
  t = Table22();
  t.At(2, 2).y = 0;
  calc.SetPreciseTable(t);
  EXPECT_EQ(calc.ApplyPrecise(&p), CAL_ERR_ZERO_SPAN);
  // A table one unit wide extrapolates far beyond 32 bits.
  t = Table22();
  t.At(2, 2).x = 1;
  t.At(0, 1).x = 30000;
  calc.SetPreciseTable(t);
  p = CalcPoint{32767, 32767};
  EXPECT_EQ(calc.ApplyPrecise(&p), CAL_ERR_OUT_OF_RANGE);
  EXPECT_EQ(p, (CalcPoint{32767, 32767}));
}

TEST_F(SensorCalibrationTest, DeltasAreStoredTimes16384TruncatedTowardZero) {
  struct Case {
    double delta;
    int16_t stored;
  };
  for (const Case& c : {Case{0.5, 8192}, Case{-0.5, -8192}, Case{0.99999, 16383}, Case{-0.50003, -8192},
                        Case{-2.0, -32768}, Case{1.99999, 32767}}) {
    CSensorCalibration fresh(strings);
    // With the angle fit off the deltas the object holds are stored as they are.
    fresh.SetAngle(0, 32767, AngleDeltas{c.delta, 0.0, c.delta});
    ASSERT_EQ(fresh.PreciseCalibration(4, 4, 1, 1, 0, 32767, kMargins, kMargins, Linear44(), &block, &count, &list,
                                       &message),
              CAL_OK);
    EXPECT_EQ(block.angle.deltaL, c.stored) << c.delta;
    EXPECT_EQ(block.angle.deltaD, c.stored) << c.delta;
    EXPECT_EQ(block.angle.deltaR, 0);
  }
}

TEST_F(SensorCalibrationTest, DeltaTheTableCannotHoldIsReportedNotWrapped) {
  const int codes[3] = {CAL_ERR_DELTA_L, CAL_ERR_DELTA_R, CAL_ERR_DELTA_D};
  const char* texts[3] = {"ERR : too large deltaL in the angle adjust parameter.",
                          "ERR : too large deltaR in the angle adjust parameter.",
                          "ERR : too large deltaD in the angle adjust parameter."};
  for (int k = 0; k < 3; ++k) {
    AngleDeltas d;
    (k == 0 ? d.dDeltaL : k == 1 ? d.dDeltaR : d.dDeltaD) = 2.5;
    calc.SetAngle(0, 32767, d);
    block = Sentinel();
    EXPECT_EQ(Precise(Linear44()), codes[k]);
    EXPECT_EQ(message, texts[k]);
    EXPECT_NE(calc.Detail().find("2.500000"), std::string::npos) << calc.Detail();
    EXPECT_EQ(block, Sentinel());
  }
}

TEST_F(SensorCalibrationTest, InputChecksGive1AndLeaveTheBlock) {
  struct Case {
    int nx1, ny1, nx2, ny2;
    uint32_t baseL;
  };
  const auto m = Grid(9, 9, 10, -27000, 6000, 1000, 3000);
  for (const Case& c : {Case{0, 4, 1, 1, 1}, Case{10, 4, 1, 1, 1}, Case{4, 0, 1, 1, 1}, Case{4, 10, 1, 1, 1},
                        Case{4, 4, 0, 1, 1}, Case{4, 4, 5, 1, 1}, Case{4, 4, 1, 0, 1}, Case{4, 4, 1, 5, 1},
                        Case{4, 4, 1, 1, 0}}) {
    EXPECT_EQ(calc.PreciseCalibration(c.nx1, c.ny1, c.nx2, c.ny2, 0, c.baseL, kMargins, kMargins, m, &block, &count,
                                      &list, &message),
              CAL_ERR_PARAMETER)
        << c.nx1 << " " << c.ny1 << " " << c.nx2 << " " << c.ny2 << " " << c.baseL;
    EXPECT_EQ(message, "ERR : input parameter(s).");
    EXPECT_EQ(block, Sentinel());
  }
  // A measured grid shorter than the sizes need.
  std::vector<DevPoint> shortGrid(44);
  EXPECT_EQ(calc.PreciseCalibration(4, 4, 1, 1, 0, 1, kMargins, kMargins, shortGrid, &block, &count, &list, &message),
            CAL_ERR_PARAMETER);
  EXPECT_EQ(calc.PreciseCalibration(4, 4, 1, 1, 0, 1, kMargins, kMargins, m, nullptr, &count, &list, &message),
            CAL_ERR_PARAMETER);
}

TEST_F(SensorCalibrationTest, UnknownCodesHaveTheUndefinedMessage) {
  EXPECT_EQ(CalResultMessage(strings, 99), "undefined err.");
  EXPECT_EQ(CalResultMessage(strings, CAL_ERR_ANGLE_FIT), "ERR : can't calculate the angle adjust parameter.");
  EXPECT_EQ(CalResultMessage(strings, CAL_OK), "");
}

TEST_F(SensorCalibrationTest, TraceListsInputsAndTables) {
  calc.SetAngle(0, 32767, AngleDeltas{0.5, 0.0, 0.0});
  ASSERT_EQ(Precise(Linear44(), 0, 4, 4, 1, 1, CalMargins{4370, 2185, 2185, 2185}), CAL_OK);
  const std::string& t = calc.Trace();
  for (const char* line :
       {"x0 : 2185, y0 : 2185, x1 : 2185, y1 : 2185\nx0 : 4370, y0 : 2185, x1 : 2185, y1 : 2185\nCalAngleParam -----\n",
        "\nbAngleEnb : 0\nbaseL : 32767\ndDeltaL : 0.500000, ( * factor ) : 8192.000000\n",
        "\nCalPreciseParam -----\nnx1, ny1 : 4, 4\ndevTbl : \n"
        "( -20000,   2000), ( -10000,   2000), (      0,   2000), (  10000,   2000), (  20000,   2000), \n",
        "\nCalBasicParam -----\nnx2, ny2 : 1, 1\n", "\nhiTbl : \n(   4370,   2185), (  63350,   2185), \n"}) {
    EXPECT_NE(t.find(line), std::string::npos) << line << "\n--- in ---\n" << t;
  }
  const size_t before = t.size();
  ASSERT_EQ(Precise(Linear44()), CAL_OK);
  EXPECT_GT(calc.Trace().size(), before);  // appended, not replaced
}

// The measured points a rectangle shows when the sensor has the given angle error: the
// points Q with ApplyAngle(Q) = R, found by fixed-point iteration.
std::vector<DevPoint> Distorted(const std::vector<DevPoint>& rect, int nx, int ny, double a, double b, double d,
                                double baseL) {
  std::vector<DevPoint> out = rect;
  for (int j = 0; j <= ny; ++j) {
    for (int i = 0; i <= nx; ++i) {
      const DevPoint r = rect[static_cast<size_t>(j * 10 + i)];
      double x = r.x, y = r.y;
      for (int it = 0; it < 100; ++it) {
        double f = (baseL + 1) / 2 + x, g = baseL - f, h = f * f + y * y, l = y * y + g * g;
        double cx = a * h * g / (y * baseL) - b * f * l / (y * baseL) + y * d;
        double cy = -a * h / baseL - b * l / baseL - d * x;
        x = r.x - cx;
        y = r.y - cy;
      }
      out[static_cast<size_t>(j * 10 + i)] = DevPoint{static_cast<int16_t>(std::lround(x)), static_cast<int16_t>(std::lround(y))};
    }
  }
  return out;
}

TEST_F(SensorCalibrationTest, AngleFitRecoversTheDeltasOfADistortedRectangle) {
  const double a = 0.004, b = -0.003, d = 0.002;
  const auto rect = Grid(4, 4, 10, -16000, 8000, 6000, 5000);
  const auto m = Distorted(rect, 4, 4, a, b, d, 32767);
  ASSERT_NE(m, rect);
  ASSERT_EQ(Precise(m, 1), CAL_OK) << message;
  EXPECT_EQ(calc.FitStatus(), 0);
  EXPECT_NEAR(calc.Deltas().dDeltaL, a, 1e-4);
  EXPECT_NEAR(calc.Deltas().dDeltaR, b, 1e-4);
  EXPECT_NEAR(calc.Deltas().dDeltaD, d, 1e-4);
  EXPECT_NEAR(block.angle.deltaL, a * 16384, 2);
  EXPECT_NEAR(block.angle.deltaD, d * 16384, 2);
  // The corrected grid is the rectangle again, so the table is (nearly) that rectangle.
  for (int j = 0; j <= 4; ++j) {
    for (int i = 0; i <= 4; ++i) {
      EXPECT_NEAR(block.precise.At(j, i).x, rect[static_cast<size_t>(j * 10 + i)].x, 8) << j << "," << i;
      EXPECT_NEAR(block.precise.At(j, i).y, rect[static_cast<size_t>(j * 10 + i)].y, 8) << j << "," << i;
    }
  }
}

TEST_F(SensorCalibrationTest, SingularFitLeavesTheDeltas) {
  // All points alike: every difference row vanishes and the determinant is 0.
  CalcGrid same;
  same.columns = 4;
  same.rows = 4;
  for (auto& n : same.nodes) n = CalcPoint{1000, 9000};
  AngleDeltas d{0.25, -0.125, 0.5};
  EXPECT_EQ(CAngleFit::Fit(same, 32767, 0, &d), CAngleFit::kFitFailed);
  EXPECT_EQ(d.dDeltaL, 0.25);
  EXPECT_EQ(d.dDeltaR, -0.125);
  EXPECT_EQ(d.dDeltaD, 0.5);
}

TEST_F(SensorCalibrationTest, FitOverTheBaselineFailsAndTheCalibrationGoesOn) {
  // A top row on y = 0 gives no equations; the stored deltas are kept and used.
  auto m = Grid(4, 4, 10, -20000, 10000, 0, 7000);
  calc.SetAngle(0, 32767, AngleDeltas{0.0, 0.0, 1.0 / 16384});
  ASSERT_EQ(Precise(m, 1), CAL_OK) << message << calc.Detail();
  EXPECT_EQ(calc.FitStatus(), CAngleFit::kFitFailed);
  EXPECT_EQ(block.angle.bAngleEnb, 1);
  EXPECT_EQ(block.angle.deltaD, 1);
  EXPECT_EQ(block.angle.deltaL, 0);
}

TEST_F(SensorCalibrationTest, FitStatusFlagsLargeDeltas) {
  // With dDeltaL = dDeltaR = 0 the correction is linear (x + d y, y - d x) and can be
  // inverted exactly: the measured grid of a rectangle seen with d = 1.5.
  const double d = 1.5;
  CalcGrid g;
  g.columns = 4;
  g.rows = 4;
  for (int j = 0; j <= 4; ++j) {
    for (int i = 0; i <= 4; ++i) {
      const double X = -8000 + 4000 * i, Y = 10000 + 3000 * j;
      const double x = (X - d * Y) / (1 + d * d);
      g.At(j, i) = CalcPoint{static_cast<int32_t>(std::lround(x)), static_cast<int32_t>(std::lround(Y + d * x))};
    }
  }
  AngleDeltas fitted;
  const int status = CAngleFit::Fit(g, 32767, 0, &fitted);
  EXPECT_EQ(status, CAngleFit::kLargeDeltaD);
  EXPECT_NEAR(fitted.dDeltaD, d, 1e-3);
  EXPECT_NEAR(fitted.dDeltaL, 0.0, 1e-4);
  EXPECT_NEAR(fitted.dDeltaR, 0.0, 1e-4);
}

// --- basic calibration -------------------------------------------------------------

class BasicCalibrationTest : public SensorCalibrationTest {
 protected:
  void SetUp() override {
    // The stored block: a linear precise table over the 4 by 4 grid.
    CSensorCalibration first(strings);
    // Cells of 8192 x 4096: every fraction ApplyPrecise forms is exact in binary, so the
    // table maps points onto themselves without floor() losing a unit.
    ASSERT_EQ(first.PreciseCalibration(4, 4, 1, 1, 0, 32767, kMargins, kMargins,
                                       Grid(4, 4, 10, -16384, 8192, 1024, 4096), &block, &count, &list, &message),
              CAL_OK);
    stored = block;
  }
  SensorCalBlock stored;
};

TEST_F(BasicCalibrationTest, CornersOnALinearTableGiveTheScreenGrid) {
  auto m = Grid(1, 1, 5, -16384, 32768, 1024, 16384);
  ASSERT_EQ(Basic(m), CAL_OK) << message << calc.Detail();
  EXPECT_EQ(block.angle, stored.angle);
  EXPECT_EQ(block.precise, stored.precise);
  EXPECT_EQ(block.basic.devMin, (DevPoint{-16384, 1024}));
  EXPECT_EQ(block.basic.devMax, (DevPoint{16384, 17408}));
  EXPECT_EQ(static_cast<uint16_t>(block.basic.At(0, 0).x), 2185);
  EXPECT_EQ(static_cast<uint16_t>(block.basic.At(0, 1).x), 63350);
  EXPECT_EQ(static_cast<uint16_t>(block.basic.At(1, 0).y), 63350);
  EXPECT_NE(calc.Trace().find("nx2, ny2 : 1, 1"), std::string::npos);
}

TEST_F(BasicCalibrationTest, TwoByTwoGridWithAMiddleNodeOffIsCorrectedInTheScreenTable) {
  auto m = Grid(2, 2, 5, -16384, 16384, 1024, 8192);
  Node(m, 5, 1, 1).x = 4096;  // 25 % of a cell
  ASSERT_EQ(Basic(m, 2, 2), CAL_OK) << message;
  // hiTbl.x = H.x + MulDiv(0 - 4096, 63350 - 2185, 16384 - -16384) = 32767 - 7646 (7645.6)
  EXPECT_EQ(static_cast<uint16_t>(block.basic.At(1, 1).x), 32767 - 7646);
  EXPECT_EQ(static_cast<uint16_t>(block.basic.At(1, 1).y), 32767);
  EXPECT_EQ(static_cast<uint16_t>(block.basic.At(1, 0).x), 2185);
  Node(m, 5, 1, 1).x = 10000;  // 61 %
  block = stored;
  EXPECT_EQ(Basic(m, 2, 2), CAL_ERR_POINT_DEVIATION);
  EXPECT_EQ(list, (std::vector<GridNode>{{1, 1}}));
  EXPECT_EQ(block, stored);
}

TEST_F(BasicCalibrationTest, OrderIsCheckedBeforeTheCorrections) {
  auto m = Grid(1, 1, 5, 20000, -40000, 2000, 28000);
  EXPECT_EQ(Basic(m), CAL_ERR_X_ORDER);
  EXPECT_EQ(block, stored);
}

TEST_F(BasicCalibrationTest, StoredAngleIsApplied) {
  // deltaD = 256 / 16384 = 1 / 64.
  block.angle = CalAngleParam{1, 0, 0, 256};
  stored = block;
  auto m = Grid(1, 1, 5, -16384, 32768, 1024, 16384);
  ASSERT_EQ(Basic(m), CAL_OK) << message << calc.Detail();
  EXPECT_EQ(block.angle, stored.angle);
  // x' = x + y * d (a = b = 0), y' = y - d * x; then the linear table maps it unchanged.
  // (-16384, 1024) -> (-16384 + 16, 1024 + 256); (16384, 17408) -> (16384 + 272, 17408 - 256);
  // the second lies past the table and is extrapolated onto itself.
  EXPECT_EQ(block.basic.devMin, (DevPoint{-16368, 1280}));
  EXPECT_EQ(block.basic.devMax, (DevPoint{16656, 17152}));
}

TEST_F(BasicCalibrationTest, InputChecksIncludeTheStoredPreciseSize) {
  auto m = Grid(1, 1, 5, -16384, 32768, 1024, 16384);
  struct Case {
    int nx2, ny2;
    uint32_t baseL;
    int nx1, ny1;
  };
  for (const Case& c : {Case{0, 1, 1, 4, 4}, Case{5, 1, 1, 4, 4}, Case{1, 0, 1, 4, 4}, Case{1, 5, 1, 4, 4},
                        Case{1, 1, 0, 4, 4}, Case{1, 1, 1, 0, 4}, Case{1, 1, 1, 10, 4}, Case{1, 1, 1, 4, 0},
                        Case{1, 1, 1, 4, 10}}) {
    block = stored;
    block.precise.nx1 = static_cast<uint8_t>(c.nx1);
    block.precise.ny1 = static_cast<uint8_t>(c.ny1);
    const SensorCalBlock before = block;
    EXPECT_EQ(calc.BasicCalibration(c.nx2, c.ny2, c.baseL, kMargins, m, &block, &count, &list, &message),
              CAL_ERR_PARAMETER)
        << c.nx2 << " " << c.ny2 << " " << c.baseL << " " << c.nx1 << " " << c.ny1;
    EXPECT_EQ(block, before);
  }
}

TEST_F(BasicCalibrationTest, DegenerateStoredPreciseTableGives14NotNaN) {
  auto m = Grid(1, 1, 5, -16384, 32768, 1024, 16384);
  for (bool width : {true, false}) {
    block = stored;
    // The last node of the stored table on top of the first, in x or in y.
    if (width) block.precise.At(4, 4).x = block.precise.At(0, 0).x;
    else block.precise.At(4, 4).y = block.precise.At(0, 0).y;
    const SensorCalBlock before = block;
    EXPECT_EQ(Basic(m), CAL_ERR_ZERO_SPAN);
    EXPECT_EQ(message, "ERR : a span the calculation divides by is zero.");
    EXPECT_EQ(calc.Detail(), width ? "Error: the stored precise table has no width."
                                   : "Error: the stored precise table has no height.");
    EXPECT_EQ(block, before);
  }
  // An all-zero block as a sensor without tables would give.
  block = SensorCalBlock{};
  block.precise.nx1 = block.precise.ny1 = 4;
  EXPECT_EQ(Basic(m), CAL_ERR_ZERO_SPAN);
}

TEST_F(BasicCalibrationTest, CorrectionLeavingTheSensorRangeIsReported) {
  // A stored table whose last column is 32384 wide extrapolates the right-hand corners
  // (x = 32767, s = 6.0) to about 81148, beyond the s16 fields.
  block = stored;
  for (int j = 0; j <= 4; ++j) block.precise.At(j, 3).x = -16000;
  const SensorCalBlock before = block;
  auto m = Grid(1, 1, 5, -16384, 49151, 1024, 16384);
  EXPECT_EQ(Basic(m), CAL_ERR_OUT_OF_RANGE);
  EXPECT_EQ(message, "ERR : a calculated value does not fit the sensor's coordinates.");
  EXPECT_EQ(block, before);
}

}  // namespace
}  // namespace kv
