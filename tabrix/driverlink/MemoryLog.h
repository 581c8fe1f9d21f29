#pragma once
// The in-memory trace of the tray application: two buffers of fixed size used in turn,
// so that the log always holds the most recent records, never grows and costs no disk
// access until the user saves it. Every operation holds the log's lock for its whole
// duration: a time stamp and its text stay together and a buffer switch is never seen
// half done.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Clock.h"

namespace kv {

class CMemoryLog {
 public:
  explicit CMemoryLog(Clock& clock) : m_clock(clock) {}
  virtual ~CMemoryLog() = default;
  CMemoryLog(const CMemoryLog&) = delete;
  CMemoryLog& operator=(const CMemoryLog&) = delete;

  // Allocates two buffers of `size` bytes each; 0 turns the log off. Sizes that do not fit
  // the 32-bit write position, or that cannot be allocated, leave the log off.
  bool Start(uint64_t size);
  void Release();
  // Empties the log; false when there was nothing to clear.
  bool Clear();
  // Appends the text as is (continuation of a line); every "\n" is stored as "\r\n".
  bool Append(const char* text);
  // Appends a record: the local time, one blank, then the text.
  bool AppendWithTime(const char* text);
  // Appends the log to the file (created when missing): the older full buffer first, then
  // the current one. False when the log is empty or off, or a write failed.
  bool WriteToFile(const std::string& path);

  bool IsEnabled() const;
  uint64_t Capacity() const;
  // What a save would write, in the same order.
  std::string Contents() const;

  // "YYYY/MM/DD hh:mm:ss.0mmm" followed by `tail` (a blank here, the direction letter in
  // the traffic log). Returns the length written, at most size - 1.
  static size_t FormatTime(const LocalTime& t, char tail, char* out, size_t size);

 private:
  char* CurrentLocked() const { return (m_uSwitchCount % 2 == 0) ? m_pA.get() : m_pB.get(); }
  char* OtherLocked() const { return (m_uSwitchCount % 2 == 0) ? m_pB.get() : m_pA.get(); }
  void PutLocked(char c);
  void AppendLocked(const char* text);
  void ReleaseLocked();

  Clock& m_clock;
  mutable std::mutex m_lock;
  uint32_t m_bEnabled = 0;
  // Each buffer has one byte beyond the capacity for the terminator, which would otherwise
  // land past the end when a text ends exactly at the capacity.
  std::unique_ptr<char[]> m_pA;
  std::unique_ptr<char[]> m_pB;
  uint64_t m_uCapacity = 0;
  uint32_t m_uWritePosition = 0;
  uint32_t m_uSwitchCount = 0;
};

}  // namespace kv
