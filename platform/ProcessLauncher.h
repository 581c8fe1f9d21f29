#pragma once
// Starting another program and following it (ShellExecuteExA with SEE_MASK_NOCLOSEPROCESS,
// WaitForSingleObject on the process handle). Posix backend: posix_spawn, the handle is a
// pidfd; the verb "runas" asks for elevation through pkexec unless we are root already.
#include <cstdint>
#include <string>

namespace kv {

using ProcessHandle = int64_t;  // -1: none
inline constexpr ProcessHandle NO_PROCESS = -1;
inline constexpr int WAIT_FOREVER = -1;
inline constexpr uint32_t WAIT_RESULT_SIGNALLED = 0;
inline constexpr uint32_t WAIT_RESULT_TIMEOUT = 258;

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // verb "open" or "runas"; parameters are split at blanks (a part in double quotes stays
  // whole). 0 with *process set, or a system error code (2 when the file is missing).
  virtual uint32_t Execute(const std::string& verb, const std::string& file,
                           const std::string& parameters, ProcessHandle* process) = 0;
  // WAIT_RESULT_SIGNALLED once the process has ended, WAIT_RESULT_TIMEOUT while it runs
  // after timeoutMs (WAIT_FOREVER: no limit). An unknown handle counts as ended.
  virtual uint32_t Wait(ProcessHandle process, int timeoutMs) = 0;
  virtual void Close(ProcessHandle process) = 0;
  // PathFileExistsA for a program: the file exists and may be run.
  virtual bool ProgramExists(const std::string& file) = 0;
};

}  // namespace kv
