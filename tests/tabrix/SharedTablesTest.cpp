// The two shared tables over real shared memory under a temporary prefix.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "platform/SharedMemory.h"
#include "tabrix/app/RivelleApp.h"
#include "tabrix/driverlink/DriverSharedData.h"
#include "tabrix/driverlink/ModelSharedData.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

class CNoScreen final : public ScreenSizeSource {
 public:
  void PrimaryScreenSize(uint32_t* w, uint32_t* h) override { *w = *h = 0; }
};

void FillEveryField(DriverSharedData* t) {
  t->SetDriverOn(1);
  t->SetRotation(270);
  t->SetCalibration(1.25, 0.75, -3.5, 8.0);
  t->SetPresetBlock(2, CalibrationBlock{1, 1.1, 1.2, 1.3, 1.4});
  t->SetPresetBlock(1, CalibrationBlock{1, 2.1, 2.2, 2.3, 2.4});
  t->SetPresetBlock(0, CalibrationBlock{1, 3.1, 3.2, 3.3, 3.4});
  t->SetPenButtonMode(257);
  t->SetCalibDisp(1);
  t->SetSingleClickType(1);
  t->SetProductVersion("1.2.3.4");
  t->SetDriverVersion("DRV 5.6");
  t->SetFirmwareVersion(0x0123);
  t->SetPortHeld(1);
  t->SetProcessId(4321);
}

// Checks the bytes at the offsets other processes rely on; returns the number of
// mismatches, so a child process can report it as its exit code.
int CheckLayout(const uint8_t* d, const uint8_t* m) {
  int bad = 0;
  auto expect = [&bad](bool ok) { bad += ok ? 0 : 1; };
  expect(ReadU32(d + 0) == 1);
  expect(ReadU32(d + 8) == 270);
  expect(ReadU32(d + 16) == 1);
  expect(ReadF64(d + 24) == 1.25 && ReadF64(d + 32) == 0.75);
  expect(ReadF64(d + 40) == -3.5 && ReadF64(d + 48) == 8.0);
  expect(ReadU32(d + 56) == 1 && ReadF64(d + 64) == 1.1 && ReadF64(d + 88) == 1.4);  // preset 2
  expect(ReadU32(d + 96) == 1 && ReadF64(d + 104) == 2.1 && ReadF64(d + 128) == 2.4);
  expect(ReadU32(d + 136) == 1 && ReadF64(d + 144) == 3.1 && ReadF64(d + 168) == 3.4);
  expect(ReadU32(d + 176) == 257 && ReadU32(d + 180) == 1 && ReadU32(d + 184) == 1);
  expect(std::memcmp(d + 192, "1.2.3.4\0\0\0\0\0", 12) == 0);
  expect(std::memcmp(d + 204, "DRV 5.6\0\0\0\0\0", 12) == 0);
  expect(std::memcmp(d + 216, "1.23\0\0\0\0\0\0\0\0", 12) == 0);
  expect(ReadU32(d + 232) == 1);
  expect(ReadU32(d + 908) == 4321);
  expect(ReadU32(m + 0) == 1);
  expect(std::memcmp(m + 4, "VT-R700A", 9) == 0);
  return bad;
}

class SharedTablesTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
};

