// Where the crosses sit, how a raw pen point becomes a pixel, which touches count, what
// the four touches compute to, and how the sensor tool is started.
#include <gtest/gtest.h>

#include "tabrix/calibration/CalibrationGeometry.h"
#include "tabrix/calibration/SensorCalibrationArgs.h"

namespace kv {
namespace {

using Points = CCalibrationGeometry::Points;

TEST(CalibrationGeometryTest, CrossesOnAFullHdScreen) {
  const CCalibrationGeometry g(1920, 1080);
  EXPECT_EQ(g.Corners(), (Points{{{96, 54}, {96, 994}, {1792, 994}, {1792, 54}}}));
  EXPECT_EQ(g.Centre(2), (ScreenPoint{1808, 1010}));
  // The middle of the raw range lands just inside the top-left quarter.
  EXPECT_EQ(g.ToScreen(32767, 32767), (ScreenPoint{959, 539}));
  EXPECT_EQ(g.ToScreen(65535, 65535), (ScreenPoint{1920, 1080}));
  EXPECT_EQ(g.MessagePanel(), (ScreenRect{480, 94, 1440, 546}));
  // Repaint areas stay on the screen, also for a cross near its edge on a tiny screen.
  EXPECT_EQ(g.BoxArea(0), (ScreenRect{92, 50, 132, 90}));
  EXPECT_EQ(CCalibrationGeometry(40, 40).BoxArea(2), (ScreenRect{2, 2, 40, 40}));
}

TEST(CalibrationGeometryTest, EachTargetTakesOnlyItsQuarter) {
  const CCalibrationGeometry g(1920, 1080);
  const ScreenPoint points[4] = {{959, 539}, {959, 540}, {960, 540}, {960, 539}};
  for (int target = 0; target < 4; ++target)
    for (int p = 0; p < 4; ++p) EXPECT_EQ(g.InQuadrant(target, points[p]), target == p) << target << p;
  EXPECT_FALSE(g.InQuadrant(4, points[0]));
}

TEST(CalibrationGeometryTest, TouchesOnTheCentresGiveTheNeutralCalibration) {
  const CCalibrationGeometry g(1920, 1080);
  const Points centres{{g.Centre(0), g.Centre(1), g.Centre(2), g.Centre(3)}};
  const CalibrationValues v = CCalibrationGeometry::Compute(g.Corners(), centres);
  EXPECT_DOUBLE_EQ(v.m_dRatioX, 1.0);
  EXPECT_DOUBLE_EQ(v.m_dRatioY, 1.0);
  EXPECT_DOUBLE_EQ(v.m_dOffsetX, 0.0);
  EXPECT_DOUBLE_EQ(v.m_dOffsetY, 0.0);
  // A pen reading 10 px right and 5 px low is corrected by exactly that.
  Points shifted = centres;
  for (ScreenPoint& p : shifted) p = {p.x + 10, p.y + 5};
  const CalibrationValues s = CCalibrationGeometry::Compute(g.Corners(), shifted);
  EXPECT_DOUBLE_EQ(s.m_dRatioX, 1.0);
  EXPECT_DOUBLE_EQ(s.m_dOffsetX, 10.0);
  EXPECT_DOUBLE_EQ(s.m_dOffsetY, 5.0);
  // Corrected = raw x ratio - offset maps the mean touches back onto the cross centres.
  Points squeezed{{{150, 90}, {150, 990}, {1770, 990}, {1770, 90}}};
  const CalibrationValues q = CCalibrationGeometry::Compute(g.Corners(), squeezed);
  EXPECT_NEAR(150 * q.m_dRatioX - q.m_dOffsetX, 112.0, 1.0);
  EXPECT_NEAR(1770 * q.m_dRatioX - q.m_dOffsetX, 1808.0, 1.0);
  EXPECT_NEAR(990 * q.m_dRatioY - q.m_dOffsetY, 1010.0, 1.0);
}

TEST(CalibrationGeometryTest, TouchedSpanBelowOnePixelCountsAsOne) {
  const CCalibrationGeometry g(1920, 1080);
  const Points same{{{500, 300}, {500, 300}, {500, 300}, {500, 300}}};
  const CalibrationValues v = CCalibrationGeometry::Compute(g.Corners(), same);
  EXPECT_DOUBLE_EQ(v.m_dRatioX, 1696.0);
  EXPECT_DOUBLE_EQ(v.m_dRatioY, 940.0);
}

TEST(CalibrationGeometryTest, TouchesMustLieInTheirOrder) {
  EXPECT_TRUE(CCalibrationGeometry::TouchesInOrder({{{100, 60}, {100, 1000}, {1800, 1000}, {1800, 60}}}));
  // Touch 3 below touch 1: only a screen that grew between the touches gives this.
  EXPECT_FALSE(CCalibrationGeometry::TouchesInOrder({{{100, 60}, {100, 1000}, {1800, 1000}, {3000, 1050}}}));
  EXPECT_FALSE(CCalibrationGeometry::TouchesInOrder({{{900, 60}, {100, 1000}, {900, 1000}, {1800, 60}}}));
}

TEST(SensorCalibrationArgsTest, PointsRotationAndTallScreens) {
  const struct {
    int m_iOption, m_iRotation, m_iWidth, m_iHeight;
    const char* m_pszExpected;
  } cases[] = {
      {0, 90, 2560, 1440, "-b -r1 Optrim_y1200.ini"},
      {1, 0, 1920, 1080, "-p"},
      {2, 180, 1920, 1200, "-r2 Optrim_y1200.ini"},
      {0, 270, 1080, 1920, "-b -r3"},
      {1, 45, 1200, 1920, "-p Optrim_y1200.ini"},
      {0, 0, 2000, 2000, "-b"},  // a square screen never counts as tall
  };
  for (const auto& c : cases)
    EXPECT_EQ(CSensorCalibrationArgs::Parameters(c.m_iOption, c.m_iRotation, c.m_iWidth, c.m_iHeight),
              c.m_pszExpected);
  EXPECT_EQ(CSensorCalibrationArgs::ToolPath("/opt/kavro"), "/opt/kavro/VT-R800A/Optrim");
}

}  // namespace
}  // namespace kv
