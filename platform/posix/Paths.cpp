#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace kv {

namespace {

// Strips a Windows prefix such as "\\.\pipe\" and keeps the last path element, so that
// a name can never climb out of its folder.
std::string BareName(const std::string& windowsName, const std::string& prefix) {
  std::string name = windowsName;
  if (name.size() >= prefix.size()) {
    bool match = true;
    for (size_t i = 0; i < prefix.size(); ++i) {
      char a = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
      char b = static_cast<char>(std::tolower(static_cast<unsigned char>(prefix[i])));
      if (a != b) { match = false; break; }
    }
    if (match) name = name.substr(prefix.size());
  }
  size_t cut = name.find_last_of("\\/");
  if (cut != std::string::npos) name = name.substr(cut + 1);
  if (name == "." || name == "..") name.clear();
  return name;
}

}  // namespace

CPaths CPaths::UnderPrefix(const std::string& prefix) {
  CPaths p;
  p.m_sRunDir = prefix + "/run";
  p.m_sMachineRunDir = p.m_sRunDir;
  p.m_sMachineDir = prefix + "/machine";
  p.m_sUserDir = prefix + "/user";
  return p;
}

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

std::string CPaths::LockPath(const std::string& name) const {
  return m_sRunDir + "/lock/" + BareName(name, "");
}

std::string CPaths::HidDir() const { return m_sRunDir + "/hid"; }
std::string CPaths::MachineHivePath() const { return m_sMachineDir + "/registry.db"; }
std::string CPaths::UserHivePath() const { return m_sUserDir + "/registry.db"; }

std::string CPaths::NamespaceTag() const {
  // FNV-1a over the run folder: short, stable across processes and runs.
  uint32_t h = 2166136261u;
  for (unsigned char c : m_sRunDir) {
    h ^= c;
    h *= 16777619u;
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "kv%08x", h);
  return buf;
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
