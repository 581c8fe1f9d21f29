// The calibration store against the SQLite registry under a temporary prefix, a fake
// screen and a fake panel firmware. The driver is unreachable here; the service path runs in the sim test.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "tabrix/app/SettingsStore.h"
#include "tabrix/calibration/CalibrationStore.h"
#include "tabrix/calibration/PresetInstaller.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "tests/support/FakeClock.h"
#include "tests/tabrix/CalibrationFakes.h"
#include "platform/posix/SqliteRegistry.h"
#include "tests/support/TempPrefix.h"

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

const char* const kModelKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";
const char* const kPresetKey = "SOFTWARE\\KAVRO\\Corvane\\PresetHWD\\VT-R700A";

class CalibrationStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFixedText(m_model.m_szName, "VT-R700A");
    SetFixedText(m_model.m_szRegistry, "\\VT-R700A");
    m_model.m_uModelType = MODEL_TYPE_DRIVER;
    m_settings.SetModelSubkey("\\VT-R700A");
  }

  // One preset subkey; a value given as nullptr is left out, "" is stored empty.
  void PutPreset(const std::string& resolution, const std::string& preset, const char* rx,
                 const char* ry, const char* ox, const char* oy) {
    const std::string key = std::string(kPresetKey) + "\\" + resolution + "\\" + preset;
    const char* v[4] = {rx, ry, ox, oy};
    const char* names[4] = {"CalibRatioX", "CalibRatioY", "CalibOffsetX", "CalibOffsetY"};
    m_registry.CreateKey(RegistryHive::LOCAL_MACHINE, key);
    for (int i = 0; i < 4; ++i)
      if (v[i]) m_registry.SetString(RegistryHive::LOCAL_MACHINE, key, names[i], v[i]);
  }

  std::string Stored(RegistryHive hive, const std::string& key, const std::string& name) {
    std::string text;
    if (m_registry.QueryString(hive, key, name, &text) != 0) return "<absent>";
    return text;
  }

  test::CTempPrefix m_prefix;
  CSqliteRegistry m_registry{m_prefix.Paths()};
  CNoParameters m_parameters;
  SettingsStore m_settings{m_registry, m_parameters};
  test::CFakeDisplay m_display;
  test::CFakeFirmware m_firmware;
  test::CFakeClock m_clock;
  CPipeClientTransport m_pipes{CPaths::UnderPrefix("/nonexistent/kv-calibration-test")};
  CDriverState m_state;
  DriverSharedData m_shared;
  ModelEntry m_model;
  const ModelEntry* m_pModel = &m_model;
  int32_t m_iOsType = 16;
  DriverLinkContext m_link{m_pipes, m_state, m_shared, m_pModel, m_iOsType, m_display, m_clock};
  CCalibrationStore m_store{m_registry, m_settings, m_display, m_link, &m_firmware};
};

void ExpectValues(const CalibrationValues& v, double rx, double ry, double ox, double oy) {
  EXPECT_DOUBLE_EQ(v.m_dRatioX, rx);
  EXPECT_DOUBLE_EQ(v.m_dRatioY, ry);
  EXPECT_DOUBLE_EQ(v.m_dOffsetX, ox);
  EXPECT_DOUBLE_EQ(v.m_dOffsetY, oy);
}

TEST_F(CalibrationStoreTest, NoSubkeyForTheResolutionGivesNeutralValues) {
  m_registry.SetString(RegistryHive::LOCAL_MACHINE, std::string(kModelKey) + "\\1366_768",
                       "CalibRatioX", "2.0");
  m_store.Current() = {3, 3, 3, 3};
  m_store.LoadCalibration(PRESET_WIDE, false);
  ExpectValues(m_store.Current(), 1.0, 1.0, 0.0, 0.0);
}

TEST_F(CalibrationStoreTest, UserCalibrationPrefersTheUserHiveAndEmptyMeansDefault) {
  const std::string key = std::string(kModelKey) + "\\1920_1080";
  m_registry.SetString(RegistryHive::LOCAL_MACHINE, key, "CalibRatioX", "1.5");
  m_registry.SetString(RegistryHive::CURRENT_USER, key, "CalibRatioX", "1.25");
  m_registry.SetString(RegistryHive::CURRENT_USER, key, "CalibRatioY", "0.5");
  m_registry.SetString(RegistryHive::CURRENT_USER, key, "CalibOffsetX", "-12.5");
  m_registry.SetString(RegistryHive::CURRENT_USER, key, "CalibOffsetY", "");
  m_store.LoadCalibration(PRESET_WIDE, false);
  ExpectValues(m_store.Current(), 1.25, 0.5, -12.5, 0.0);
}

