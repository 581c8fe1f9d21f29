#include <gtest/gtest.h>

#include "platform/Clock.h"

namespace kv {
namespace {

TEST(SystemClock, TicksAndCounterMoveForward) {
  CSystemClock clock;
  uint32_t tick = clock.TickCount();
  uint64_t micros = clock.Microseconds();
  clock.Sleep(100);
  // Wrap-safe difference. The tick may be coarse and late (GetTickCount moves in steps of
  // about 16 ms, under Wine later still on a loaded machine); the counter is exact.
  EXPECT_GE(static_cast<uint32_t>(clock.TickCount() - tick), 60u);
  EXPECT_GE(clock.Microseconds() - micros, 99000u);
}

TEST(SystemClock, LocalTimeFieldsInRange) {
  CSystemClock clock;
  LocalTime t = clock.Now();
  EXPECT_GE(t.m_iYear, 2024);
  EXPECT_GE(t.m_iMonth, 1);
  EXPECT_LE(t.m_iMonth, 12);
  EXPECT_GE(t.m_iDay, 1);
  EXPECT_LE(t.m_iDay, 31);
  EXPECT_LE(t.m_iHour, 23);
  EXPECT_LE(t.m_iMinute, 59);
  EXPECT_LE(t.m_iSecond, 60);
  EXPECT_LE(t.m_iMilliseconds, 999);
  EXPECT_LE(t.m_iDayOfWeek, 6);
}

}  // namespace
}  // namespace kv
