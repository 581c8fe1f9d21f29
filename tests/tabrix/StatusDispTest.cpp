// The test display's logic: what one refresh pass shows for each kind of model, the
// computer's addresses resolved off the refresh (also when resolving hangs), the
// service-mode bracket and the manual calibration's "Set".
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "resources/StringTable.h"
#include "tabrix/ui/StatusDispDlg.h"
#include "tests/support/FakeClock.h"
#include "tests/tabrix/AppFakes.h"
#include "tests/tabrix/FakeRegistry.h"
#include "tests/tabrix/ScreenFakes.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
const std::string kModelKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";

ModelEntry Model(uint32_t type, const char* name = "VT-R700A") {
  ModelEntry m;
  SetFixedText(m.m_szName, name);
  m.m_uModelType = type;
  return m;
}

// Waits (without a fixed sleep) until the condition holds or 10 s have passed.
template <typename F>
bool WaitFor(F condition) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

class StatusDispTest : public ::testing::Test {
 protected:
  StatusDispTest() {
    m_settings.SetModelSubkey("\\VT-R700A");
    m_names->m_table["host"] = {{192, 168, 1, 5}, {10, 0, 0, 7}};
    m_actions.m_pModel = &m_model;
  }
  ~StatusDispTest() override { m_names->Release(); }
  void Store(const std::string& name, uint32_t value) {
    m_registry.CreateKey(RegistryHive::CURRENT_USER, kModelKey);
    m_registry.SetDword(RegistryHive::CURRENT_USER, kModelKey, name, value);
  }
  CStatusDispDlg& Dialog(int32_t singleMode = 0) {
    m_pDialog = std::make_unique<CStatusDispDlg>(
        StatusDispContext{m_settings, m_parameters, m_pen, m_clock, m_pointer, m_cache,
                          m_strings, m_boxes, "Corvane", m_host, m_actions, singleMode},
        m_view);
    return *m_pDialog;
  }
  // Refreshes until a finished resolution shows.
  void RefreshUntilResolved(CStatusDispDlg& dlg) {
    ASSERT_TRUE(WaitFor([&] {
      m_clock.Advance(100);
      dlg.Refresh();
      return !dlg.Fields().m_addresses.empty();
    }));
  }

  test::CFakeRegistry m_registry;
  test::CRecordingParameters m_parameters;
  SettingsStore m_settings{m_registry, m_parameters};
  CPenInputState m_pen;
  test::CFakeClock m_clock;
  test::CFakePointer m_pointer;
  std::shared_ptr<test::CFakeHostNames> m_names = std::make_shared<test::CFakeHostNames>();
  CHostAddressCache m_cache{m_names, m_clock, 2000};
  CStringTable m_strings = CStringTable::BuiltIn("tabrix");
  test::CFakeMessageBoxes m_boxes;
  test::CFakeScreenHost m_host;
  test::CFakeStatusActions m_actions;
  test::CFakeStatusView m_view;
  ModelEntry m_model = Model(MODEL_TYPE_DRIVER);
  std::unique_ptr<CStatusDispDlg> m_pDialog;
};

TEST_F(StatusDispTest, OpeningStartsTheTimerAndShowsModelAndDriverVersion) {
  const struct {
    uint32_t m_uType;
    const char *m_pszProduct, *m_pszModel, *m_pszVersion;
  } cases[] = {{1, "PANEL-1", "PANEL-1", "7.1.0.3"},
               {1, "", "", ""},
               {3, "PANEL-3", "VT-R700A", "---"},
               {4, "PANEL-4", "PANEL-4", "---"}};
  for (const auto& c : cases) {
    m_model = Model(c.m_uType);
    m_actions.m_sProduct = c.m_pszProduct;
    CStatusDispDlg& dlg = Dialog();
    dlg.OnInitDialog();
    dlg.OnShow();
    EXPECT_EQ(m_view.m_timers[CStatusDispDlg::REFRESH_TIMER_ID], 100u);
    EXPECT_EQ(dlg.Fields().m_sModel, c.m_pszModel) << c.m_uType;
    EXPECT_EQ(dlg.Fields().m_sDriverVersion, c.m_pszVersion) << c.m_uType;
  }
  EXPECT_EQ(m_actions.m_log.front(), "info");
}

