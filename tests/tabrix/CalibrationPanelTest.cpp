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
#include <utility>
#include <vector>

#include "common/DriverSettings.h"
#include "platform/Clock.h"
#include "platform/posix/SimHidBus.h"
#include "platform/posix/SqliteRegistry.h"
#include "tabrix/app/RivelleApp.h"
#include "tabrix/app/SettingsStore.h"
#include "tabrix/calibration/CalibrationStore.h"
#include "tabrix/driverlink/OsType.h"
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
  explicit CalibrationPanelTest(int32_t osType = OS_TYPE_WIN7,
                                std::vector<std::string> panelArgs = {"--model", "VT-R700A"})
      : m_iOsType(osType), m_panelArgs(std::move(panelArgs)) {}

  void SetUp() override {
    m_display.m_uWidth = 1366;
    m_display.m_uHeight = 768;
    ASSERT_TRUE(m_panel.Start("panel-sim", m_panelArgs));
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
  std::vector<std::string> m_panelArgs;
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

// A model whose panel firmware holds the calibration (type 3): no service runs; the store
// reads the panel's positions through the link, estimates which preset the panel uses and
// writes the calibration relative to it.
const char* const kType3Ini =
    "[MODEL]\nModel1=VT-R300F\n"
    "[VT-R300F]\nRegistry=\\VT-R300F\nVendorID=2F11\nProductID=5A03\nColNumber=col01\nType=3\n";
const char* const kType3Key = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R300F\\1920_1080";

struct Type3Case {
  const char* m_pszName;
  ScreenSizePreset m_iMode;
  const char* m_pszWords;
};
void PrintTo(const Type3Case& c, std::ostream* os) { *os << c.m_pszName; }

class CalibrationType3Test : public CalibrationPanelTest,
                             public ::testing::WithParamInterface<Type3Case> {
 protected:
  CalibrationType3Test() : CalibrationPanelTest(OS_TYPE_WIN7, {"--pid", "0x5A03"}) {}

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(CalibrationPanelTest::SetUp());
    m_display.m_uWidth = 1920;
    m_display.m_uHeight = 1080;
    const std::string ini = m_prefix.Dir() + "/model.ini";
    std::ofstream(ini) << kType3Ini;
    ASSERT_TRUE(m_app->LoadModels(ini));
    ASSERT_EQ(m_app->Models().ExtraCount(), 1u);
    const ModelEntry* row = m_app->Models().Row(CModelTable::BUILT_IN_COUNT);
    ASSERT_EQ(row->m_uModelType, MODEL_TYPE_FIRMWARE_3);
    m_app->SetCurrentModel(row);
    m_settings.SetModelSubkey("\\VT-R300F");
    PutPreset("WIDE", "1.0", "1.0", "0.0", "0.0");
    PutPreset("NORMAL", "1.25", "1.0", "240.0", "0.0");
    m_store->LoadPresetTable();
    // Identify the panel first, as start-up does: the link learns the panel's model when
    // it opens the port.
    ASSERT_TRUE(m_link->GetCheckSum(nullptr, nullptr, nullptr));
    ASSERT_EQ(m_link->ModelType(), MODEL_TYPE_FIRMWARE_3);
  }

  void PutPreset(const std::string& preset, const char* rx, const char* ry, const char* ox,
                 const char* oy) {
    const std::string key = m_store->PresetKey() + "\\1920_1080\\" + preset;
    m_registry.CreateKey(RegistryHive::LOCAL_MACHINE, key);
    m_registry.SetString(RegistryHive::LOCAL_MACHINE, key, "CalibRatioX", rx);
    m_registry.SetString(RegistryHive::LOCAL_MACHINE, key, "CalibRatioY", ry);
    m_registry.SetString(RegistryHive::LOCAL_MACHINE, key, "CalibOffsetX", ox);
    m_registry.SetString(RegistryHive::LOCAL_MACHINE, key, "CalibOffsetY", oy);
  }
};

TEST_P(CalibrationType3Test, ApplyEstimatesThePanelPresetWritesThePanelAndSaves) {
  const Type3Case& c = GetParam();
  // Panel rectangle in sensor units: left (16384 - 12288) * 2 = 8192, top 0, right
  // 12287 * 2 + 32768 = 57342 (its device word comes with the high bit set and is
  // complemented), bottom 18432 * 16 / 9 * 2 = 65536. The screen position fits NORMAL
  // (ratio 1.25, offset 240 = 8191.875 sensor units) within 2 and WIDE only within 12288.
  ASSERT_EQ(m_ctl("devpos 0x3000 0 0xD000 18432"), "ok");
  ASSERT_EQ(m_ctl("scrpos 2048 0 63486 65535"), "ok");
  m_store->SetScreenSizeMode(c.m_iMode);
  m_store->Current() = {1.875, 1.25, 400.0, -16.0};
  // Saved whatever the flag says, and no service is needed.
  EXPECT_TRUE(m_store->ApplyCalibration(false));

  EXPECT_EQ(m_store->EstimatedPreset(), PRESET_NORMAL);
  EXPECT_EQ(m_store->BaseCalibration().m_dRatioX, 1.25);
  EXPECT_EQ(m_store->BaseCalibration().m_dOffsetX, 240.0);
  EXPECT_EQ(m_ctl("count 30"), "1");
  EXPECT_EQ(m_ctl("count 31"), "1");
  EXPECT_EQ(m_ctl("calibration"), c.m_pszWords);
  EXPECT_EQ(m_ctl("count 16"), "1");
  std::string text;
  ASSERT_EQ(m_registry.QueryString(RegistryHive::LOCAL_MACHINE, kType3Key, "CalibRatioX", &text), 0u);
  EXPECT_EQ(text, "1.875000");
  ASSERT_EQ(m_registry.QueryString(RegistryHive::LOCAL_MACHINE, kType3Key, "CalibOffsetY", &text), 0u);
  EXPECT_EQ(text, "-16.000000");
}

// Relative to NORMAL: ratios 1.5 and 1.25, offsets 400 - 240 * 1.5 = 40 and -16, so words
// 1500, 40 * 32767 / 1920, 1250, -16 * 32767 / 1080. Without a preset mode the values go
// as they are: 1875, 400 * 32767 / 1920, 1250, the same last word.
INSTANTIATE_TEST_SUITE_P(
    Modes, CalibrationType3Test,
    ::testing::Values(Type3Case{"RelativeToTheEstimatedPreset", PRESET_NORMAL, "1500 682 1250 65051"},
                      Type3Case{"OwnCalibrationAsItIs", PRESET_NONE, "1875 6826 1250 65051"}),
    [](const auto& info) { return std::string(info.param.m_pszName); });

}  // namespace
}  // namespace kv