TEST_F(CalibrationStoreTest, EmptyOffsetMakesThePresetInvalid) {
  PutPreset("1920_1080", "WIDE", "1.1", "1.2", "3", "");
  PutPreset("1920_1080", "NORMAL", "1.3", "1.0", "5", "6");
  PutPreset("1920_1080", "DOT_BY_DOT", "1.3", "1.0", "5", nullptr);
  m_store.LoadPresetTable();
  ASSERT_EQ(m_store.Presets().Size(), 1u);
  const PresetRecord& r = m_store.Presets().At(0);
  EXPECT_EQ(r.m_iWidth, 1920);
  EXPECT_EQ(r.m_iHeight, 1080);
  EXPECT_EQ(r.m_aBlock[0].m_uValid, 0u);
  EXPECT_EQ(r.m_aBlock[1].m_uValid, 1u);
  EXPECT_EQ(r.m_aBlock[2].m_uValid, 0u);
}

TEST_F(CalibrationStoreTest, OnlyNormalAt1366By768) {
  m_display.m_uWidth = 1366;
  m_display.m_uHeight = 768;
  PutPreset("1366_768", "WIDE", "1.1", nullptr, nullptr, nullptr);
  PutPreset("1366_768", "NORMAL", "1.333333", "1.0", "227.5", "0");
  m_store.LoadPresetTable();
  EXPECT_FALSE(m_store.HasPreset(PRESET_WIDE));
  EXPECT_TRUE(m_store.HasPreset(PRESET_NORMAL));
  EXPECT_FALSE(m_store.HasPreset(PRESET_DOT_BY_DOT));
  EXPECT_FALSE(m_store.HasPreset(PRESET_NONE));
  EXPECT_TRUE(m_store.HasAnyPreset());
  EXPECT_EQ(m_store.BestPreset(), PRESET_NORMAL);
  CalibrationValues v;
  ASSERT_TRUE(m_store.FindPresetValues(PRESET_NONE, &v));
  ExpectValues(v, 1.0, 1.0, 0.0, 0.0);
  ASSERT_TRUE(m_store.FindPresetValues(PRESET_NORMAL, &v));
  ExpectValues(v, 1.333333, 1.0, 227.5, 0.0);
  ExpectValues(m_store.LastPresetValues(), 1.333333, 1.0, 227.5, 0.0);
  // The same table means nothing to a model that keeps its calibration in the panel.
  m_model.m_uModelType = MODEL_TYPE_FIRMWARE_4;
  EXPECT_FALSE(m_store.HasAnyPreset());
  EXPECT_FALSE(m_store.HasPreset(PRESET_NORMAL));
  EXPECT_EQ(m_store.BestPreset(), PRESET_NONE);
}

TEST_F(CalibrationStoreTest, NamesAreSplitAtTheFirstUnderscoreAndScannedInOrder) {
  PutPreset("1024", "WIDE", "9", "9", "9", "9");
  PutPreset("01920_1080", "WIDE", "1.5", "1.5", "1", "1");
  PutPreset("1920_1080", "WIDE", "2.5", "2.5", "2", "2");
  PutPreset("1920_1080", "NORMAL", "3.5", "3.5", "3", "3");
  PutPreset("800_600_x", "WIDE", "1", "1", "0", "0");
  m_store.LoadPresetTable();
  ASSERT_EQ(m_store.Presets().Size(), 4u);
  // Enumeration order is by name: "01920_1080" before "1024" before "1920_1080".
  EXPECT_EQ(m_store.Presets().At(1).m_iWidth, 0);
  EXPECT_EQ(m_store.Presets().At(1).m_iHeight, 1024);
  EXPECT_EQ(m_store.Presets().At(3).m_iWidth, 800);
  EXPECT_EQ(m_store.Presets().At(3).m_iHeight, 600);
  CalibrationValues v;
  m_store.FindPresetValues(PRESET_WIDE, &v);
  ExpectValues(v, 1.5, 1.5, 1, 1);
  m_store.FindPresetValues(PRESET_NORMAL, &v);
  ExpectValues(v, 3.5, 3.5, 3, 3);
  // The user hive never holds presets.
  m_registry.SetString(RegistryHive::CURRENT_USER, std::string(kPresetKey) + "\\640_480\\WIDE",
                       "CalibRatioX", "1");
  m_store.LoadPresetTable();
  EXPECT_EQ(m_store.Presets().Size(), 4u);
}

