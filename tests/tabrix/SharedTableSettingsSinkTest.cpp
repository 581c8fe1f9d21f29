// The settings store mirroring CalibDisp and SingleClickType into the real shared driver
// table: what another process sees through its own mapping of the table.
#include <gtest/gtest.h>

#include "common/SystemError.h"
#include "tabrix/app/SettingsStore.h"
#include "tabrix/app/SharedTableSettingsSink.h"
#include "tabrix/driverlink/DriverSharedData.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/FakeRegistry.h"

namespace kv {
namespace {

const char* const kModelKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";

class CNoParameters final : public SystemParameters {
 public:
  uint32_t Get(SystemParameter, uint32_t* v) override {
    *v = 0;
    return 0;
  }
  uint32_t Set(SystemParameter, uint32_t, uint32_t) override { return 0; }
};

class SharedTableSettingsSinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_table.Create(m_prefix.Paths()), ERROR_CODE_SUCCESS);
    // Another process reading the table maps it by name on its own.
    ASSERT_EQ(m_reader.Open(m_prefix.Paths()), ERROR_CODE_SUCCESS);
    ASSERT_FALSE(m_reader.IsCreator());
    m_settings.SetModelSubkey("\\VT-R700A");
  }

  test::CTempPrefix m_prefix;
  DriverSharedData m_table;
  DriverSharedData m_reader;
  test::CFakeRegistry m_registry;
  CNoParameters m_parameters;
  CSharedTableSettingsSink m_sink{m_table};
  SettingsStore m_settings{m_registry, m_parameters, &m_sink};
};

TEST_F(SharedTableSettingsSinkTest, SettersReachTheOtherMappingAndTheRegistry) {
  m_settings.SetCalibDisp(0);
  m_settings.SetSingleClickType(1);
  EXPECT_EQ(m_reader.CalibDisp(), 0u);
  EXPECT_EQ(m_reader.SingleClickType(), 1u);
  m_settings.SetCalibDisp(1);
  m_settings.SetSingleClickType(0);
  EXPECT_EQ(m_reader.CalibDisp(), 1u);
  EXPECT_EQ(m_reader.SingleClickType(), 0u);
  // Neither value lands in a neighbouring field.
  EXPECT_EQ(m_reader.PenButtonMode(), 0u);
  EXPECT_EQ(m_reader.ProductVersion(), "");
  RegistryValue v;
  ASSERT_TRUE(m_registry.Peek(RegistryHive::LOCAL_MACHINE, kModelKey, "CalibDisp", &v));
  EXPECT_EQ(v.m_uDword, 1u);
}

TEST_F(SharedTableSettingsSinkTest, GettersCopyTheStoredValueOrTheDefaultIntoTheTable) {
  // Stale values in the table, as a previous run could have left them.
  m_table.SetCalibDisp(7);
  m_table.SetSingleClickType(7);
  // Nothing stored: the defaults, CalibDisp 1 and SingleClickType 0.
  EXPECT_EQ(m_settings.GetCalibDisp(), 1u);
  EXPECT_EQ(m_settings.GetSingleClickType(), 0u);
  EXPECT_EQ(m_reader.CalibDisp(), 1u);
  EXPECT_EQ(m_reader.SingleClickType(), 0u);

  m_settings.WriteDword(kModelKey, "CalibDisp", 0);
  m_settings.WriteDword(kModelKey, "SingleClickType", 1);
  m_table.SetCalibDisp(7);
  m_table.SetSingleClickType(7);
  EXPECT_EQ(m_settings.GetCalibDisp(), 0u);
  EXPECT_EQ(m_settings.GetSingleClickType(), 1u);
  EXPECT_EQ(m_reader.CalibDisp(), 0u);
  EXPECT_EQ(m_reader.SingleClickType(), 1u);
}

TEST_F(SharedTableSettingsSinkTest, AnUnmappedTableDropsTheValuesButTheSettingIsKept) {
  m_reader.Close();
  m_table.Close();
  m_settings.SetCalibDisp(0);
  EXPECT_EQ(m_settings.GetCalibDisp(), 0u);
  // Mapped again, the next getter publishes what the registry holds.
  ASSERT_EQ(m_table.Create(m_prefix.Paths()), ERROR_CODE_SUCCESS);
  ASSERT_EQ(m_reader.Open(m_prefix.Paths()), ERROR_CODE_SUCCESS);
  EXPECT_EQ(m_reader.CalibDisp(), 0u);  // a fresh table is zero-filled
  m_table.SetCalibDisp(5);
  EXPECT_EQ(m_settings.GetCalibDisp(), 0u);
  EXPECT_EQ(m_reader.CalibDisp(), 0u);
}

}  // namespace
}  // namespace kv
