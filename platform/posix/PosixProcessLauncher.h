#pragma once
// ProcessLauncher on posix: posix_spawn, a pidfd as the process handle (so that a wait is a
// poll on a descriptor, like a wait on a Windows process handle), "runas" through pkexec.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ProcessLauncher.h"

namespace kv {

class CPosixProcessLauncher final : public ProcessLauncher {
 public:
  ~CPosixProcessLauncher() override;
  uint32_t Execute(const std::string& verb, const std::string& file,
                   const std::string& parameters, ProcessHandle* process) override;
  uint32_t Wait(ProcessHandle process, int timeoutMs) override;
  void Close(ProcessHandle process) override;
  bool ProgramExists(const std::string& file) override;

  // The parameter text split as a command line: blanks separate, double quotes group.
  static std::vector<std::string> SplitParameters(const std::string& parameters);

 private:
  struct Child {
    int m_iPidFd = -1;
    int m_iPid = -1;
    bool m_bReaped = false;
  };
  std::mutex m_mutex;
  std::map<ProcessHandle, Child> m_children;
};

}  // namespace kv