TEST_F(CalibrationStoreTest, SavedValuesAreSinglePrecisionWithSixDecimals) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {{1.0, "1.000000"},     {1.0000001, "1.000000"}, {-2.5, "-2.500000"},
               {0.1, "0.100000"},     {1234.56789, "1234.567871"}};
  for (const Case& c : cases) {
    EXPECT_EQ(CCalibrationStore::FormatValue(c.value), c.text) << c.value;
  }
  m_store.Current() = {1.0, 1.0000001, 12.25, -3.0};
  ASSERT_TRUE(m_store.SaveCalibration());
  const std::string key = std::string(kModelKey) + "\\1920_1080";
  for (RegistryHive hive : {RegistryHive::LOCAL_MACHINE, RegistryHive::CURRENT_USER}) {
    EXPECT_EQ(Stored(hive, key, "CalibRatioX"), "1.000000");
    EXPECT_EQ(Stored(hive, key, "CalibRatioY"), "1.000000");
    EXPECT_EQ(Stored(hive, key, "CalibOffsetX"), "12.250000");
    EXPECT_EQ(Stored(hive, key, "CalibOffsetY"), "-3.000000");
  }
}

struct RotationCase {
  int32_t rotation;
  int32_t words[4];  // in sending order A, C, B, D
};

class FirmwareRotation : public ::testing::TestWithParam<RotationCase> {};

// ratio 1.25 / 0.75, offsets 50.7 / -20.3 on 1920 x 1080, worked out by hand.
TEST_P(FirmwareRotation, WordsMatchTheHandComputedTable) {
  const RotationCase& c = GetParam();
  int32_t w[4] = {};
  ASSERT_TRUE(CCalibrationStore::FirmwareWords(1.25, 0.75, 50.7, -20.3, 1920, 1080, c.rotation, w));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(w[i], c.words[i]) << "word " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Angles, FirmwareRotation,
    ::testing::Values(RotationCase{0, {1250, 853, 750, -606}},
                      RotationCase{90, {750, -606, 1250, 7338}},
                      RotationCase{180, {1250, 7338, 750, -7584}},
                      RotationCase{270, {750, -7584, 1250, 853}},
                      RotationCase{45, {1250, 853, 750, -606}}));

TEST(FirmwareWords, NeutralAt1920By1080AndNoScreenSize) {
  int32_t w[4] = {};
  ASSERT_TRUE(CCalibrationStore::FirmwareWords(1.0, 1.0, 0.0, 0.0, 1920, 1080, 0, w));
  EXPECT_EQ(w[0], 1000);
  EXPECT_EQ(w[1], 0);
  EXPECT_EQ(w[2], 1000);
  EXPECT_EQ(w[3], 0);
  EXPECT_FALSE(CCalibrationStore::FirmwareWords(1.0, 1.0, 0.0, 0.0, 0, 1080, 0, w));
  // Values no panel can hold do not overflow; NaN counts as zero.
  ASSERT_TRUE(CCalibrationStore::FirmwareWords(std::nan(""), 1e300, 1e300, -1e300, 1920, 1080, 0, w));
  EXPECT_EQ(w[0], 0);
}

TEST_F(CalibrationStoreTest, FirmwareWriteRetriesUntilTheReadBackMatches) {
  m_firmware.m_iWrongReads = 1;
  EXPECT_TRUE(m_store.WriteFirmwareCalibration(1.0, 1.0, 0.0, 0.0));
  ASSERT_EQ(m_firmware.m_sent.size(), 2u);
  EXPECT_EQ(m_firmware.m_sent[1].a, 1000);
  EXPECT_EQ(m_firmware.m_sent[1].b, 0);
  EXPECT_EQ(m_firmware.m_sent[1].c, 1000);
  EXPECT_EQ(m_firmware.m_sent[1].d, 0);

  m_firmware.m_sent.clear();
  m_firmware.m_iWrongReads = 3;
  EXPECT_FALSE(m_store.WriteFirmwareCalibration(1.0, 1.0, 0.0, 0.0));
  EXPECT_EQ(m_firmware.m_sent.size(), 3u);

  m_firmware.m_sent.clear();
  m_firmware.m_iSetFailures = 2;
  EXPECT_TRUE(m_store.WriteFirmwareCalibration(1.0, 1.0, 0.0, 0.0));
  EXPECT_EQ(m_firmware.m_sent.size(), 3u);
}

