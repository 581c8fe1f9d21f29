// The settings screens' logic against the real service, driver stand-in and panel
// stand-in: what the operation page's OK sends and stores when everything answers, when
// the service is gone and when the panel is gone; the self test over the panel's records;
// the test display's driver version and its service-mode bracket at the driver.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/posix/FileSystemParameters.h"
#include "platform/posix/RegistryServiceControl.h"
#include "platform/posix/SimHidBus.h"
#include "platform/posix/SqliteRegistry.h"
#include "tabrix/app/StartupSequence.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "tabrix/firmware/FirmwareServicePort.h"
#include "tabrix/firmware/ServiceModeDlg.h"
#include "tabrix/ui/PenButtonSetPage.h"
#include "tabrix/ui/ShellPenSettingsSender.h"
#include "tabrix/ui/ShellStatusActions.h"
#include "tabrix/ui/StatusDispDlg.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/AppFakes.h"
#include "tests/tabrix/ProgramUnderTest.h"
#include "tests/tabrix/CalibrationFakes.h"
#include "tests/tabrix/ScreenFakes.h"
#include "tests/tabrix/SimSystem.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
const std::string kModelKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";

// The main window's side for the screens, over the real hidden main window.
class CWindowHost final : public ScreenHost {
 public:
  explicit CWindowHost(CCalibrationWnd& window) : m_window(window) {}
  bool DriverOn() const override { return m_window.DriverOn(); }
  bool Busy() const override { return m_bBusy; }
  void SetBusy(bool busy) override { m_bBusy = busy; }
  void SetTestDisplayRequested(bool) override {}
  uint32_t PenButton() const override { return m_window.PenButton(); }
  void SetPenButton(uint32_t v) override { m_window.SetPenButton(v); }
  bool PenLinkButton2Held() const override { return false; }
  bool CommandTextSet() const override { return !m_window.CommandText().empty(); }
  void SetCommandText(bool on) override { m_window.SetCommandText(on); }
  void UpdateIcon() override { m_window.UpdateIcon(); }
  bool m_bBusy = false;

 private:
  CCalibrationWnd& m_window;
};

struct Program : test::ProgramUnderTest {
  Program(const test::CTempPrefix& prefix, const std::string& programDir)
      : test::ProgramUnderTest(prefix, programDir) {
    host = std::make_unique<CWindowHost>(*window);
    sender = std::make_unique<CShellPenSettingsSender>(*shell);
  }
  PenButtonPageContext PageContext() {
    return {shell->Settings(), shell->Strings(), boxes,  shell->Title(), *host,
            shell->App().PenInput(), *sender, 16, 0};
  }
  std::unique_ptr<CWindowHost> host;
  std::unique_ptr<CShellPenSettingsSender> sender;
};

class ScreensSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_sProgramDir = m_prefix.Dir() + "/program";
    mkdir(m_sProgramDir.c_str(), 0755);
    ASSERT_TRUE(m_sim.StartDriver());
    setenv("KV_SERVICE_MANAGER", "1", 1);
    ASSERT_TRUE(m_sim.StartService());
    unsetenv("KV_SERVICE_MANAGER");
    ASSERT_TRUE(m_panel.Start("panel-sim", {"--model", "VT-R700A"}));
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!m_panelCtl.Connect(m_prefix.Paths().HidDir() + "/panel.ctl")) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "panel-sim did not come up";
      std::this_thread::sleep_for(5ms);
    }
    m_pProgram = std::make_unique<Program>(m_prefix, m_sProgramDir);
    ASSERT_TRUE(m_pProgram->startup->InitInstance(""));
    m_pProgram->views.FireFirstAdd();
    ASSERT_TRUE(m_pProgram->window->DriverOn());
  }
  void TearDown() override { m_pProgram.reset(); }

  uint32_t Hive(RegistryHive hive, const std::string& name) {
    CSqliteRegistry registry(m_prefix.Paths());
    uint32_t value = 0xFFFFFFFF;
    registry.QueryDword(hive, kModelKey, name, &value);
    return value;
  }
  int Count(int opcode) { return std::stoi(m_panelCtl("count " + std::to_string(opcode))); }

  test::CTempPrefix m_prefix;
  std::string m_sProgramDir;
  test::CSimSystem m_sim{m_prefix};
  test::CChildProcess m_panel;
  test::CControlChannel m_panelCtl;
  std::unique_ptr<Program> m_pProgram;
};

