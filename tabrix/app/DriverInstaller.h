#pragma once
// The driver installer "Setupkit" of the current model, in the folder named like the model
// beside the program: whether it is there, and running it to its end, never twice at once.
#include <string>

#include "platform/ProcessLauncher.h"

namespace kv {

class CDriverInstaller {
 public:
  static constexpr const char* FILE_NAME = "Setupkit";

  explicit CDriverInstaller(ProcessLauncher& processes) : m_processes(processes) {}
  ~CDriverInstaller();

  static std::string PathIn(const std::string& modelFolder) {
    return modelFolder + "/" + FILE_NAME;
  }
  bool Present(const std::string& modelFolder) {
    return m_processes.ProgramExists(PathIn(modelFolder));
  }
  // 1 when it ran (and ended), 0 when an earlier installer still runs. Elevated ("runas")
  // from Vista on, plain "open" before.
  int Run(const std::string& modelFolder, int32_t osType);

 private:
  ProcessLauncher& m_processes;
  ProcessHandle m_hProcess = NO_PROCESS;
};

}  // namespace kv
