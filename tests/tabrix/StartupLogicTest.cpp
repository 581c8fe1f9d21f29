// Decisions of start-up that need no system: the switch table, the service wait's codes,
// the driver installer's rules, the panel setting mappings, the tray icon table, the
// banners and the version line.
#include <gtest/gtest.h>

#include "platform/VersionResource.h"
#include "resources/StringTable.h"
#include "resources/TextFormat.h"
#include "tabrix/app/CommandLineSwitch.h"
#include "tabrix/app/DriverInstaller.h"
#include "tabrix/app/PanelSettingsSender.h"
#include "tabrix/app/ServiceWait.h"
#include "tabrix/app/TrayIconTable.h"
#include "tabrix/ui/AboutDlg.h"
#include "tabrix/ui/GuideMessageDlg.h"
#include "tabrix/ui/StartGuideDlg.h"
#include "tests/support/FakeClock.h"
#include "tests/tabrix/AppFakes.h"

namespace kv {
namespace {

TEST(CommandLineSwitchTest, OnlyTheExactTextIsASwitch) {
  const struct {
    const char* m_pszText;
    StartSwitch m_expected;
  } cases[] = {
      {"-i", StartSwitch::DEFAULTS_WITH_USER}, {"/Install", StartSwitch::INSTALL},
      {"/Commit", StartSwitch::COMMIT},        {"/Rollback", StartSwitch::ROLLBACK},
      {"/Uninstall", StartSwitch::UNINSTALL},  {"/Quit", StartSwitch::QUIT},
      {"/install", StartSwitch::NONE},         {"/QUIT", StartSwitch::NONE},
      {"-I", StartSwitch::NONE},               {"/Install x", StartSwitch::NONE},
      {" /Quit", StartSwitch::NONE},           {"", StartSwitch::NONE},
  };
  for (const auto& c : cases) EXPECT_EQ(CCommandLineSwitch::Parse(c.m_pszText), c.m_expected) << c.m_pszText;
  const char* argv[] = {"tabrix", "/Install", "x"};
  EXPECT_EQ(CCommandLineSwitch::ArgumentText(3, argv), "/Install x");
  EXPECT_EQ(CCommandLineSwitch::ArgumentText(1, argv), "");
}

TEST(ServiceWaitTest, CodesAndTimeLimits) {
  struct Case {
    const char* m_pszWhat;
    uint32_t m_uManager, m_uService, m_uQuery, m_uState, m_uTimeoutMs;
    int32_t m_iExpected;
    uint32_t m_uElapsedMs;  // fake time the wait took
  };
  const Case cases[] = {
      {"running at once", 0, 0, 0, SERVICE_STATE_RUNNING, 300000, 0, 0},
      {"no manager", 5, 0, 0, SERVICE_STATE_RUNNING, 3000, -102, 4000},
      {"never registered", 0, 2, 0, SERVICE_STATE_RUNNING, 3000, -106, 4000},
      {"query fails", 0, 0, 6, SERVICE_STATE_RUNNING, 3000, -103, 0},
      {"stays stopped", 0, 0, 0, SERVICE_STATE_STOPPED, 3000, -105, 4000},
      {"state without low bits", 0, 0, 0, 8, 3000, -104, 0},
      {"limit 0 gives up after a second", 0, 0, 0, SERVICE_STATE_START_PENDING, 0, -105, 1000},
  };
  for (const Case& c : cases) {
    test::CFakeServiceControl services;
    services.m_uManager = c.m_uManager;
    services.m_uService = c.m_uService;
    services.m_uQuery = c.m_uQuery;
    services.m_uState = c.m_uState;
    test::CFakeClock clock;
    EXPECT_EQ(CServiceWait::Wait(services, clock, "Pansvc", c.m_uTimeoutMs), c.m_iExpected)
        << c.m_pszWhat;
    EXPECT_EQ(clock.TickCount(), c.m_uElapsedMs) << c.m_pszWhat;
  }
  test::CFakeServiceControl services;
  test::CFakeClock clock;
  EXPECT_EQ(CServiceWait::Wait(services, clock, "", 1000), -101);
}

TEST(DriverInstallerTest, RunsOnceAtATimeElevatedFromVista) {
  test::CFakeProcessLauncher processes;
  CDriverInstaller installer(processes);
  processes.m_present[CDriverInstaller::PathIn("/opt/VT-R700A")] = true;
  EXPECT_TRUE(installer.Present("/opt/VT-R700A"));
  EXPECT_FALSE(installer.Present("/opt/VT-R800A"));
  EXPECT_EQ(installer.Run("/opt/VT-R700A", 13), 1);
  EXPECT_EQ(installer.Run("/opt/VT-R700A", 15), 1);
  EXPECT_EQ(processes.m_runs, (std::vector<std::string>{"open /opt/VT-R700A/Setupkit",
                                                         "runas /opt/VT-R700A/Setupkit"}));
}

TEST(PanelSettingsMappingTest, InputTouchModesButtonsAndRotation) {
  const uint32_t input[][2] = {{0x00, 2},  {0x01, 1},  {0x02, 0},  {0x03, 2},  {0x0F, 2},
                               {0x10, 18}, {0x21, 33}, {0x32, 0},  {0x12, 16}};
  for (const auto& c : input) EXPECT_EQ(CPanelSettingsSender::FirmwareInputMode(c[0]), c[1]) << c[0];
  const uint32_t buttons[][3] = {{0, 0, 0}, {0x0101, 2, 1}, {0x0001, 2, 0}, {0x0100, 0, 1}};
  for (const auto& c : buttons) {
    EXPECT_EQ(CPanelSettingsSender::Button1Mode(c[0]), c[1]) << c[0];
    EXPECT_EQ(CPanelSettingsSender::Button2Mode(c[0]), c[2]) << c[0];
  }
  const uint32_t rotation[][2] = {{0, 0}, {90, 1}, {180, 2}, {270, 3}, {45, 0}};
  for (const auto& c : rotation) EXPECT_EQ(CPanelSettingsSender::RotationCode(c[0]), c[1]);
}

TEST(TrayIconTableTest, EveryStateHasItsPicture) {
  const struct {
    bool m_bOn, m_bDual, m_bWin2000, m_bRotated, m_bTesting;
    uint32_t m_uIcon;
  } cases[] = {
      {false, false, false, false, false, 189}, {true, false, false, false, false, 128},
      {true, false, false, true, false, 193},   {true, false, false, true, true, 209},
      {false, true, false, false, false, 257},  {true, true, false, false, false, 256},
      {true, true, false, true, false, 258},    {true, true, false, false, true, 259},
      {false, true, true, false, false, 230},   {true, false, true, false, false, 227},
      {true, false, true, true, false, 233},    {true, false, true, false, true, 235},
  };
  for (const auto& c : cases) {
    TrayIconState s{c.m_bOn, c.m_bDual, c.m_bWin2000, c.m_bRotated, c.m_bTesting};
    EXPECT_EQ(CTrayIconTable::IconFor(s), c.m_uIcon);
  }
}

TEST(BannerTest, ModesPickTextColourAndTime) {
  const CStringTable strings = CStringTable::BuiltIn("tabrix");
  const std::string lost = strings.Get(57735), testing = strings.Get(60024);
  const struct {
    int m_iMode;
    std::string m_sText;
    uint32_t m_uBackground, m_uDurationMs;
  } cases[] = {{0, lost, BANNER_GREY, 3000},
               {1, strings.Get(60023), BANNER_NAVY, 7300},
               {2, lost, BANNER_GREY, 2000},
               {9, testing, BANNER_NAVY, 7300},
               {5, lost, BANNER_GREY, 2000},
               {-1, lost, BANNER_GREY, 2000}};
  for (const auto& c : cases) {
    CStartGuideDlg guide(strings, c.m_iMode);
    EXPECT_EQ(guide.Look().m_sText, c.m_sText) << c.m_iMode;
    EXPECT_EQ(guide.Look().m_uBackground, c.m_uBackground) << c.m_iMode;
    EXPECT_EQ(guide.Look().m_uDurationMs, c.m_uDurationMs) << c.m_iMode;
  }
  CStartGuideDlg shown(strings, 2);
  shown.EnterAgain();
  EXPECT_EQ(shown.Look().m_sText, testing);
  EXPECT_EQ(shown.Look().m_uDurationMs, 7300u);
  EXPECT_TRUE(CGuideMessageDlg::LookOf("x", true).m_bBeep);
  EXPECT_EQ(CGuideMessageDlg::LookOf("x", false).m_uBackground, BANNER_NAVY);
  // A text taller than the screen starts at the top and ends at its bottom.
  BannerTextPlace p = BannerTextPlace::Centred(800, 600, 1000, 900);
  EXPECT_EQ(p.m_iX, 0);
  EXPECT_EQ(p.m_iY, 0);
  EXPECT_EQ(p.m_iHeight, 600);
}

TEST(AboutDlgTest, VersionLineFromTheVersionRecord) {
  const CStringTable strings = CStringTable::BuiltIn("tabrix");
  CAboutDlg about(strings, CVersionResource({{"ProductName", "Corvane"},
                                             {"ProductVersion", "2.2.2.7"},
                                             {"LegalCopyright", "(C) KAVRO"}}));
  EXPECT_EQ(about.VersionLine(), "Corvane Version 2.2.2.7 (64bit)");
  EXPECT_EQ(about.Copyright(), "(C) KAVRO");
  CAboutDlg bare(strings, CVersionResource());
  EXPECT_EQ(bare.VersionLine(), " Version  (64bit)");
  EXPECT_EQ(bare.Copyright(), "");
}

TEST(TextFormatTest, InsertsOnlyWhatWasHandedIn) {
  EXPECT_EQ(CTextFormat::Insert("The %1 has already been started.", {"Corvane"}),
            "The Corvane has already been started.");
  EXPECT_EQ(CTextFormat::Insert("%2 and %1, 100%%", {"a"}), "%2 and a, 100%");
  EXPECT_EQ(CTextFormat::Printf("%s Version %s (64bit)", {"A"}), "A Version  (64bit)");
  EXPECT_EQ(CTextFormat::Printf("%lf,%lf %d%%", {"1.5", "2.5", "7"}), "1.5,2.5 7%");
}

}  // namespace
}  // namespace kv
