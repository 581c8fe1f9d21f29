#pragma once
// A clock that moves only when the test says so; Sleep advances it at once.
#include <atomic>

#include "platform/Clock.h"

namespace kv::test {

class CFakeClock final : public Clock {
 public:
  uint32_t TickCount() override { return static_cast<uint32_t>(m_uMicros.load() / 1000); }
  void Sleep(uint32_t ms) override { Advance(ms); }
  LocalTime Now() override {
    LocalTime t = m_base;
    uint64_t ms = m_uMicros.load() / 1000;
    t.m_iMilliseconds = static_cast<int>(ms % 1000);
    t.m_iSecond = static_cast<int>((ms / 1000) % 60);
    t.m_iMinute = static_cast<int>((ms / 60000) % 60);
    return t;
  }
  uint64_t Microseconds() override { return m_uMicros.load(); }

  void Advance(uint32_t ms) { m_uMicros += static_cast<uint64_t>(ms) * 1000; }
  void SetBase(const LocalTime& t) { m_base = t; }

 private:
  std::atomic<uint64_t> m_uMicros{0};
  LocalTime m_base{2026, 12, 8, 9, 0, 0, 0, 2};
};

}  // namespace kv::test
