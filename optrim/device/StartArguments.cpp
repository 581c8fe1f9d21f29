#include "optrim/device/StartArguments.h"

#include <algorithm>

namespace kv {

StartArguments ParseStartArguments(const std::vector<std::string>& args) {
  StartArguments result;
  for (size_t k = 1; k < args.size(); ++k) {
    const std::string& a = args[k];
    if (a == "-b" || a == "-p") result.startSwitch = a;
    if (a == "-r1") result.rotation = 1;
    if (a == "-r2") result.rotation = 2;
    if (a == "-r3") result.rotation = 3;
    if (a.find(".ini") != std::string::npos) result.settingsFileName = a;
  }
  return result;
}

std::string SettingsFilePath(const std::string& programDirectory, const std::string& fileName) {
  std::string name = fileName;
  std::replace(name.begin(), name.end(), '\\', '/');
  const size_t skip = std::min(name.find_first_not_of('/'), name.size());
  size_t dirLength = programDirectory.size();
  while (dirLength > 1 && programDirectory[dirLength - 1] == '/') --dirLength;
  std::string path;
  if (dirLength == 0) {
    path = ".";
  } else {
    path.assign(programDirectory, 0, dirLength);
  }
  if (path != "/") path.push_back('/');
  path.append(name, skip, std::string::npos);
  return path;
}

}  // namespace kv
