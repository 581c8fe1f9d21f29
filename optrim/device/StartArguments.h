#pragma once
// What the sensor tool is told when it starts: an unattended calibration switch, the screen
// rotation and the name of its settings file, which lives beside the program.
#include <string>
#include <vector>

namespace kv {

struct StartArguments {
  std::string startSwitch;                      // "", "-b" (basic) or "-p" (precise)
  int rotation = 0;                             // 0..3
  std::string settingsFileName = "\\Optrim.ini";
};

// args[0] is the program itself. Later switches replace earlier ones; an argument that
// contains ".ini" (case-sensitive) names the settings file; anything else is ignored.
StartArguments ParseStartArguments(const std::vector<std::string>& args);

// The program's folder followed by the settings file name. The name is written the Windows
// way (it usually starts with a backslash); backslashes become separators and exactly one
// separator joins the two.
std::string SettingsFilePath(const std::string& programDirectory, const std::string& fileName);

}  // namespace kv
