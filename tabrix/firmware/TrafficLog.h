#pragma once
// The HID report logs: every report read from or written to the panel appended to a text
// file as one hex-dump line. Each line opens and closes its file, so the logs need no lock
// and survive a crash up to the last report.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Clock.h"

namespace kv {

class CTrafficLog {
 public:
  // Empty file names turn the matching direction off.
  CTrafficLog(Clock& clock, std::string receiveFile, std::string sendFile)
      : m_clock(clock), m_sReceiveFile(std::move(receiveFile)), m_sSendFile(std::move(sendFile)) {}

  bool WriteReceived(const uint8_t* report, size_t length) { return Write(m_sReceiveFile, 'R', report, length); }
  bool WriteSent(const uint8_t* report, size_t length) { return Write(m_sSendFile, 'S', report, length); }

  // "YYYY/MM/DD hh:mm:ss.0mmm D xx xx ...\n" with D the direction letter.
  static std::string FormatLine(const LocalTime& t, char direction, const uint8_t* report,
                                size_t length);

 private:
  bool Write(const std::string& file, char direction, const uint8_t* report, size_t length);

  Clock& m_clock;
  std::string m_sReceiveFile;
  std::string m_sSendFile;
};

}  // namespace kv
