#pragma once
// Installs and removes the service: the service record under HKLM
// SYSTEM\CurrentControlSet\Services\NAME in our registry, the systemd unit that lets the
// service manager start it, and the AppID entries under HKCR.
#include <cstdint>
#include <ostream>
#include <string>

#include "platform/EventLog.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "resources/StringTable.h"

namespace kv {

struct ServiceInstallerContext {
  CPaths m_paths;
  Registry* m_pRegistry = nullptr;
  const CStringTable* m_pStrings = nullptr;
  EventLog* m_pLog = nullptr;
  std::ostream* m_pErrors = nullptr;  // message boxes: one line each, with the caption
  std::string m_sImagePath;           // the program's own full path
  std::string m_sUnitDir;             // empty: MachineDir()/systemd
  std::string m_sPrefix;              // KV_PREFIX the service is to run under, or empty
};

class CServiceInstaller {
 public:
  explicit CServiceInstaller(ServiceInstallerContext context);

  // "Install": AppID entries, service values, service record; the exit code.
  int RegisterServer();
  // "UnInstall": removes all of it; exit code 0.
  int UnregisterServer();

  bool Install();
  bool Uninstall();
  bool IsInstalled();

  std::string ServiceKey() const;
  std::string UnitPath() const;
  std::string UnitText() const;

 private:
  bool WriteRecord();
  void MessageBox(uint32_t id);
  void StopRunningService();

  ServiceInstallerContext m_ctx;
  std::string m_sName;
};

}  // namespace kv