TEST_F(CalibrationStoreTest, NegativeWordsMatchTheirSixteenBitReadBack) {
  // The panel answers the word it holds as 0..65535; -606 comes back as 64930.
  m_display.m_uWidth = 1920;
  EXPECT_TRUE(m_store.WriteFirmwareCalibration(1.25, 0.75, 50.7, -20.3));
  EXPECT_EQ(m_firmware.m_sent.size(), 1u);
  EXPECT_EQ(m_firmware.m_aHeld[3], 64930);
}

TEST_F(CalibrationStoreTest, ModelTypesDecideWhereTheCalibrationGoes) {
  m_model.m_uModelType = MODEL_TYPE_FIRMWARE_4;
  EXPECT_TRUE(m_store.ApplyCalibration(true));
  EXPECT_EQ(m_store.ApplyScreenSizePreset(PRESET_WIDE), 1);
  EXPECT_TRUE(m_store.WriteFirmwareCalibration(2, 2, 2, 2));
  EXPECT_TRUE(m_firmware.m_sent.empty());
  EXPECT_EQ(Stored(RegistryHive::LOCAL_MACHINE, std::string(kModelKey) + "\\1920_1080",
                   "CalibRatioX"), "<absent>");

  // Type 3 always takes its values from the presets and saves without the driver.
  m_model.m_uModelType = MODEL_TYPE_FIRMWARE_3;
  PutPreset("1920_1080", "WIDE", "1.5", "1.25", "10", "20");
  m_store.LoadPresetTable();
  m_store.LoadCalibration(PRESET_WIDE, false);
  ExpectValues(m_store.Current(), 1.5, 1.25, 10, 20);
  m_store.SetScreenSizeMode(PRESET_NONE);
  EXPECT_TRUE(m_store.ApplyCalibration(false));
  EXPECT_EQ(m_firmware.m_sent.size(), 1u);
  EXPECT_EQ(Stored(RegistryHive::LOCAL_MACHINE, std::string(kModelKey) + "\\1920_1080",
                   "CalibRatioX"), "1.500000");

  // A driver model with the service down: false, nothing saved, no firmware write.
  m_model.m_uModelType = MODEL_TYPE_DRIVER;
  m_display.m_uWidth = 1280;
  m_display.m_uHeight = 1024;
  m_firmware.m_sent.clear();
  EXPECT_FALSE(m_store.ApplyCalibration(true));
  EXPECT_EQ(m_store.ApplyScreenSizePreset(PRESET_WIDE), -1);
  EXPECT_TRUE(m_firmware.m_sent.empty());
  EXPECT_EQ(Stored(RegistryHive::LOCAL_MACHINE, std::string(kModelKey) + "\\1280_1024",
                   "CalibRatioX"), "<absent>");
  m_store.SetCalibrationMode(true);
  EXPECT_EQ(m_state.CalibrationMode(), 0u);
}

TEST_F(CalibrationStoreTest, OsdModeAndDetailResolution) {
  EXPECT_EQ(m_store.ReadOsdMode(), 0);
  m_store.WriteOsdMode(PRESET_NONE);
  EXPECT_EQ(m_store.ReadOsdMode(), PRESET_NONE);
  uint32_t w = 0, h = 0;
  m_store.ReadDetailResolution(&w, &h);
  EXPECT_EQ(w, 1920u);
  EXPECT_EQ(h, 1080u);
  m_store.WriteDetailResolution(1280, 720);
  m_store.ReadDetailResolution(&w, &h);
  EXPECT_EQ(w, 1280u);
  EXPECT_EQ(h, 720u);
}

// Panel rectangle in sensor units: left 0, top 0, right 65534, bottom 65536.
class EstimateTest : public CalibrationStoreTest {
 protected:
  void SetUp() override {
    CalibrationStoreTest::SetUp();
    m_model.m_uModelType = MODEL_TYPE_FIRMWARE_3;
    const int32_t device[4] = {16384, 0, 16383, 18432};
    for (int i = 0; i < 4; ++i) m_firmware.m_aDevice[i] = device[i];
  }
  int Estimate(int32_t l, int32_t t, int32_t r, int32_t b) {
    const int32_t screen[4] = {l, t, r, b};
    for (int i = 0; i < 4; ++i) m_firmware.m_aScreen[i] = screen[i];
    m_store.LoadPresetTable();
    m_store.SetScreenSizeMode(PRESET_NONE);
    m_store.WriteFirmwareCalibration(1, 1, 0, 0);  // reads the positions, then estimates
    return m_store.EstimatedPreset();
  }
};

