#include "service/ServiceCommandLine.h"

#include <strings.h>

namespace kv {

ServiceCommandLine ServiceCommandLine::Parse(const std::vector<std::string>& args) {
  ServiceCommandLine result;
  // The rest is one command line, as the program would receive it on Windows.
  std::string line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--unit-dir" && i + 1 < args.size()) {
      result.m_sUnitDir = args[++i];
      continue;
    }
    if (!line.empty()) line += ' ';
    line += args[i];
  }
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '-' && line[i] != '/') continue;
    const char* tail = line.c_str() + i + 1;
    if (strcasecmp(tail, "UnInstall") == 0) {
      result.m_action = ServiceAction::UNINSTALL;
      return result;
    }
    if (strcasecmp(tail, "Install") == 0) {
      result.m_action = ServiceAction::INSTALL;
      return result;
    }
  }
  return result;
}

}  // namespace kv