TEST_F(StatusDispTest, RefreshShowsModesButtonsAndIndicatorsPerModelType) {
  const struct {
    const char* m_pszWhat;
    uint32_t m_uType, m_uPenButton, m_uTouch;
    int32_t m_iSingleMode;
    PointerSample m_pointer;
    bool m_bLinkHeld;
    const char *m_pszInput, *m_pszTouchText, *m_pszB1Text, *m_pszB2Text;
    const char *m_pszL, *m_pszB1, *m_pszB2;
  } cases[] = {
      {"both buttons disabled", 1, 0x0000, 0, 0, {5, 6, true, true, true}, true,
       "HandWrite", "Single", "Disable", "Disable", "o", " ", " "},
      {"right click and link", 1, 0x0101, 2, 0, {5, 6, false, true, false}, true,
       "HandWrite", "Dual", "RightClick", "Pen Software Link", " ", "o", "o"},
      {"released", 1, 0x0101, 1, 1, {5, 6, false, false, true}, false,
       "HandWrite", "Single2", "RightClick", "Pen Software Link", " ", " ", " "},
      {"single1", 1, 0x0101, 0, 1, {}, false,
       "HandWrite", "Single1", "RightClick", "Pen Software Link", " ", " ", " "},
      {"button model", 4, 0x0101, 0, 0, {5, 6, true, false, true}, false,
       "", "---", "---", "---", " ", " ", "o"},
  };
  Store("InputMode", 0x01);
  Store("RotationAngle", 270);
  for (const auto& c : cases) {
    m_model = Model(c.m_uType);
    m_host.m_uPenButton = c.m_uPenButton;
    m_host.m_bButton2Held = c.m_bLinkHeld;
    m_pen.SetTouchMode(c.m_uTouch);
    m_pointer.m_sample = c.m_pointer;
    CStatusDispDlg& dlg = Dialog(c.m_iSingleMode);
    dlg.Refresh();
    const StatusFields& f = dlg.Fields();
    EXPECT_EQ(f.m_sInputMode, c.m_pszInput) << c.m_pszWhat;
    EXPECT_EQ(f.m_sTouchMode, c.m_pszTouchText) << c.m_pszWhat;
    EXPECT_EQ(f.m_sButton1, c.m_pszB1Text) << c.m_pszWhat;
    EXPECT_EQ(f.m_sButton2, c.m_pszB2Text) << c.m_pszWhat;
    EXPECT_EQ(f.m_sIndicatorL, c.m_pszL) << c.m_pszWhat;
    EXPECT_EQ(f.m_sIndicatorB1, c.m_pszB1) << c.m_pszWhat;
    EXPECT_EQ(f.m_sIndicatorB2, c.m_pszB2) << c.m_pszWhat;
    EXPECT_EQ(f.m_sMouse, "x=" + std::to_string(c.m_pointer.m_iX) + ", y=" +
                              std::to_string(c.m_pointer.m_iY));
    EXPECT_EQ(f.m_sRotation, "270");
  }
}

TEST_F(StatusDispTest, ButtonModelShowsThePenAfterHalfASecondUntilAButtonIsPressed) {
  m_model = Model(MODEL_TYPE_FIRMWARE_4);
  CStatusDispDlg& dlg = Dialog();
  m_clock.Advance(1000);
  m_pen.SetTouching(true, m_clock.TickCount());
  dlg.Refresh();
  EXPECT_EQ(dlg.Fields().m_sIndicatorL, " ");
  m_clock.Advance(501);
  dlg.Refresh();
  EXPECT_EQ(dlg.Fields().m_sIndicatorL, "o");
  m_pointer.m_sample.m_bRight = true;
  dlg.Refresh();
  EXPECT_EQ(m_pen.TouchStartTick(), 0u);
  m_pointer.m_sample.m_bRight = false;
  dlg.Refresh();
  EXPECT_EQ(dlg.Fields().m_sIndicatorL, " ");
}

