// Applying a calibration end to end: the real service and the driver stand-in as child
// processes, the registry on SQLite under the temporary prefix with the shipped presets
// installed. What the driver holds is read back over the stand-in's control channel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/DriverSettings.h"
#include "platform/Clock.h"
#include "platform/posix/SqliteRegistry.h"
#include "tabrix/app/RivelleApp.h"
#include "tabrix/app/SettingsStore.h"
#include "tabrix/calibration/CalibrationStore.h"
#include "tabrix/calibration/PresetInstaller.h"
#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/CalibrationFakes.h"
#include "tests/tabrix/SimSystem.h"

namespace kv {
namespace {

class CNoParameters final : public SystemParameters {
 public:
  uint32_t Get(SystemParameter, uint32_t* v) override {
    *v = 0;
    return 0;
  }
  uint32_t Set(SystemParameter, uint32_t, uint32_t) override { return 0; }
};

const char* const kUserKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A\\1366_768";

class CalibrationSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_display.m_uWidth = 1366;
    m_display.m_uHeight = 768;
    std::ifstream file(KV_PRESETS_FILE);
    ASSERT_TRUE(file);
    std::ostringstream text;
    text << file.rdbuf();
    ASSERT_EQ(InstallPresetTable(m_registry, text.str()).m_uRejected, 0u);
    m_settings.SetModelSubkey("\\VT-R700A");
    ASSERT_TRUE(m_sim.StartDriver());
    ASSERT_TRUE(m_sim.StartService());
    m_app.OpenSharedTables(true);
    ASSERT_TRUE(m_app.SharedDriverTable().IsMapped());
    ASSERT_TRUE(DriverLink::QuickConnect(m_app.LinkContext()));
    m_store.LoadPresetTable();
  }

  std::string Stored(const std::string& name) {
    std::string text;
    if (m_registry.QueryString(RegistryHive::LOCAL_MACHINE, kUserKey, name, &text) != 0)
      return "<absent>";
    return text;
  }

  test::CTempPrefix m_prefix;
  test::CSimSystem m_sim{m_prefix};
  CSystemClock m_clock;
  CPipeClientTransport m_pipes{m_prefix.Paths()};
  test::CFakeDisplay m_display;
  test::CFakeFirmware m_firmware;
  CRivelleApp m_app{m_prefix.Paths(), m_clock, m_pipes, m_display, 16};
  CSqliteRegistry m_registry{m_prefix.Paths()};
  CNoParameters m_parameters;
  SettingsStore m_settings{m_registry, m_parameters};
  CCalibrationStore m_store{m_registry, m_settings, m_display, m_app.LinkContext(), &m_firmware};
};

