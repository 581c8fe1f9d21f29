// The hold rules of the touch-sample tracker, step by step on explicit times.
#include <gtest/gtest.h>

#include "optrim/ui/TouchSampleTracker.h"

namespace kv {
namespace {

struct Step {
  int x, y;
  uint32_t atMs;
  bool stored;
  bool complete;
};

struct HoldCase {
  const char* name;
  std::vector<TrackerPoint> accepted;
  std::vector<Step> steps;
};

class TrackerHoldTest : public ::testing::TestWithParam<HoldCase> {};

TEST_P(TrackerHoldTest, FollowsTheHoldRules) {
  CTouchSampleTracker t;
  for (const TrackerPoint& p : GetParam().accepted) t.AddAccepted(p);
  for (size_t i = 0; i < GetParam().steps.size(); ++i) {
    const Step& s = GetParam().steps[i];
    EXPECT_EQ(t.OnSample(s.x, s.y, s.atMs), s.stored) << "step " << i;
    EXPECT_EQ(t.IsComplete(), s.complete) << "step " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TrackerHoldTest,
    ::testing::Values(
        HoldCase{"NearAnAcceptedPointNeverStarts", {{1000, 1000}},
                 {{1800, 1800, 0, false, false}, {200, 1700, 10, false, false}}},
        HoldCase{"FarOnOneAxisStarts", {{1000, 1000}},
                 {{1801, 1000, 0, true, false}, {1801, 1000, 600, false, false}}},
        HoldCase{"TwoSamplesOverHalfASecondComplete", {},
                 {{0, 0, 0, true, false}, {10, 10, 280, true, false}, {5, 5, 501, true, true}}},
        HoldCase{"HalfASecondExactlyIsNotEnough", {},
                 {{0, 0, 0, true, false}, {0, 0, 250, true, false}, {0, 0, 500, true, false}}},
        HoldCase{"TenQuickSamplesComplete", {},
                 {{0, 0, 0, true, false}, {1, 0, 1, true, false}, {2, 0, 2, true, false},
                  {3, 0, 3, true, false}, {4, 0, 4, true, false}, {5, 0, 5, true, false},
                  {6, 0, 6, true, false}, {7, 0, 7, true, false}, {8, 0, 8, true, false},
                  {9, 0, 9, true, true}}},
        HoldCase{"GapOver300msResets", {},
                 {{0, 0, 0, true, false}, {0, 0, 300, true, false}, {0, 0, 601, false, false},
                  {0, 0, 700, true, false}}},
        HoldCase{"JitterJustOverToleranceResets", {},
                 {{0, 0, 0, true, false}, {50, -50, 20, true, false}, {0, 51, 40, false, false}}},
        HoldCase{"DriftAwayFromTheFirstSampleResets", {},
                 {{0, 0, 0, true, false}, {30, 0, 20, true, false}, {60, 0, 40, false, false}}},
        HoldCase{"StopMidHoldThenResumeStartsAgain", {},
                 {{0, 0, 0, true, false}, {0, 0, 100, true, false}, {0, 0, 2000, false, false},
                  {0, 0, 2010, true, false}, {0, 0, 2260, true, false},
                  {0, 0, 2511, true, true}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrackerAverageTest, RoundsHalfAwayFromZeroOverTheLastTenSamples) {
  struct Case {
    std::vector<int> xs;
    int expected;
  };
  const Case cases[] = {
      {{1, 2}, 2},       {{-1, -2}, -2},  {{1, 1, 2}, 1},  {{-5, -6, -6}, -6},
      // A burst of 12: the ring keeps the last 10 (the two 40s are overwritten).
      {{40, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    CTouchSampleTracker t;
    for (int x : c.xs) ASSERT_TRUE(t.OnSample(x, -x, 0));
    EXPECT_EQ(t.Average(), (TrackerPoint{c.expected, -c.expected})) << c.xs.size();
  }
}

TEST(TrackerAcceptedTest, KeepsTheNewestHundred) {
  CTouchSampleTracker t;
  for (int i = 0; i < 105; ++i) t.AddAccepted({i * 1000, 0});
  ASSERT_EQ(t.Accepted().size(), 100u);
  EXPECT_EQ(t.Accepted().front().x, 5000);
  t.RemoveLastAccepted();
  EXPECT_EQ(t.Accepted().back().x, 103000);
}

}  // namespace
}  // namespace kv