TEST_F(StatusDispTest, AddressesOfTheComputerNameWithLeadingBlanks) {
  m_names->m_table["dotless"] = {};
  const struct {
    const char* m_pszName;
    std::vector<std::string> m_addresses;
  } cases[] = {{"host", {" 192.168.1.5", " 10.0.0.7"}},
               {"nowhere", {"No setting"}},
               {"dotless", {"No setting"}}};
  for (const auto& c : cases) {
    m_names->SetName(c.m_pszName);
    CStatusDispDlg& dlg = Dialog();
    RefreshUntilResolved(dlg);
    EXPECT_EQ(dlg.Fields().m_names, std::vector<std::string>{c.m_pszName});
    EXPECT_EQ(dlg.Fields().m_addresses, c.m_addresses) << c.m_pszName;
    EXPECT_EQ(dlg.Fields().m_iSelectedAddress, 0);
  }
  // A name that is an address itself is not looked up.
  const int before = m_names->Resolves();
  m_names->SetName("10.1.2.3");
  CStatusDispDlg& dlg = Dialog();
  for (int i = 0; i < 30; ++i) {
    m_clock.Advance(100);
    dlg.Refresh();
  }
  EXPECT_TRUE(dlg.Fields().m_addresses.empty());
  EXPECT_EQ(m_names->Resolves(), before);
  const struct {
    const char* m_pszName;
    bool m_bDotted;
  } dotted[] = {{"1.2.3.4", true}, {"255.255.255.255", true}, {"256.1.1.1", false},
                {"1.2.3", false},  {"1.2.3.4.5", false},      {"a.b.c.d", false},
                {"1..2.3", false}, {"", false}};
  for (const auto& d : dotted) EXPECT_EQ(CHostAddressCache::IsDottedAddress(d.m_pszName), d.m_bDotted);
}

TEST_F(StatusDispTest, AHangingNameServerNeverHoldsUpTheRefresh) {
  m_names->m_sHang = "host";
  CStatusDispDlg& dlg = Dialog();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 50; ++i) {
    m_clock.Advance(100);
    dlg.Refresh();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  ASSERT_TRUE(WaitFor([&] { return m_names->Resolves() == 1; }));
  EXPECT_TRUE(m_cache.Resolving());
  EXPECT_EQ(m_names->Resolves(), 1) << "one lookup at a time";
  EXPECT_TRUE(dlg.Fields().m_addresses.empty());
  EXPECT_EQ(dlg.Fields().m_sMouse, "x=0, y=0");
  m_names->Release();
  RefreshUntilResolved(dlg);
  EXPECT_EQ(dlg.Fields().m_addresses.size(), 2u);
}

TEST_F(StatusDispTest, CacheDestroyedWhileResolvingLeavesTheLookupToFinish) {
  auto names = std::make_shared<test::CFakeHostNames>();
  names->m_sHang = "host";
  {
    CHostAddressCache cache(names, m_clock);
    cache.Current();
    ASSERT_TRUE(WaitFor([&] { return names->Resolves() == 1; }));
  }
  names->Release();
  // The lookup's thread held the names; it lets go once it is done.
  ASSERT_TRUE(WaitFor([&] { return names.use_count() == 1; }));
}

