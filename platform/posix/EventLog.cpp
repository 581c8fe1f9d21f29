#include "platform/EventLog.h"

#include <syslog.h>

#include <cstdio>

namespace kv {

CSystemEventLog::CSystemEventLog(std::string source, bool toSyslog)
    : m_sSource(std::move(source)), m_bSyslog(toSyslog) {
  // openlog keeps the pointer; m_sSource lives as long as this object.
  if (m_bSyslog) openlog(m_sSource.c_str(), LOG_PID | LOG_NDELAY, LOG_DAEMON);
}

CSystemEventLog::~CSystemEventLog() {
  if (m_bSyslog) closelog();
}

void CSystemEventLog::Information(const std::string& text) {
  if (m_bSyslog) {
    syslog(LOG_INFO, "%s", text.c_str());
    return;
  }
  std::printf("%s: %s\n", m_sSource.c_str(), text.c_str());
  std::fflush(stdout);
}

}  // namespace kv
