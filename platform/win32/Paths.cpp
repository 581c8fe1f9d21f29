#include "platform/Paths.h"
#include "platform/win32/KernelObjectName.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>

namespace kv {

namespace {

std::string EnvFolder(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return (value && *value) ? value : fallback;
}

std::string DefaultMachineRunDir() { return EnvFolder("ProgramData", "C:\\ProgramData") + "\\kavro\\run"; }

}  // namespace

CPaths CPaths::FromEnvironment() {
  if (const char* prefix = std::getenv("KV_PREFIX"); prefix && *prefix) return UnderPrefix(prefix);
  CPaths p;
  std::string machine = EnvFolder("ProgramData", "C:\\ProgramData") + "\\kavro";
  std::string user = EnvFolder("LOCALAPPDATA", machine.c_str()) + "\\kavro";
  p.m_sMachineRunDir = DefaultMachineRunDir();
  p.m_sMachineDir = machine;
  p.m_sRunDir = user + "\\run";
  p.m_sUserDir = user;
  return p;
}

std::string KernelObjectName(const CPaths& paths, const std::string& name) {
  if (paths.MachineRunDir() == DefaultMachineRunDir()) return name;
  return paths.NamespaceTag() + "_" + name;
}

// Pipes and devices are the system's own names. Only a system under a prefix (tests, a
// second system beside the installed one) tags them, so that two never meet.
std::string CPaths::PipePath(const std::string& windowsName) const {
  std::string name = BareName(windowsName, "\\\\.\\pipe\\");
  if (m_sMachineRunDir == DefaultMachineRunDir()) return "\\\\.\\pipe\\" + name;
  return "\\\\.\\pipe\\" + NamespaceTag() + "-" + name;
}

// The driver's device. Where a stand-in takes its place, it serves the same name as a pipe:
// PipePath(DevicePath(...)) is that pipe.
std::string CPaths::DevicePath(const std::string& windowsName) const {
  return "\\\\.\\" + BareName(windowsName, "\\\\.\\");
}

std::string CPaths::ProgramDirectory() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return ".";
  return std::filesystem::path(std::string(path, n)).parent_path().string();
}

bool CPaths::EnsureDirectory(const std::string& path, unsigned) {
  // Folders inherit their parent's access rules; there is no mode to set.
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

}  // namespace kv
