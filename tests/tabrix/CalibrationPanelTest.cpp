// The calibration store's firmware hand-over through the real firmware link to panel-sim
// on the simulated HID bus, and a whole apply against the service, the driver stand-in
// and panel-sim together. What the panel holds and took in is read back over its control
// channel, what the driver holds over the driver stand-in's.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "common/DriverSettings.h"
#include "platform/Clock.h"
#include "platform/posix/SimHidBus.h"
#include "platform/posix/SqliteRegistry.h"
#include "tabrix/app/RivelleApp.h"
#include "tabrix/app/SettingsStore.h"
#include "tabrix/calibration/CalibrationStore.h"
#include "tabrix/calibration/PresetInstaller.h"
#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "tabrix/firmware/TPdrvServiceMode.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/CalibrationFakes.h"
#include "tests/tabrix/SimSystem.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

constexpr int32_t OS_TYPE_VISTA = 15;
constexpr int32_t OS_TYPE_WIN7 = 16;
const char* const kUserKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A\\1366_768";

// The calibration most tests apply, and the four words it gives on a 1366 x 768 screen at
// rotation 0 in sending order: 1250, 50 * 32767 / 1366, 750, -20 * 32767 / 768 as a word.
const CalibrationValues kApplied{1.25, 0.75, 50.7, -20.3};
const char* const kAppliedWords = "1250 1199 750 64683";

class CNoParameters final : public SystemParameters {
 public:
  uint32_t Get(SystemParameter, uint32_t* v) override {
    *v = 0;
    return 0;
  }
  uint32_t Set(SystemParameter, uint32_t, uint32_t) override { return 0; }
};

FirmwareLinkTimeouts LinkWaits(int commandMs) {
  FirmwareLinkTimeouts t;
  t.m_iWriteMs = 500;
  t.m_iCommandMs = commandMs;
  t.m_iParkSleepMs = 2;
  return t;
}

// panel-sim with the firmware link on it, the application object of the given OS type
// (no service needed until a test starts one) and the store using both.
class CalibrationPanelTest : public ::testing::Test {
 protected:
  explicit CalibrationPanelTest(int32_t osType = OS_TYPE_WIN7) : m_iOsType(osType) {}