// Button 1 RightClick, button 2 off, input HandWrite with single touch, eraser off.
void ChangeEverything(CPenButtonSetPage& page) {
  using P = CPenButtonSetPage;
  page.OnSelect(P::BUTTON1, 1);
  page.OnSelect(P::BUTTON2, 0);
  page.OnSelect(P::TOUCH, 0);
  page.OnSelect(P::INPUT, 1);
  page.OnSelect(P::REGION, 0);
}

TEST_F(ScreensSimTest, OkReachesDriverPanelAndBothHives) {
  Program& p = *m_pProgram;
  const int inputSends = Count(3), regionSends = Count(4);
  CPenButtonSetPage page(p.PageContext());
  page.Initialise();
  ChangeEverything(page);
  page.OnOk();
  DriverSettings settings;
  ASSERT_TRUE(m_sim.ReadSettings(&settings));
  EXPECT_EQ(settings.m_uPenButtonMode, 0x8001);
  EXPECT_EQ(Count(3), inputSends + 1);
  EXPECT_EQ(m_panelCtl("last 3"), "1");  // HandWrite, single touch
  EXPECT_EQ(m_sim.Control("touchmode"), "0");
  EXPECT_EQ(Count(4), regionSends + 1);
  EXPECT_EQ(m_panelCtl("last 4"), "0");
  for (RegistryHive hive : {RegistryHive::LOCAL_MACHINE, RegistryHive::CURRENT_USER}) {
    EXPECT_EQ(Hive(hive, "PenButon"), 1u);
    EXPECT_EQ(Hive(hive, "InputMode"), 0x01u);
    EXPECT_EQ(Hive(hive, "RegionDetection"), 0u);
  }
  EXPECT_EQ(p.window->PenButton(), 1u);
  EXPECT_EQ(p.shell->App().PenInput().TouchMode(), 0u);
}

TEST_F(ScreensSimTest, ServiceGoneAtOkStoresForTheNextConnectionButNotTheButtons) {
  Program& p = *m_pProgram;
  CPenButtonSetPage page(p.PageContext());
  page.Initialise();  // the page was open when the service went away
  ChangeEverything(page);
  const int inputSends = Count(3), regionSends = Count(4);
  m_sim.StopService();
  page.OnOk();
  EXPECT_EQ(Hive(RegistryHive::CURRENT_USER, "PenButon"), 257u) << "a refused button send keeps it";
  EXPECT_EQ(Hive(RegistryHive::CURRENT_USER, "InputMode"), 0x01u);
  EXPECT_EQ(Hive(RegistryHive::CURRENT_USER, "RegionDetection"), 0u);
  EXPECT_EQ(Count(3), inputSends) << "stored, not sent";
  EXPECT_EQ(Count(4), regionSends);
}

TEST_F(ScreensSimTest, PanelGoneAtOkKeepsWhatItRefused) {
  Program& p = *m_pProgram;
  CPenButtonSetPage page(p.PageContext());
  page.Initialise();
  ChangeEverything(page);
  ASSERT_EQ(m_panelCtl("unplug"), "ok");
  page.OnOk();
  DriverSettings settings;
  ASSERT_TRUE(m_sim.ReadSettings(&settings));
  EXPECT_EQ(settings.m_uPenButtonMode, 0x8001) << "the buttons go to the driver";
  EXPECT_EQ(Hive(RegistryHive::CURRENT_USER, "PenButon"), 1u);
  EXPECT_EQ(Hive(RegistryHive::CURRENT_USER, "InputMode"), 0x20u);
  EXPECT_EQ(Hive(RegistryHive::CURRENT_USER, "RegionDetection"), 1u);
}