TEST_F(EstimateTest, EachPresetWinsWhereItFitsTheScreenPosition) {
  PutPreset("1920_1080", "WIDE", "1", "1", "0", "0");
  PutPreset("1920_1080", "NORMAL", "2", "1", "0", "0");
  PutPreset("1920_1080", "DOT_BY_DOT", "1", "2", "0", "0");
  EXPECT_EQ(Estimate(0, 0, 65534, 65536), 0);
  EXPECT_EQ(Estimate(0, 0, 131068, 65536), 1);
  ExpectValues(m_store.BaseCalibration(), 2, 1, 0, 0);
  EXPECT_EQ(Estimate(0, 0, 65534, 131072), 2);
}

TEST_F(EstimateTest, TiesGoToTheLowerIndexAndInvalidBlocksAreNeverChosen) {
  PutPreset("1920_1080", "WIDE", "1", "1", "0", nullptr);  // would fit exactly, but invalid
  PutPreset("1920_1080", "NORMAL", "3", "1", "0", "0");
  PutPreset("1920_1080", "DOT_BY_DOT", "3", "1", "0", "0");
  EXPECT_EQ(Estimate(0, 0, 65534, 65536), 1);
  ExpectValues(m_store.BaseCalibration(), 3, 1, 0, 0);
}

TEST_F(EstimateTest, OffsetsScaleToTheCurrentResolution) {
  m_settings.SetResolution(1920, 1080);
  m_display.m_uWidth = 1280;
  m_display.m_uHeight = 720;
  PutPreset("1920_1080", "WIDE", "1", "1", "300", "90");
  EXPECT_EQ(Estimate(0, 0, 65534, 65536), 0);
  ExpectValues(m_store.BaseCalibration(), 1, 1, 200, 60);
}

TEST_F(EstimateTest, WithoutARecordTheRatiosComeFromThePositions) {
  EXPECT_EQ(Estimate(0, 0, 32767, 32768), -1);
  ExpectValues(m_store.BaseCalibration(), 0.5, 0.5, 0, 0);
}

TEST_F(EstimateTest, APresetModeMakesTheFirmwareValuesRelativeToTheBase) {
  PutPreset("1920_1080", "NORMAL", "2", "1", "100", "0");
  m_store.LoadPresetTable();
  m_store.SetScreenSizeMode(PRESET_NORMAL);
  // ratio 3 / base 2 = 1.5; offset 250 - 100 x 1.5 = 100.
  ASSERT_TRUE(m_store.WriteFirmwareCalibration(3, 1, 250, 0));
  EXPECT_EQ(m_store.EstimatedPreset(), 1);
  ASSERT_FALSE(m_firmware.m_sent.empty());
  EXPECT_EQ(m_firmware.m_sent.back().a, 1500);
  EXPECT_EQ(m_firmware.m_sent.back().b, 100 * 32767 / 1920);
}

TEST_F(CalibrationStoreTest, ShippedTableInstallsAndLoads) {
  std::ifstream file(KV_PRESETS_FILE);
  ASSERT_TRUE(file);
  std::ostringstream text;
  text << file.rdbuf();
  PresetInstallResult r = InstallPresetTable(m_registry, text.str());
  EXPECT_EQ(r.m_uRejected, 0u);
  EXPECT_EQ(r.m_uError, 0u);
  EXPECT_GE(r.m_uInstalled, 10u);
  m_store.LoadPresetTable();
  EXPECT_TRUE(m_store.HasPreset(PRESET_WIDE));
  m_display.m_uWidth = 3840;
  m_display.m_uHeight = 2160;
  EXPECT_EQ(m_store.BestPreset(), PRESET_WIDE);
}

TEST_F(CalibrationStoreTest, InstallerRefusesMalformedLines) {
  const char* text =
      "VT-R700A 1920_1080 WIDE 1 1 0 0\n"
      "VT-R700A 1920_1080 TALL 1 1 0 0\n"
      "VT-R700A 1920x1080 WIDE 1 1 0 0\n"
      "VT-R700A 1920_1080 WIDE 1 1 0\n"
      "VT-R700A 1920_1080 WIDE 1 1 0 0 9\n"
      "VT-R700A 1920_1080 WIDE 1 nan 0 0\n"
      "VT-R700A 1920_1080 WIDE 1 1e999 0 0\n"
      "A\\B 1920_1080 WIDE 1 1 0 0\n"
      "  # comment only\n\n";
  PresetInstallResult r = InstallPresetTable(m_registry, text);
  EXPECT_EQ(r.m_uInstalled, 1u);
  EXPECT_EQ(r.m_uRejected, 7u);
}

}  // namespace
}  // namespace kv
