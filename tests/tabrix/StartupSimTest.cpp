// Start-up and exit of the tray program's logic against the real stand-ins and the real
// service: what reaches the driver and the panel, the single instance, the installer's
// switches, and a start that finds nothing or only garbage still reaching the tray.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/SystemParameters.h"
#include "platform/posix/FileSystemParameters.h"
#include "platform/posix/RegistryServiceControl.h"
#include "platform/posix/SimHidBus.h"
#include "platform/posix/SqliteRegistry.h"
#include "tabrix/app/StartupSequence.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/AppFakes.h"
#include "tests/tabrix/CalibrationFakes.h"
#include "tests/tabrix/ProgramUnderTest.h"
#include "tests/tabrix/SimSystem.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using test::ProgramUnderTest;

class StartupSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_sProgramDir = m_prefix.Dir() + "/program";
    mkdir(m_sProgramDir.c_str(), 0755);
  }

  void StartPanel() {
    ASSERT_TRUE(m_panel.Start("panel-sim", {"--model", "VT-R700A"}));
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!m_panelCtl.Connect(m_prefix.Paths().HidDir() + "/panel.ctl")) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "panel-sim did not come up";
      std::this_thread::sleep_for(5ms);
    }
  }
  void StartDriverAndService() {
    ASSERT_TRUE(m_sim.StartDriver());
    // As its unit starts it: a service that reports its state, which start-up waits for.
    setenv("KV_SERVICE_MANAGER", "1", 1);
    ASSERT_TRUE(m_sim.StartService());
    unsetenv("KV_SERVICE_MANAGER");
  }
  void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(m_sProgramDir + "/" + name) << text;
  }
  uint32_t MachineDword(const std::string& name, RegistryHive hive = RegistryHive::LOCAL_MACHINE) {
    CSqliteRegistry registry(m_prefix.Paths());
    uint32_t value = 0xFFFFFFFF;
    registry.QueryDword(hive, "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A", name, &value);
    return value;
  }

  test::CTempPrefix m_prefix;
  std::string m_sProgramDir;
  test::CSimSystem m_sim{m_prefix};
  test::CChildProcess m_panel;
  test::CControlChannel m_panelCtl;
};

TEST_F(StartupSimTest, NormalStartBringsUpPanelAndDriverAndExitPutsEverythingBack) {
  StartDriverAndService();
  StartPanel();
  {
    // Stored settings the start must hand on: function buttons and rotation.
    CSqliteRegistry registry(m_prefix.Paths());
    const std::string key = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";
    registry.CreateKey(RegistryHive::CURRENT_USER, key);
    registry.SetDword(RegistryHive::CURRENT_USER, key, "PenButon", 0x0101);
    registry.SetDword(RegistryHive::CURRENT_USER, key, "RotationAngle", 90);
  }
  auto program = std::make_unique<ProgramUnderTest>(m_prefix, m_sProgramDir);
  CFileSystemParameters parameters(m_prefix.Paths());
  uint32_t before = 0;
  parameters.Get(SystemParameter::DRAG_WIDTH, &before);

  ASSERT_TRUE(program->startup->InitInstance(""));
  program->views.FireFirstAdd();
  EXPECT_TRUE(program->shell->m_bPanelConnected);
  EXPECT_TRUE(program->window->DriverOn());
  EXPECT_EQ(program->views.m_view.m_icons.front(), 128u);
  // On and rotated; the default input mode keeps a touch mode, so the dual set.
  EXPECT_EQ(program->shell->App().PenInput().TouchMode(), 2u);
  EXPECT_EQ(program->views.m_view.m_icons.back(), 258u);
  EXPECT_EQ(program->views.m_view.m_sTip, "Set Corvane settings.");
  EXPECT_TRUE(program->boxes.m_shown.empty());
  EXPECT_EQ(program->startup->ServiceWaitResult(), 0);
  DriverSettings settings;
  ASSERT_TRUE(m_sim.ReadSettings(&settings));
  EXPECT_EQ(settings.m_uInputEnable, 1);
  EXPECT_EQ(settings.m_uRotation, 90);
  EXPECT_EQ(settings.m_uPenButtonMode, 0x8101);
  EXPECT_EQ(m_panelCtl("count 3"), "1");  // SetInputMode reached the panel
  EXPECT_EQ(program->shell->App().SharedModelTable().ModelName(), "VT-R700A");
  EXPECT_EQ(MachineDword("USBPort"), 1u);

  parameters.Set(SystemParameter::DRAG_WIDTH, before + 7, 0);
  program.reset();  // WM_CLOSE, then Exit instance
  ASSERT_TRUE(m_sim.ReadSettings(&settings));
  EXPECT_EQ(settings.m_uInputEnable, 0);
  uint32_t after = 0;
  parameters.Get(SystemParameter::DRAG_WIDTH, &after);
  EXPECT_EQ(after, before);
  EXPECT_FALSE(CRivelleApp::InstanceRunning(m_prefix.Paths()));
}