TEST_F(ScreensSimTest, SelfTestOverThePanelsRecords) {
  Program& p = *m_pProgram;
  // The panel's own pace: 557 records at once would overflow the host's 512 input
  // buffers whenever the reader lags, as on a real bus.
  ASSERT_EQ(m_panelCtl("records clear"), "ok");
  const ModelEntry& model = *p.shell->CurrentModel();
  for (int b = 0; b < model.TotalBoards(); ++b) {
    for (int s = 1; s <= model.m_aSensors[b]; ++s) {
      // Board YD (10) failed everywhere; sensor 5 of XA (1) lost its LED.
      const int bits = b == 9 ? 0x11 : (b == 0 && s == 5) ? 0x10 : 0;
      ASSERT_EQ(m_panelCtl("records add " + std::to_string(b + 1) + " " + std::to_string(s) +
                           " 0 0 " + std::to_string(bits) + " 0 0 0"),
                "ok");
    }
  }
  CFirmwareServicePort port(p.shell->Firmware());
  CServiceModeDlg dlg({port, p.shell->Strings(), p.boxes, p.shell->Title(), &model});
  p.shell->MemoryLog().Start(1 << 20);  // the link's trace, shown when the test fails
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.Info().m_sVerdict, "OK");
  EXPECT_FALSE(dlg.Info().m_sVersion.empty());
  ASSERT_TRUE(dlg.RunSelfTest()) << p.shell->MemoryLog().Contents();
  ASSERT_EQ(dlg.Boards().size(), 10u);
  EXPECT_EQ(dlg.Boards()[0], (CServiceModeDlg::BoardRow{"XA", "Check", "XA", "OK"}));
  EXPECT_EQ(dlg.Boards()[1], (CServiceModeDlg::BoardRow{"XB", "OK", "XB", "OK"}));
  EXPECT_EQ(dlg.Boards()[9], (CServiceModeDlg::BoardRow{"YD", "ALL", "YD", "ALL"}));
  EXPECT_EQ(dlg.Points(), (std::vector<CServiceModeDlg::PointRow>{
                              {"XA", "05", "E01", "XA", "05", "OK"},
                              {"YD", "ALL", "E01", "YD", "ALL", "E01"}}));

  // The panel gone during a test: no data and an empty checksum.
  ASSERT_EQ(m_panelCtl("unplug"), "ok");
  EXPECT_FALSE(dlg.RunSelfTest());
  EXPECT_EQ(p.boxes.m_shown.back().m_sText, "Unable to obtain failure data.");
  dlg.OnInitDialog();
  EXPECT_FALSE(dlg.Info().m_bValid);
  EXPECT_EQ(dlg.Info().m_sChecksum, "");
}

TEST_F(ScreensSimTest, TestDisplayShowsTheDriversVersionAndSwitchesItOffForServiceMode) {
  Program& p = *m_pProgram;
  ASSERT_EQ(m_sim.Control("info 7.10.2.3 1 2 3"), "ok");
  CShellStatusActions actions(*p.shell);
  test::CFakePointer pointer;
  auto names = std::make_shared<test::CFakeHostNames>();
  CHostAddressCache cache(names, p.clock);
  test::CFakeStatusView view;
  CStatusDispDlg dlg({p.shell->Settings(), p.parameters, p.shell->App().PenInput(), p.clock,
                      pointer, cache, p.shell->Strings(), p.boxes, p.shell->Title(), *p.host,
                      actions, 0},
                     view);
  dlg.OnInitDialog();
  dlg.OnShow();
  EXPECT_EQ(dlg.Fields().m_sDriverVersion, "7.10.2.3");
  EXPECT_EQ(dlg.Fields().m_sModel, p.shell->Firmware()->ProductString());
  EXPECT_TRUE(dlg.Fields().m_bServiceEnabled);

  // Dual touch in force: the service mode runs single, with the driver's input off.
  p.shell->App().PenInput().SetTouchMode(2);
  DriverSettings during{};
  uint32_t iconDuring = 0;
  view.m_onRun = [&] {
    m_sim.ReadSettings(&during);
    iconDuring = p.window->CurrentIcon();
  };
  dlg.OnServiceMode();
  EXPECT_EQ(during.m_uInputEnable, 0);
  EXPECT_EQ(iconDuring, 259u);  // dual, testing
  DriverSettings after;
  ASSERT_TRUE(m_sim.ReadSettings(&after));
  EXPECT_EQ(after.m_uInputEnable, 1);
  EXPECT_EQ(m_sim.Control("touchmode"), "1");
  EXPECT_FALSE(p.shell->App().PenInput().TestRunning());
  EXPECT_EQ(p.views.m_view.m_icons.back(), 256u);
  names->Release();
}

}  // namespace
}  // namespace kv
