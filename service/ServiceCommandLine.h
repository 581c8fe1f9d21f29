#pragma once
// The command line of the service program. Each tail of the command line that follows a
// '-' or '/' is compared in turn, whole and without regard to case, with "UnInstall" and
// "Install"; anything else starts the service. "--unit-dir DIR" (taken out first) names
// the folder that receives the systemd unit on installation.
#include <string>
#include <vector>

namespace kv {

enum class ServiceAction { START, INSTALL, UNINSTALL };

struct ServiceCommandLine {
  ServiceAction m_action = ServiceAction::START;
  std::string m_sUnitDir;  // empty: the default folder

  // args: the arguments after the program name.
  static ServiceCommandLine Parse(const std::vector<std::string>& args);
};

}  // namespace kv
