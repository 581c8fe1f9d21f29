#include "tabrix/app/CommandLineSwitch.h"

namespace kv {

StartSwitch CCommandLineSwitch::Parse(const std::string& argumentText) {
  static const char* const kSwitches[] = {"-i", "/Install", "/Commit", "/Rollback",
                                          "/Uninstall", "/Quit"};
  for (int i = 0; i < 6; ++i)
    if (argumentText == kSwitches[i]) return static_cast<StartSwitch>(i);
  return StartSwitch::NONE;
}

std::string CCommandLineSwitch::ArgumentText(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace kv