TEST_F(StartupSimTest, SecondStartWarnsOrBringsTheWarningForward) {
  ProgramUnderTest first(m_prefix, m_sProgramDir, 100);
  WriteFile("Tabrix.ini", "");
  first.shell->Settings().SetWaitServiceTimeOutSeconds(0);
  ASSERT_TRUE(first.startup->InitInstance(""));

  ProgramUnderTest second(m_prefix, m_sProgramDir, 200);
  EXPECT_FALSE(second.startup->InitInstance(""));
  ASSERT_EQ(second.boxes.m_shown.size(), 1u);
  EXPECT_EQ(second.boxes.m_shown[0].m_sText, "The Corvane has already been started.");
  EXPECT_EQ(second.boxes.m_shown[0].m_sCaption, "Second Instance Warning");
  EXPECT_EQ(second.boxes.m_shown[0].m_uFlags & 0xF0, MBF_ICON_HAND);
  EXPECT_EQ(second.views.m_pWindow, nullptr);

  ProgramUnderTest third(m_prefix, m_sProgramDir, 300);
  third.windows.m_byName["Second Instance Warning"] = 77;
  EXPECT_FALSE(third.startup->InitInstance(""));
  EXPECT_TRUE(third.boxes.m_shown.empty());
  EXPECT_EQ(third.windows.m_foreground, std::vector<WindowId>{77});
  EXPECT_EQ(first.shell->App().RunningInstanceProcessId(), 100u);

  // "/Quit" closes every window of the running instance's process.
  ProgramUnderTest quit(m_prefix, m_sProgramDir, 400);
  quit.windows.m_byProcess[100] = {5, 6};
  EXPECT_FALSE(quit.startup->InitInstance("/Quit"));
  EXPECT_EQ(quit.windows.m_posted.size(), 2u);
  EXPECT_EQ(quit.windows.m_posted[0].second, WINDOW_MESSAGE_CLOSE);
}

TEST_F(StartupSimTest, InstallerSwitchesWriteTheirHivesAndRollbackTouchesNothing) {
  {
    ProgramUnderTest rollback(m_prefix, m_sProgramDir);
    EXPECT_FALSE(rollback.startup->InitInstance("/Rollback"));
  }
  struct stat st;
  EXPECT_NE(stat(m_prefix.Paths().MachineHivePath().c_str(), &st), 0) << "no hive written";
  EXPECT_FALSE(CRivelleApp::InstanceRunning(m_prefix.Paths()));
  {
    ProgramUnderTest install(m_prefix, m_sProgramDir);
    EXPECT_FALSE(install.startup->InitInstance("/Install"));
  }
  EXPECT_EQ(MachineDword("StartupCalibDisp"), 1u);
  EXPECT_EQ(MachineDword("StartupCalibDisp", RegistryHive::CURRENT_USER), 0xFFFFFFFFu);
  EXPECT_NE(stat(m_prefix.Paths().UserHivePath().c_str(), &st), 0) << "no user hive written";
  {
    ProgramUnderTest user(m_prefix, m_sProgramDir);
    EXPECT_FALSE(user.startup->InitInstance("-i"));
  }
  EXPECT_EQ(MachineDword("StartupCalibDisp", RegistryHive::CURRENT_USER), 1u);
}

TEST_F(StartupSimTest, NothingThereAndGarbageConfigurationStillReachTheTray) {
  const std::string garbage(5000, '\x01');
  WriteFile("Tabrix.ini", "[Common]\nDriverMode=" + garbage + "\n[\n=\n");
  WriteFile("model.ini", "[MODEL]\nModel1=" + std::string(300, 'M') + "\n" + garbage);
  WriteFile("language.ini", "[LANGUAGE]\nLanguage1=Deutsch\n[Deutsch]\nLANGID=409\n"
                            "ResourceFileName=missing.strings\n");
  ProgramUnderTest program(m_prefix, m_sProgramDir);
  program.shell->Settings().SetWaitServiceTimeOutSeconds(0);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(program.startup->InitInstance(""));
  // No service, no panel: the waits of the service (1 s) and the probe (5 s) bound it.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
  EXPECT_FALSE(program.shell->m_bPanelConnected);
  program.views.FireFirstAdd();
  EXPECT_FALSE(program.window->DriverOn());
  EXPECT_EQ(program.views.m_view.m_icons.back(), 257u);  // driver off, dual set
  EXPECT_EQ(program.shell->Title(), "Corvane");
  EXPECT_TRUE(program.boxes.m_shown.empty());
  EXPECT_TRUE(program.views.m_guides.empty());
  EXPECT_EQ(program.startup->ServiceWaitResult(), -106);
  EXPECT_EQ(MachineDword("USBPort"), 0u);
}

TEST_F(StartupSimTest, LanguageModuleReplacesTheTexts) {
  WriteFile("language.ini", "[LANGUAGE]\nLanguage1=Test\n[Test]\nLANGID=0409\n"
                            "ResourceFileName=test.strings\n");
  WriteFile("test.strings", "57344 Tablo\n57347 Einstellungen von %1.\n");
  ProgramUnderTest program(m_prefix, m_sProgramDir);
  program.shell->Settings().SetWaitServiceTimeOutSeconds(0);
  ASSERT_TRUE(program.startup->InitInstance(""));
  program.views.FireFirstAdd();
  EXPECT_EQ(program.shell->Title(), "Tablo");
  EXPECT_EQ(program.views.m_view.m_sTip, "Einstellungen von Tablo.");
}

}  // namespace
}  // namespace kv
