#include "platform/Processes.h"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace kv {

bool IsOtherProcessOfImage(uint32_t pid, const std::string& imagePath) {
  if (pid == 0 || static_cast<pid_t>(pid) == getpid()) return false;
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
  if (ec) return false;
  const auto image = std::filesystem::weakly_canonical(imagePath, ec);
  return !ec && exe == image;
}

bool AskProcessToEnd(uint32_t pid) {
  return pid != 0 && kill(static_cast<pid_t>(pid), SIGTERM) == 0;
}

}  // namespace kv
