#include <windows.h>

#include "platform/Clock.h"

namespace kv {

uint32_t CSystemClock::TickCount() { return GetTickCount(); }

void CSystemClock::Sleep(uint32_t ms) { ::Sleep(ms); }

LocalTime CSystemClock::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  LocalTime t;
  t.m_iYear = st.wYear;
  t.m_iMonth = st.wMonth;
  t.m_iDay = st.wDay;
  t.m_iHour = st.wHour;
  t.m_iMinute = st.wMinute;
  t.m_iSecond = st.wSecond;
  t.m_iMilliseconds = st.wMilliseconds;
  t.m_iDayOfWeek = st.wDayOfWeek;
  return t;
}

uint64_t CSystemClock::Microseconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  // Split so that the product cannot overflow for a counter of any frequency.
  uint64_t f = static_cast<uint64_t>(frequency.QuadPart);
  uint64_t c = static_cast<uint64_t>(now.QuadPart);
  return (c / f) * 1000000u + (c % f) * 1000000u / f;
}

}  // namespace kv
