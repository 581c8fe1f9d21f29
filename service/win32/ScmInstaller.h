#pragma once
// Installs and removes the service with the service control manager (CreateServiceA,
// ChangeServiceConfigA, DeleteServiceA), writes its display name and description under
// HKLM SYSTEM\CurrentControlSet\Services\NAME and the AppID entries under HKCR.
#include <cstdint>
#include <ostream>
#include <string>

#include "platform/EventLog.h"
#include "platform/Registry.h"
#include "resources/StringTable.h"

namespace kv {

class CScmInstaller {
 public:
  // errors: where the message boxes go, one line each with the caption.
  CScmInstaller(Registry& registry, const CStringTable& strings, EventLog& log, std::ostream& errors,
                std::string imagePath);

  // "Install": AppID entries, then the service; the exit code.
  int RegisterServer();
  // "UnInstall": removes all of it; exit code 0.
  int UnregisterServer();

  bool Install();
  bool Uninstall();

 private:
  void ShowMessage(uint32_t id);
  bool CreateOrReconfigure(void* manager);

  Registry& m_registry;
  const CStringTable& m_strings;
  EventLog& m_log;
  std::ostream& m_errors;
  std::string m_sImagePath;
  std::string m_sName;
};

}  // namespace kv
