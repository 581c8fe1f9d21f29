#include "platform/EventLog.h"

#include <windows.h>

#include <cstdio>

namespace kv {

CSystemEventLog::CSystemEventLog(std::string source, bool toSyslog)
    : m_sSource(std::move(source)), m_bSyslog(toSyslog) {}

CSystemEventLog::~CSystemEventLog() = default;

void CSystemEventLog::Information(const std::string& text) {
  if (m_bSyslog) {
    // The Application log with the service name as source, one string.
    HANDLE source = RegisterEventSourceA(nullptr, m_sSource.c_str());
    if (source) {
      const char* strings[1] = {text.c_str()};
      ReportEventA(source, EVENTLOG_INFORMATION_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
      DeregisterEventSource(source);
      return;
    }
  }
  std::printf("%s: %s\n", m_sSource.c_str(), text.c_str());
  std::fflush(stdout);
}

}  // namespace kv
