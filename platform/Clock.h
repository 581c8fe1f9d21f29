#pragma once
// Time as the logic sees it. Where a timer, not a thread, decides, tests hand in a fake.
#include <cstdint>

namespace kv {

struct LocalTime {
  int m_iYear = 0, m_iMonth = 0, m_iDay = 0;
  int m_iHour = 0, m_iMinute = 0, m_iSecond = 0, m_iMilliseconds = 0;
  int m_iDayOfWeek = 0;  // 0 = Sunday
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t TickCount() = 0;  // milliseconds, wraps like GetTickCount
  virtual void Sleep(uint32_t ms) = 0;
  virtual LocalTime Now() = 0;
  virtual uint64_t Microseconds() = 0;  // monotonic performance counter
};

class CSystemClock final : public Clock {
 public:
  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
  LocalTime Now() override;
  uint64_t Microseconds() override;
};

}  // namespace kv
