#pragma once
// The event log: syslog(3) with the source name as ident when running as a service,
// standard output otherwise.
#include <string>

namespace kv {

class EventLog {
 public:
  virtual ~EventLog() = default;
  virtual void Information(const std::string& text) = 0;
};

class CSystemEventLog final : public EventLog {
 public:
  CSystemEventLog(std::string source, bool toSyslog);
  ~CSystemEventLog() override;
  void Information(const std::string& text) override;

 private:
  std::string m_sSource;
  bool m_bSyslog;
};

}  // namespace kv
