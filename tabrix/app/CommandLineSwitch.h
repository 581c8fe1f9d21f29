#pragma once
// The installer's switches: the whole argument text after the program name, compared with
// each switch as written (letter case counts); anything else is a normal start.
#include <string>

namespace kv {

enum class StartSwitch : int {
  NONE = -1,
  DEFAULTS_WITH_USER = 0,  // "-i": installation defaults, the user's hive too
  INSTALL = 1,             // "/Install"
  COMMIT = 2,              // "/Commit"
  ROLLBACK = 3,            // "/Rollback"
  UNINSTALL = 4,           // "/Uninstall"
  QUIT = 5,                // "/Quit": close the running instance
};

class CCommandLineSwitch {
 public:
  static StartSwitch Parse(const std::string& argumentText);
  // The argument text as Windows hands it over: the arguments joined by single blanks.
  static std::string ArgumentText(int argc, const char* const* argv);
  // Switches 0 to 2 write the installation defaults; 1 and 2 in installer mode.
  static bool WritesDefaults(StartSwitch s) {
    return s == StartSwitch::DEFAULTS_WITH_USER || s == StartSwitch::INSTALL ||
           s == StartSwitch::COMMIT;
  }
};

}  // namespace kv
