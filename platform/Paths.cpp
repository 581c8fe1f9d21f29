// The OS-neutral half of CPaths; each backend (posix/, win32/) adds where the system keeps
// its folders, pipes and devices.
#include "platform/Paths.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

namespace kv {

std::string CPaths::BareName(const std::string& windowsName, const std::string& prefix) {
  std::string name = windowsName;
  if (name.size() >= prefix.size() &&
      std::equal(prefix.begin(), prefix.end(), name.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
      }))
    name = name.substr(prefix.size());
  size_t cut = name.find_last_of("\\/");
  if (cut != std::string::npos) name = name.substr(cut + 1);
  if (name == "." || name == "..") name.clear();
  return name;
}

CPaths CPaths::UnderPrefix(const std::string& prefix) {
  CPaths p;
  p.m_sRunDir = prefix + "/run";
  p.m_sMachineRunDir = p.m_sRunDir;
  p.m_sMachineDir = prefix + "/machine";
  p.m_sUserDir = prefix + "/user";
  return p;
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
  std::snprintf(buf, sizeof buf, "kv%08x", static_cast<unsigned>(h));
  return buf;
}

}  // namespace kv
