#include <gtest/gtest.h>

#include "service/ServiceCommandLine.h"

namespace kv {
namespace {

TEST(ServiceCommandLineTest, SwitchesInAnyCaseAfterEitherCharacter) {
  struct Case {
    std::vector<std::string> m_args;
    ServiceAction m_action;
  } cases[] = {
      {{}, ServiceAction::START},
      {{"-Install"}, ServiceAction::INSTALL},
      {{"/INSTALL"}, ServiceAction::INSTALL},
      {{"-install"}, ServiceAction::INSTALL},
      {{"/uninstall"}, ServiceAction::UNINSTALL},
      {{"-UnInstall"}, ServiceAction::UNINSTALL},
      {{"--install"}, ServiceAction::INSTALL},        // the tail after the second '-'
      {{"-install", "now"}, ServiceAction::START},    // the whole tail is compared
      {{"-installer"}, ServiceAction::START},
      {{"install"}, ServiceAction::START},            // no switch character
      {{"-x", "/Install"}, ServiceAction::INSTALL},   // tails are tried in turn
      {{"/service"}, ServiceAction::START},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (auto& a : c.m_args) shown += a + " ";
    EXPECT_EQ(ServiceCommandLine::Parse(c.m_args).m_action, c.m_action) << shown;
  }
}

TEST(ServiceCommandLineTest, UnitFolderIsTakenOutBeforeTheSwitchesAreCompared) {
  auto cmd = ServiceCommandLine::Parse({"-Install", "--unit-dir", "/tmp/units"});
  EXPECT_EQ(cmd.m_action, ServiceAction::INSTALL);
  EXPECT_EQ(cmd.m_sUnitDir, "/tmp/units");
  cmd = ServiceCommandLine::Parse({"--unit-dir", "/x/-install"});
  EXPECT_EQ(cmd.m_action, ServiceAction::START);
}

}  // namespace
}  // namespace kv