  void SetUp() override {
    m_display.m_uWidth = 1366;
    m_display.m_uHeight = 768;
    ASSERT_TRUE(m_panel.Start("panel-sim", {"--model", "VT-R700A"}));
    auto deadline = SteadyClock::now() + 10s;
    while (!m_ctl.Connect(m_paths.HidDir() + "/panel.ctl")) {
      ASSERT_LT(SteadyClock::now(), deadline) << "panel-sim did not come up";
      std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(m_ctl("ping"), "ok");
    m_settings.SetModelSubkey("\\VT-R700A");
    m_app = std::make_unique<CRivelleApp>(m_paths, m_clock, m_pipes, m_display, m_iOsType);
    ASSERT_NE(m_app->CurrentModel(), nullptr);
    ASSERT_EQ(m_app->CurrentModel()->m_uModelType, MODEL_TYPE_DRIVER);
    m_store = std::make_unique<CCalibrationStore>(m_registry, m_settings, m_display,
                                                  m_app->LinkContext(), nullptr);
    // A busy machine may take long for one answer; the generous wait costs nothing when
    // the panel answers.
    ASSERT_NO_FATAL_FAILURE(StartLink(LinkWaits(2500)));
  }

  void TearDown() override {
    if (m_link) m_link->StopWorker();
    m_store.reset();
    m_link.reset();
    m_app.reset();
    if (m_panel.Running()) m_panel.Stop();
  }

  void StartLink(FirmwareLinkTimeouts waits) {
    if (m_link) m_link->StopWorker();
    m_store->SetFirmwarePort(nullptr);
    m_link = std::make_unique<CTPdrvServiceMode>(m_bus, m_app->Models(), nullptr, nullptr,
                                                 &m_app->SharedDriverTable(), waits);
    ASSERT_TRUE(m_link->StartWorker());
    m_store->SetFirmwarePort(m_link.get());
  }

  // Reports and control lines travel on different sockets: after a command that got no
  // answer the panel may count it a moment later.
  bool WaitCount(const std::string& opcode, const std::string& count) {
    auto deadline = SteadyClock::now() + 10s;
    while (m_ctl("count " + opcode) != count) {
      if (SteadyClock::now() > deadline) return false;
      std::this_thread::sleep_for(2ms);
    }
    return true;
  }

  bool WriteApplied() {
    return m_store->WriteFirmwareCalibration(kApplied.m_dRatioX, kApplied.m_dRatioY,
                                             kApplied.m_dOffsetX, kApplied.m_dOffsetY);
  }

  int32_t m_iOsType;
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_bus{m_paths};
  test::CChildProcess m_panel;
  test::CControlChannel m_ctl;
  CSystemClock m_clock;
  CPipeClientTransport m_pipes{m_paths};
  test::CFakeDisplay m_display;
  CSqliteRegistry m_registry{m_paths};
  CNoParameters m_parameters;
  SettingsStore m_settings{m_registry, m_parameters};
  std::unique_ptr<CRivelleApp> m_app;
  std::unique_ptr<CCalibrationStore> m_store;
  std::unique_ptr<CTPdrvServiceMode> m_link;
};

TEST_F(CalibrationPanelTest, OneWrongReadBackIsWrittenAgainAndThePanelEndsWithTheWords) {
  ASSERT_TRUE(m_store->WriteFirmwareCalibration(1.0, 1.0, 0.0, 0.0));
  EXPECT_EQ(m_ctl("calibration"), "1000 0 1000 0");
  EXPECT_EQ(m_ctl("count 16"), "1");  // confirmed at the first read-back

  ASSERT_EQ(m_ctl("calibration corrupt"), "ok");
  EXPECT_TRUE(WriteApplied());
  EXPECT_EQ(m_ctl("calibration"), kAppliedWords);
  // Two whole attempts: all eight bytes sent again, then read back again.
  EXPECT_EQ(m_ctl("count 16"), "3");
  EXPECT_EQ(m_ctl("count 64"), "3");
  EXPECT_EQ(m_ctl("count 71"), "3");
}

TEST_F(CalibrationPanelTest, APanelThatKeepsAnsweringAWrongWordFailsAfterThreeAttempts) {
  ASSERT_EQ(m_ctl("calibration corrupt 5"), "ok");
  EXPECT_FALSE(WriteApplied());
  EXPECT_EQ(m_ctl("count 16"), "3");
  EXPECT_EQ(m_ctl("count 64"), "3");
  // The words did arrive; only their confirmation was wrong.
  EXPECT_EQ(m_ctl("calibration"), kAppliedWords);

  ASSERT_EQ(m_ctl("calibration corrupt 0"), "ok");
  EXPECT_TRUE(WriteApplied());
  EXPECT_EQ(m_ctl("count 16"), "4");
}

TEST_F(CalibrationPanelTest, AMutedPanelFailsAfterThreeAttemptsWithoutHanging) {
  // Nothing will answer, so a short answer wait keeps the test quick.
  ASSERT_NO_FATAL_FAILURE(StartLink(LinkWaits(300)));
  ASSERT_TRUE(m_link->GetCheckSum(nullptr, nullptr, nullptr));  // port open, panel found
  ASSERT_EQ(m_ctl("mute on"), "ok");
  const auto start = SteadyClock::now();
  EXPECT_FALSE(WriteApplied());
  EXPECT_LT(SteadyClock::now() - start, 30s);
  // Each attempt wrote the words and asked for them once.
  EXPECT_TRUE(WaitCount("16", "3")) << m_ctl("count 16");
  EXPECT_EQ(m_ctl("count 64"), "3");

  ASSERT_EQ(m_ctl("mute off"), "ok");
  ASSERT_NO_FATAL_FAILURE(StartLink(LinkWaits(2500)));
  EXPECT_TRUE(WriteApplied());
  EXPECT_EQ(m_ctl("calibration"), kAppliedWords);
}

// The whole system: which OS type the application runs on decides whether the panel
// firmware is written after the driver.
struct SystemCase {
  const char* m_pszName;
  int32_t m_iOsType;
  bool m_bFirmware;
};
void PrintTo(const SystemCase& c, std::ostream* os) { *os << c.m_pszName; }

class CalibrationSystemTest : public CalibrationPanelTest,
                              public ::testing::WithParamInterface<SystemCase> {
 protected:
  CalibrationSystemTest() : CalibrationPanelTest(GetParam().m_iOsType) {}

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(CalibrationPanelTest::SetUp());
    std::ifstream file(KV_PRESETS_FILE);
    ASSERT_TRUE(file);
    std::ostringstream text;
    text << file.rdbuf();
    ASSERT_EQ(InstallPresetTable(m_registry, text.str()).m_uRejected, 0u);
    ASSERT_TRUE(m_sim.StartDriver());
    ASSERT_TRUE(m_sim.StartService());
    m_app->OpenSharedTables(true);
    ASSERT_TRUE(m_app->SharedDriverTable().IsMapped());
    ASSERT_TRUE(DriverLink::QuickConnect(m_app->LinkContext()));
    m_store->LoadPresetTable();
    // Words the panel held before, so that an untouched panel can be told apart.
    ASSERT_EQ(m_ctl("calibration 1 2 3 4"), "ok");
  }

  void TearDown() override {
    CalibrationPanelTest::TearDown();
    m_sim.StopService();
  }

  std::string Stored(const std::string& name) {
    std::string text;
    if (m_registry.QueryString(RegistryHive::LOCAL_MACHINE, kUserKey, name, &text) != 0)
      return "<absent>";
    return text;
  }

  test::CSimSystem m_sim{m_prefix};
};

