#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace kv {

CPaths CPaths::FromEnvironment() {
  if (const char* prefix = std::getenv("KV_PREFIX"); prefix && *prefix) return UnderPrefix(prefix);
  CPaths p;
  p.m_sMachineRunDir = "/run/kavro";
  if (geteuid() == 0) {
    p.m_sRunDir = "/run/kavro";
    p.m_sMachineDir = "/var/lib/kavro";
    p.m_sUserDir = "/var/lib/kavro/user";
    return p;
  }
  std::string home;
  if (const char* h = std::getenv("HOME"); h && *h) {
    home = h;
  } else if (const passwd* pw = getpwuid(geteuid())) {
    home = pw->pw_dir;
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  p.m_sRunDir = (runtime && *runtime) ? std::string(runtime) + "/kavro" : "/tmp/kavro-" + std::to_string(geteuid());
  p.m_sMachineDir = "/var/lib/kavro";
  p.m_sUserDir = home + "/.local/share/kavro";
  return p;
}

std::string CPaths::PipePath(const std::string& windowsName) const {
  return m_sMachineRunDir + "/pipe/" + BareName(windowsName, "\\\\.\\pipe\\");
}

std::string CPaths::DevicePath(const std::string& windowsName) const {
  return m_sMachineRunDir + "/dev/" + BareName(windowsName, "\\\\.\\");
}

std::string CPaths::ProgramDirectory() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return exe.parent_path().string();
}

bool CPaths::EnsureDirectory(const std::string& path, unsigned mode) {
  std::error_code ec;
  if (std::filesystem::create_directories(path, ec)) chmod(path.c_str(), mode);
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace kv
