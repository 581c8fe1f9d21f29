#include <sys/time.h>
#include <time.h>

#include <chrono>
#include <thread>

#include "platform/Clock.h"

namespace kv {

uint32_t CSystemClock::TickCount() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<uint32_t>(ms.count());
}

void CSystemClock::Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

LocalTime CSystemClock::Now() {
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  struct tm parts;
  localtime_r(&tv.tv_sec, &parts);
  LocalTime t;
  t.m_iYear = parts.tm_year + 1900;
  t.m_iMonth = parts.tm_mon + 1;
  t.m_iDay = parts.tm_mday;
  t.m_iHour = parts.tm_hour;
  t.m_iMinute = parts.tm_min;
  t.m_iSecond = parts.tm_sec;
  t.m_iMilliseconds = static_cast<int>(tv.tv_usec / 1000);
  t.m_iDayOfWeek = parts.tm_wday;
  return t;
}

uint64_t CSystemClock::Microseconds() {
  auto us = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<uint64_t>(us.count());
}

}  // namespace kv