TEST_P(CalibrationSystemTest, ApplyWithSaveLeavesDriverPanelTableAndRegistryAgreeing) {
  const SystemCase& c = GetParam();
  m_store->Current() = kApplied;
  ASSERT_TRUE(m_store->ApplyCalibration(true));

  DriverSettings s;
  ASSERT_TRUE(m_sim.ReadSettings(&s));
  EXPECT_EQ(s.m_uCalibrationSwitch, 1);
  EXPECT_EQ(s.m_uScreenWidth, 1366);
  EXPECT_EQ(s.m_uScreenHeight, 768);
  EXPECT_EQ(s.m_iRatioX, 1250);
  EXPECT_EQ(s.m_iRatioY, 750);
  EXPECT_EQ(s.m_iOffsetX, 50);
  EXPECT_EQ(s.m_iOffsetY, -20);

  EXPECT_EQ(m_ctl("calibration"), c.m_bFirmware ? kAppliedWords : "1 2 3 4");
  EXPECT_EQ(m_ctl("count 64"), c.m_bFirmware ? "1" : "0");
  EXPECT_EQ(m_ctl("count 16"), c.m_bFirmware ? "1" : "0");

  DriverSharedData& shared = m_app->SharedDriverTable();
  const CalibrationBlock b = shared.Calibration();
  EXPECT_EQ(b.m_uValid, 1u);
  EXPECT_EQ(b.m_dRatioX, kApplied.m_dRatioX);
  EXPECT_EQ(b.m_dRatioY, kApplied.m_dRatioY);
  EXPECT_EQ(b.m_dOffsetX, kApplied.m_dOffsetX);
  EXPECT_EQ(b.m_dOffsetY, kApplied.m_dOffsetY);
  // The shipped presets of 1366 x 768, all three, published beside it.
  for (int p = 0; p < PRESET_COUNT; ++p) {
    CalibrationValues want;
    m_store->FindPresetValues(p, &want);
    const CalibrationBlock pb = shared.PresetBlock(p);
    EXPECT_EQ(pb.m_uValid, 1u) << p;
    EXPECT_EQ(pb.m_dRatioX, want.m_dRatioX) << p;
    EXPECT_EQ(pb.m_dRatioY, want.m_dRatioY) << p;
    EXPECT_EQ(pb.m_dOffsetX, want.m_dOffsetX) << p;
    EXPECT_EQ(pb.m_dOffsetY, want.m_dOffsetY) << p;
  }

  EXPECT_EQ(Stored("CalibRatioX"), "1.250000");
  EXPECT_EQ(Stored("CalibRatioY"), "0.750000");
  EXPECT_EQ(Stored("CalibOffsetX"), "50.700001");
  EXPECT_EQ(Stored("CalibOffsetY"), "-20.299999");
}

TEST_P(CalibrationSystemTest, AFirmwareThatNeverConfirmsDoesNotFailTheApply) {
  const SystemCase& c = GetParam();
  ASSERT_EQ(m_ctl("calibration corrupt 5"), "ok");
  m_store->Current() = kApplied;
  EXPECT_TRUE(m_store->ApplyCalibration(true));
  EXPECT_EQ(m_ctl("count 16"), c.m_bFirmware ? "3" : "0");
  DriverSettings s;
  ASSERT_TRUE(m_sim.ReadSettings(&s));
  EXPECT_EQ(s.m_iRatioX, 1250);
  EXPECT_EQ(Stored("CalibRatioX"), "1.250000");
}

TEST_P(CalibrationSystemTest, WithTheServiceDownItFailsAndNothingIsAppliedOrSaved) {
  DriverSettings before;
  ASSERT_TRUE(m_sim.ReadSettings(&before));
  m_sim.StopService();
  m_store->Current() = kApplied;
  EXPECT_FALSE(m_store->ApplyCalibration(true));
  EXPECT_EQ(m_store->ApplyScreenSizePreset(PRESET_WIDE), -1);

  DriverSettings after;
  ASSERT_TRUE(m_sim.ReadSettings(&after));
  EXPECT_EQ(after.m_iRatioX, before.m_iRatioX);
  EXPECT_EQ(after.m_iOffsetX, before.m_iOffsetX);
  EXPECT_EQ(after.m_uScreenWidth, before.m_uScreenWidth);
  EXPECT_EQ(m_ctl("calibration"), "1 2 3 4");
  EXPECT_EQ(m_ctl("count 64"), "0");
  EXPECT_EQ(m_app->SharedDriverTable().Calibration().m_uValid, 0u);
  EXPECT_EQ(m_app->SharedDriverTable().PresetBlock(PRESET_WIDE).m_uValid, 0u);
  for (const char* name : {"CalibRatioX", "CalibRatioY", "CalibOffsetX", "CalibOffsetY"})
    EXPECT_EQ(Stored(name), "<absent>") << name;
}

INSTANTIATE_TEST_SUITE_P(OsTypes, CalibrationSystemTest,
                         ::testing::Values(SystemCase{"Windows7", OS_TYPE_WIN7, true},
                                           SystemCase{"Vista", OS_TYPE_VISTA, false}),
                         [](const auto& info) { return std::string(info.param.m_pszName); });

}  // namespace
}  // namespace kv
