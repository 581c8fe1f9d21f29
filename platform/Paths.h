#pragma once
// Every path of the system lives under one prefix, like a Windows installation under its
// drive. KV_PREFIX set: everything below it. Unset: a root process uses /run/kavro and
// /var/lib/kavro, a user process $XDG_RUNTIME_DIR/kavro and ~/.local/share/kavro. Pipes,
// driver devices and service status belong to the machine, as on Windows: every process
// finds them under /run/kavro.
#include <string>

namespace kv {

class CPaths {
 public:
  // Reads KV_PREFIX and the user's folders from the environment once.
  static CPaths FromEnvironment();
  // All folders below one prefix (tests, the demo).
  static CPaths UnderPrefix(const std::string& prefix);

  const std::string& RunDir() const { return m_sRunDir; }          // locks, per-session files
  const std::string& MachineRunDir() const { return m_sMachineRunDir; }  // pipes, devices, status
  const std::string& MachineDir() const { return m_sMachineDir; }  // HKLM/HKCR hive, units
  const std::string& UserDir() const { return m_sUserDir; }        // HKCU hive

  // "\\.\pipe\NAME" -> MachineRunDir()/pipe/NAME. Any other text is taken as the bare NAME.
  std::string PipePath(const std::string& windowsName) const;
  // "\\.\NAME" -> MachineRunDir()/dev/NAME. Any other text is taken as the bare NAME.
  std::string DevicePath(const std::string& windowsName) const;
  std::string LockPath(const std::string& name) const;  // RunDir()/lock/NAME
  std::string HidDir() const;                          // RunDir()/hid
  std::string MachineHivePath() const;                 // MachineDir()/registry.db
  std::string UserHivePath() const;                    // UserDir()/registry.db
  // Short stable hash of the prefix, so that shared-memory names of two systems running
  // side by side never meet.
  std::string NamespaceTag() const;

  // The folder that holds the running program (the Windows "module directory").
  static std::string ProgramDirectory();
  // Creates the folder and its parents; true when it exists afterwards.
  static bool EnsureDirectory(const std::string& path, unsigned mode = 0755);

 private:
  // Strips a Windows prefix such as "\\.\pipe\" (any letter case) and keeps the last path
  // element, so that a name can never climb out of its folder or namespace.
  static std::string BareName(const std::string& windowsName, const std::string& prefix);

  std::string m_sRunDir;
  std::string m_sMachineRunDir;
  std::string m_sMachineDir;
  std::string m_sUserDir;
};

}  // namespace kv