TEST_F(SharedTablesTest, UnmappedTablesIgnoreEverything) {
  DriverSharedData driver;
  ModelSharedData model;
  FillEveryField(&driver);
  model.SetModelName("x");
  EXPECT_FALSE(driver.IsMapped());
  EXPECT_EQ(driver.ProcessId(), 0u);
  EXPECT_EQ(driver.DriverVersion(), "");
  EXPECT_EQ(driver.Calibration().m_uValid, 0u);
  EXPECT_EQ(model.ModelName(), "");
  EXPECT_EQ(model.Present(), 0u);
  // Opening what nobody created fails quietly.
  EXPECT_EQ(driver.Open(m_paths), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(model.Open(m_paths), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_FALSE(driver.IsMapped());
  driver.SetRotation(90);
  EXPECT_EQ(driver.Rotation(), 0u);
}

TEST_F(SharedTablesTest, SecondProcessReadsTheDocumentedOffsets) {
  DriverSharedData driver;
  ModelSharedData model;
  ASSERT_EQ(driver.Create(m_paths), ERROR_CODE_SUCCESS);
  ASSERT_EQ(model.Create(m_paths), ERROR_CODE_SUCCESS);
  EXPECT_TRUE(driver.IsCreator());
  FillEveryField(&driver);
  model.SetModelName("VT-R700A");

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    DriverSharedData d;
    ModelSharedData m;
    CSharedMemory rawDriver, rawModel;
    int bad = 0;
    if (d.Open(m_paths) != 0 || m.Open(m_paths) != 0 || d.IsCreator()) _exit(100);
    if (rawDriver.Open(m_paths, DriverSharedData::NAME, 912) != 0) _exit(101);
    if (rawModel.Open(m_paths, ModelSharedData::NAME, 68) != 0) _exit(102);
    bad += CheckLayout(rawDriver.Data(), rawModel.Data());
    bad += d.ProcessId() == 4321 ? 0 : 1;
    bad += m.ModelName() == "VT-R700A" ? 0 : 1;
    bad += d.FirmwareVersion() == "1.23" ? 0 : 1;
    // What the second process writes, the first one sees.
    d.SetRotation(180);
    m.SetModelName("VT-R800A");
    _exit(bad);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(driver.Rotation(), 180u);
  EXPECT_EQ(model.ModelName(), "VT-R800A");
}

TEST_F(SharedTablesTest, AccessorsReadBackAndTextsStayInTheirFields) {
  DriverSharedData driver;
  ASSERT_EQ(driver.Create(m_paths), ERROR_CODE_SUCCESS);
  FillEveryField(&driver);
  CalibrationBlock c = driver.Calibration();
  EXPECT_EQ(c.m_uValid, 1u);
  EXPECT_EQ(c.m_dOffsetX, -3.5);
  EXPECT_EQ(driver.PresetBlock(1).m_dRatioY, 2.2);
  EXPECT_EQ(driver.PresetBlock(3).m_uValid, 0u);
  driver.SetPresetBlock(-1, CalibrationBlock{1, 9, 9, 9, 9});  // ignored
  driver.SetProductVersion("123456789012345");
  driver.SetDriverVersion("abcdefghijklmnop");
  EXPECT_EQ(driver.ProductVersion(), "12345678901");
  EXPECT_EQ(driver.DriverVersion(), "abcdefghijk");
  EXPECT_EQ(driver.FirmwareVersion(), "1.23");  // the next field is untouched
  driver.SetFirmwareVersion(0);
  EXPECT_EQ(driver.FirmwareVersion(), "");
  ModelSharedData model;
  ASSERT_EQ(model.Create(m_paths), ERROR_CODE_SUCCESS);
  EXPECT_EQ(model.Present(), 1u);
  model.SetModelName(std::string(80, 'n'));
  EXPECT_EQ(model.ModelName(), std::string(63, 'n'));
  model.ClearModelName();
  EXPECT_EQ(model.ModelName(), "");
}

class SharedAppTest : public SharedTablesTest {
 protected:
  test::CFakeClock m_clock;
  CPipeClientTransport m_pipes{m_paths};
  CNoScreen m_screen;
};

TEST_F(SharedAppTest, SecondInstanceKeepsTheRunningInstancesTables) {
  CRivelleApp first(m_paths, m_clock, m_pipes, m_screen, 16);
  first.OpenSharedTables(true);
  ASSERT_TRUE(first.SharedDriverTable().IsMapped());
  ASSERT_TRUE(first.ClaimInstance(777));
  first.SharedDriverTable().SetDriverVersion("running");
  first.SharedModelTable().SetModelName("VT-R700A");

  CRivelleApp second(m_paths, m_clock, m_pipes, m_screen, 16);
  EXPECT_TRUE(CRivelleApp::InstanceRunning(m_paths));
  second.OpenSharedTables(true);
  EXPECT_FALSE(second.ClaimInstance(888));
  EXPECT_EQ(second.RunningInstanceProcessId(), 777u);
  EXPECT_EQ(first.SharedDriverTable().DriverVersion(), "running");
  EXPECT_EQ(first.SharedModelTable().ModelName(), "VT-R700A");

  // A switch run only opens the driver table.
  CRivelleApp quit(m_paths, m_clock, m_pipes, m_screen, 16);
  quit.OpenSharedTables(false);
  EXPECT_FALSE(quit.SharedDriverTable().IsCreator());
  EXPECT_EQ(quit.RunningInstanceProcessId(), 777u);
}

TEST_F(SharedAppTest, TableLeftWithoutARunningInstanceIsCleared) {
  // Tables that outlived their instance (it ended without removing them).
  DriverSharedData leftover;
  ModelSharedData leftoverModel;
  ASSERT_EQ(leftover.Create(m_paths), ERROR_CODE_SUCCESS);
  ASSERT_EQ(leftoverModel.Create(m_paths), ERROR_CODE_SUCCESS);
  leftover.SetProcessId(55);
  leftover.SetDriverVersion("stale");
  leftoverModel.SetModelName("stale");

  CRivelleApp app(m_paths, m_clock, m_pipes, m_screen, 16);
  app.OpenSharedTables(true);
  ASSERT_TRUE(app.SharedDriverTable().IsMapped());
  EXPECT_EQ(app.SharedDriverTable().ProcessId(), 0u);
  EXPECT_EQ(app.SharedDriverTable().DriverVersion(), "");
  EXPECT_EQ(app.SharedModelTable().ModelName(), "");
  EXPECT_EQ(app.SharedModelTable().Present(), 1u);
  EXPECT_TRUE(app.ClaimInstance(99));
  EXPECT_EQ(leftover.ProcessId(), 99u);
}

TEST_F(SharedAppTest, StartsAtFirstBuiltInModel) {
  CRivelleApp app(m_paths, m_clock, m_pipes, m_screen, 13);
  EXPECT_EQ(app.CurrentModel(), &app.Models().BuiltIn(0));
  EXPECT_TRUE(app.LoadModels("/nonexistent/model.ini"));
  EXPECT_EQ(app.Models().RowCount(), 2u);
  DriverLinkContext context = app.LinkContext();
  EXPECT_EQ(context.m_pCurrentModel, app.CurrentModel());
  app.SetCurrentModel(&app.Models().BuiltIn(1));
  EXPECT_EQ(context.m_pCurrentModel, &app.Models().BuiltIn(1));  // followed, not copied
  EXPECT_EQ(context.m_iOsType, 13);
}

}  // namespace
}  // namespace kv