TEST_F(StatusDispTest, ServiceModeBracketsTheDialogWithDriverOffAndTestIcon) {
  const struct {
    const char* m_pszWhat;
    uint32_t m_uType, m_uTouch;
    bool m_bDriverOn;
    std::vector<std::string> m_actions;
    bool m_bFirmwareDialog;
  } cases[] = {
      {"driver model, single", 1, 0, true, {"enable=0", "enable=1"}, false},
      {"driver model, dual", 1, 2, true, {"input=1", "enable=0", "enable=1", "input=33"}, false},
      {"driver switched off stays off", 1, 0, false, {"enable=0", "enable=0"}, false},
      {"firmware model", 3, 2, true, {}, true},
  };
  Store("InputMode", 0x21);
  for (const auto& c : cases) {
    m_model = Model(c.m_uType);
    m_pen.SetTouchMode(c.m_uTouch);
    m_host = test::CFakeScreenHost();
    m_host.m_bDriverOn = c.m_bDriverOn;
    m_actions.m_log.clear();
    CStatusDispDlg& dlg = Dialog();
    dlg.OnInitDialog();
    m_actions.m_log.clear();
    bool during = false;
    m_view.m_onRun = [&] {
      during = m_pen.TestRunning() && m_host.m_bBusy && !m_host.m_bCommandText &&
               m_view.m_timers.empty();
    };
    m_view.m_runs.clear();
    dlg.OnServiceMode();
    EXPECT_TRUE(during) << c.m_pszWhat;
    EXPECT_EQ(m_view.m_runs, std::vector<bool>{c.m_bFirmwareDialog}) << c.m_pszWhat;
    EXPECT_EQ(m_actions.m_log, c.m_actions) << c.m_pszWhat;
    EXPECT_FALSE(m_pen.TestRunning());
    EXPECT_FALSE(m_host.m_bBusy);
    EXPECT_TRUE(m_host.m_bCommandText) << "the command text comes back";
    EXPECT_EQ(m_host.m_log.back(), "icon");
    EXPECT_EQ(m_view.m_timers[CStatusDispDlg::REFRESH_TIMER_ID], 100u);
  }
  // While the main window is busy the button is off, and a click that slips through does
  // nothing.
  CStatusDispDlg& dlg = Dialog();
  m_host.m_bBusy = true;
  dlg.EnableServiceMode(true);
  EXPECT_FALSE(dlg.Fields().m_bServiceEnabled);
  m_view.m_runs.clear();
  dlg.OnServiceMode();
  EXPECT_TRUE(m_view.m_runs.empty());
  m_host.m_bBusy = false;
  dlg.Refresh();
  EXPECT_TRUE(dlg.Fields().m_bServiceEnabled);
}

TEST_F(StatusDispTest, CloseHidesAndClearsTheRequest) {
  CStatusDispDlg& dlg = Dialog();
  dlg.OnInitDialog();
  dlg.OnShow();
  dlg.OnClose();
  EXPECT_TRUE(m_view.m_bHidden);
  EXPECT_FALSE(m_host.m_bRequested);
  EXPECT_FALSE(dlg.Shown());
}

TEST_F(StatusDispTest, ManualSetTakesFourNumbersOrSaysNG) {
  const struct {
    const char *m_pszRx, *m_pszRy, *m_pszOx, *m_pszOy;
    bool m_bApplyOk, m_bResult;
  } cases[] = {{"1.25", "0.98", "-3.5", "12", true, true},
               {"1.25", "0.98", "-3.5", "12", false, false},
               {"", "1", "0", "0", true, false},
               {"1x", "1", "0", "0", true, false},
               {"1", "nan", "0", "0", true, false},
               {"1", "1", "1e999", "0", true, false}};
  for (const auto& c : cases) {
    m_actions.m_bApplyOk = c.m_bApplyOk;
    m_actions.m_applied.clear();
    m_boxes.m_shown.clear();
    CStatusDispDlg& dlg = Dialog();
    EXPECT_EQ(dlg.OnSet(c.m_pszRx, c.m_pszRy, c.m_pszOx, c.m_pszOy), c.m_bResult);
    ASSERT_EQ(m_boxes.m_shown.size(), 1u);
    EXPECT_EQ(m_boxes.m_shown[0].m_sText, c.m_bResult ? "Setting OK!" : "Setting NG!");
  }
  m_actions.m_applied.clear();
  Dialog().OnSet(" 1.5", "2", "3", "4 ");
  ASSERT_EQ(m_actions.m_applied.size(), 1u);
  EXPECT_EQ(m_actions.m_applied[0].m_dRatioX, 1.5);
  EXPECT_EQ(m_actions.m_applied[0].m_dOffsetY, 4.0);
}

}  // namespace
}  // namespace kv
