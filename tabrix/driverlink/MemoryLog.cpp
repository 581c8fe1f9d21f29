#include "tabrix/driverlink/MemoryLog.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <string_view>

#include "platform/FileAppend.h"

namespace kv {

bool CMemoryLog::Start(uint64_t size) {
  std::lock_guard<std::mutex> guard(m_lock);
  ReleaseLocked();
  if (size == 0) return false;
  // The write position is 32 bits wide and one byte is kept for the terminator.
  if (size >= std::numeric_limits<uint32_t>::max()) return false;
  const size_t bytes = static_cast<size_t>(size) + 1;
  m_pA.reset(new (std::nothrow) char[bytes]);
  if (!m_pA) return false;
  m_pB.reset(new (std::nothrow) char[bytes]);
  if (!m_pB) {
    m_pA.reset();
    return false;
  }
  m_pA[0] = 0;
  m_pB[0] = 0;
  m_uCapacity = size;
  m_bEnabled = 1;
  return true;
}

void CMemoryLog::Release() {
  std::lock_guard<std::mutex> guard(m_lock);
  ReleaseLocked();
}

void CMemoryLog::ReleaseLocked() {
  m_pA.reset();
  m_pB.reset();
  m_uCapacity = 0;
  m_uWritePosition = 0;
  m_uSwitchCount = 0;
  m_bEnabled = 0;
}

bool CMemoryLog::Clear() {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_bEnabled || !m_pA || !m_pB || m_uWritePosition == 0) return false;
  m_uSwitchCount = 0;
  m_pA[0] = 0;
  m_uWritePosition = 0;
  return true;
}

// One byte, switching to the other buffer first when the current one is full, so that the
// switch happens only when there is something to put into the new buffer.
void CMemoryLog::PutLocked(char c) {
  if (m_uWritePosition >= m_uCapacity) {
    ++m_uSwitchCount;
    m_uWritePosition = 0;
  }
  CurrentLocked()[m_uWritePosition++] = c;
}

void CMemoryLog::AppendLocked(const char* text) {
  const size_t length = std::strlen(text);
  const char* p = text;
  const char* end = text + length;
  const char* firstLf = static_cast<const char*>(std::memchr(text, '\n', length));
  // The usual record: one line ending in its line feed, with room left in the buffer.
  if (firstLf == end - 1 && length + 1 <= m_uCapacity - m_uWritePosition) {
    char* out = CurrentLocked() + m_uWritePosition;
    std::memcpy(out, text, length - 1);
    out[length - 1] = '\r';
    out[length] = '\n';
    out[length + 1] = 0;
    m_uWritePosition += static_cast<uint32_t>(length + 1);
    return;
  }
  while (p < end) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* stop = lf ? lf : end;
    // Copy the run before the next line feed in pieces that fit the current buffer.
    while (p < stop) {
      if (m_uWritePosition >= m_uCapacity) {
        ++m_uSwitchCount;
        m_uWritePosition = 0;
      }
      size_t room = static_cast<size_t>(m_uCapacity - m_uWritePosition);
      size_t n = static_cast<size_t>(stop - p);
      if (n > room) n = room;
      std::memcpy(CurrentLocked() + m_uWritePosition, p, n);
      m_uWritePosition += static_cast<uint32_t>(n);
      p += n;
    }
    if (lf) {
      PutLocked('\r');
      PutLocked('\n');
      p = lf + 1;
    }
  }
  // The terminator slot lies beyond the capacity, so this is in bounds even when full.
  CurrentLocked()[m_uWritePosition] = 0;
}

bool CMemoryLog::Append(const char* text) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_bEnabled || text == nullptr || CurrentLocked() == nullptr) return false;
  AppendLocked(text);
  return true;
}

size_t CMemoryLog::FormatTime(const LocalTime& t, char tail, char* out, size_t size) {
  if (out == nullptr || size == 0) return 0;
  int n = std::snprintf(out, size, "%4d/%02d/%02d %02d:%02d:%02d.%04d%c", t.m_iYear, t.m_iMonth,
                        t.m_iDay, t.m_iHour, t.m_iMinute, t.m_iSecond, t.m_iMilliseconds, tail);
  if (n < 0) {
    out[0] = 0;
    return 0;
  }
  return static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size - 1;
}

bool CMemoryLog::AppendWithTime(const char* text) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_bEnabled || text == nullptr || CurrentLocked() == nullptr) return false;
  char stamp[64];
  FormatTime(m_clock.Now(), ' ', stamp, sizeof stamp);
  AppendLocked(stamp);
  AppendLocked(text);
  return true;
}

bool CMemoryLog::WriteToFile(const std::string& path) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_bEnabled || m_uWritePosition == 0 || !m_pA || !m_pB) return false;
  // The older full buffer first, then the current one.
  std::string_view parts[2];
  size_t count = 0;
  if (m_uSwitchCount > 0) parts[count++] = {OtherLocked(), static_cast<size_t>(m_uCapacity)};
  parts[count++] = {CurrentLocked(), m_uWritePosition};
  return AppendToFile(path, std::span<const std::string_view>(parts, count));
}

bool CMemoryLog::IsEnabled() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_bEnabled != 0;
}

uint64_t CMemoryLog::Capacity() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_uCapacity;
}

std::string CMemoryLog::Contents() const {
  std::lock_guard<std::mutex> guard(m_lock);
  std::string out;
  if (!m_bEnabled || !m_pA || !m_pB) return out;
  if (m_uSwitchCount > 0) out.assign(OtherLocked(), static_cast<size_t>(m_uCapacity));
  out.append(CurrentLocked(), m_uWritePosition);
  return out;
}

}  // namespace kv