TEST_F(CalibrationSimTest, DriverSharedTableAndRegistryAgreeAfterAnApplyWithSave) {
  ASSERT_NE(m_app.CurrentModel(), nullptr);
  ASSERT_EQ(m_app.CurrentModel()->m_uModelType, MODEL_TYPE_DRIVER);
  const CalibrationValues applied{1.25, 0.75, 50.7, -20.3};
  m_store.Current() = applied;
  ASSERT_TRUE(m_store.ApplyCalibration(true));

  DriverSettings s;
  ASSERT_TRUE(m_sim.ReadSettings(&s));
  EXPECT_EQ(s.m_uCalibrationSwitch, 1);
  EXPECT_EQ(s.m_uScreenWidth, 1366);
  EXPECT_EQ(s.m_uScreenHeight, 768);
  EXPECT_EQ(s.m_iRatioX, 1250);
  EXPECT_EQ(s.m_iRatioY, 750);
  EXPECT_EQ(s.m_iOffsetX, 50);
  EXPECT_EQ(s.m_iOffsetY, -20);

  DriverSharedData& shared = m_app.SharedDriverTable();
  CalibrationBlock c = shared.Calibration();
  EXPECT_EQ(c.m_uValid, 1u);
  EXPECT_EQ(c.m_dRatioX, applied.m_dRatioX);
  EXPECT_EQ(c.m_dRatioY, applied.m_dRatioY);
  EXPECT_EQ(c.m_dOffsetX, applied.m_dOffsetX);
  EXPECT_EQ(c.m_dOffsetY, applied.m_dOffsetY);
  // The shipped table has all three presets for 1366 x 768.
  for (int p = 0; p < PRESET_COUNT; ++p) {
    CalibrationValues want;
    m_store.FindPresetValues(p, &want);
    CalibrationBlock b = shared.PresetBlock(p);
    EXPECT_EQ(b.m_uValid, 1u) << p;
    EXPECT_EQ(b.m_dRatioX, want.m_dRatioX) << p;
    EXPECT_EQ(b.m_dOffsetX, want.m_dOffsetX) << p;
    EXPECT_EQ(b.m_dOffsetY, want.m_dOffsetY) << p;
  }
  EXPECT_NE(shared.PresetBlock(2).m_dRatioX, 1.0);

  EXPECT_EQ(Stored("CalibRatioX"), "1.250000");
  EXPECT_EQ(Stored("CalibRatioY"), "0.750000");
  EXPECT_EQ(Stored("CalibOffsetX"), "50.700001");
  EXPECT_EQ(Stored("CalibOffsetY"), "-20.299999");
  // From Windows 7 on the panel firmware gets the same calibration.
  ASSERT_EQ(m_firmware.m_sent.size(), 1u);
  EXPECT_EQ(m_firmware.m_sent[0].a, 1250);

  // A fresh load gives back what was applied, to single precision.
  m_store.Current() = {};
  m_store.LoadCalibration(PRESET_NONE, false);
  EXPECT_FLOAT_EQ(static_cast<float>(m_store.Current().m_dOffsetX), 50.7f);
  EXPECT_FLOAT_EQ(static_cast<float>(m_store.Current().m_dOffsetY), -20.3f);
}

TEST_F(CalibrationSimTest, PresetPublishingClearsBlocksOfOtherResolutions) {
  m_store.Current() = {};
  ASSERT_TRUE(m_store.ApplyCalibration(false));
  m_display.m_uWidth = 1920;
  m_display.m_uHeight = 1080;
  ASSERT_EQ(m_store.ApplyScreenSizePreset(PRESET_NORMAL), 0);
  DriverSharedData& shared = m_app.SharedDriverTable();
  EXPECT_EQ(shared.PresetBlock(0).m_uValid, 1u);
  EXPECT_EQ(shared.PresetBlock(1).m_uValid, 1u);
  EXPECT_EQ(shared.PresetBlock(2).m_uValid, 0u);  // none shipped for 1920 x 1080
  DriverSettings s;
  ASSERT_TRUE(m_sim.ReadSettings(&s));
  EXPECT_EQ(s.m_iRatioX, 1333);
  EXPECT_EQ(s.m_iOffsetX, 320);
  EXPECT_EQ(s.m_uScreenWidth, 1920);
}

TEST_F(CalibrationSimTest, CalibrationModeIsRecordedWhenTheDriverTookIt) {
  m_store.SetCalibrationMode(true);
  EXPECT_EQ(m_app.DriverState().CalibrationMode(), 1u);
  DriverSettings s;
  ASSERT_TRUE(m_sim.ReadSettings(&s));
  EXPECT_EQ(s.m_uCalibrationSwitch, 0);
  m_store.SetCalibrationMode(false);
  EXPECT_EQ(m_app.DriverState().CalibrationMode(), 0u);
}

TEST_F(CalibrationSimTest, WithTheServiceDownNothingIsApplied) {
  m_sim.StopService();
  m_store.Current() = {1.5, 1.5, 7, 7};
  EXPECT_FALSE(m_store.ApplyCalibration(true));
  EXPECT_EQ(m_store.ApplyScreenSizePreset(PRESET_WIDE), -1);
  EXPECT_EQ(Stored("CalibRatioX"), "<absent>");
  EXPECT_EQ(m_app.SharedDriverTable().Calibration().m_uValid, 0u);
  EXPECT_TRUE(m_firmware.m_sent.empty());
}

}  // namespace
}  // namespace kv
