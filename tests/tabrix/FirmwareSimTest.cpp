// The firmware link against panel-sim as a real child process on the simulated HID bus:
// what the panel received (read back over its control channel) and what the caller got.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/SimHidBus.h"
#include "tabrix/driverlink/ModelTable.h"
#include "tabrix/firmware/TPdrvServiceMode.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/PanelSimHarness.h"

namespace kv {
namespace {

using namespace std::chrono_literals;

using CControl = kv::test::CControlChannel;

class FirmwareSimTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_bus{m_paths};
  CModelTable m_models;
  test::CChildProcess m_sim;
  CControl m_ctl;
  CTPdrvServiceMode m_link{m_bus, m_models, nullptr, nullptr, nullptr, test::ShortFirmwareWaits()};

  void SetUp() override {
    ASSERT_TRUE(m_sim.Start("panel-sim", {"--model", "VT-R700A"}));
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!m_ctl.Connect(m_paths.HidDir() + "/panel.ctl")) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline);
      std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(m_ctl("ping"), "ok");
    ASSERT_TRUE(m_link.StartWorker());
  }
  void TearDown() override { m_link.StopWorker(); }

  // A write-only command returns once its report is sent; the panel may take it in a
  // moment later, so ask until the panel's answer is the awaited one (or stays another).
  std::string AskUntil(const std::string& line, const std::string& want) {
    std::string reply;
    for (int i = 0; i < 300; ++i) {
      reply = m_ctl(line);
      if (reply == want) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return reply;
  }
};

TEST_F(FirmwareSimTest, CheckSumOpensThePortAndReturnsTheThreeValues) {
  ASSERT_EQ(m_ctl("checksum 0xBEEF 0"), "ok");
  ASSERT_EQ(m_ctl("version 0x010203"), "ok");
  uint32_t sum = 0, flag = 9, version = 0;
  ASSERT_TRUE(m_link.GetCheckSum(&sum, &flag, &version));
  EXPECT_EQ(sum, 0xBEEFu);
  EXPECT_EQ(flag, 1u);
  EXPECT_EQ(version, 0x010203u);
  EXPECT_EQ(m_link.ModelName(), "VT-R700A");
  EXPECT_EQ(m_ctl("count 7"), "1");
  ASSERT_EQ(m_ctl("checksum 1 1"), "ok");
  ASSERT_TRUE(m_link.GetCheckSum(&sum, &flag, &version));
  EXPECT_EQ(sum, 1u);
  EXPECT_EQ(flag, 0u);
}

TEST_F(FirmwareSimTest, DipByteIsInvertedWithNibblesSwapped) {
  for (auto [dip, want] : {std::pair{"0x3C", 0x3C}, std::pair{"0x01", 0xEF}}) {
    ASSERT_EQ(m_ctl(std::string("dip ") + dip), "ok");
    uint8_t value = 0;
    ASSERT_TRUE(m_link.GetDipSWStatus(&value)) << dip;
    EXPECT_EQ(value, want) << dip;
  }
}

TEST_F(FirmwareSimTest, CalibrationWordsGoOutByteByByteAndComeBack) {
  ASSERT_TRUE(m_link.SetCalibrationData(0x1234, 0, 0, 0));
  EXPECT_EQ(AskUntil("count 71", "1"), "1");
  EXPECT_EQ(m_ctl("last 64"), "52");  // 0x34
  EXPECT_EQ(m_ctl("last 65"), "18");  // 0x12
  for (int op = 64; op <= 71; ++op) EXPECT_EQ(m_ctl("count " + std::to_string(op)), "1") << op;
  EXPECT_EQ(m_ctl("calibration"), "4660 0 0 0");
  int32_t w[4] = {-1, -1, -1, -1};
  ASSERT_TRUE(m_link.GetCalibrationData(&w[0], &w[1], &w[2], &w[3]));
  EXPECT_EQ(w[0], 0x1234);
  EXPECT_EQ(w[1], 0);
}

TEST_F(FirmwareSimTest, WriteOnlyCommandsSendTheirParameter) {
  ASSERT_TRUE(m_link.SetInputMode(0x12));
  EXPECT_EQ(AskUntil("last 3", "18"), "18");
  ASSERT_TRUE(m_link.SetRegionDetection(1));
  EXPECT_EQ(AskUntil("last 4", "1"), "1");
}

TEST_F(FirmwareSimTest, CheckDataOfTheDefaultBoardsIsComplete) {
  // The board layout comes from the model matched when the port opened.
  ASSERT_TRUE(m_link.GetCheckSum(nullptr, nullptr, nullptr));
  std::vector<CTPdrvServiceMode::Record> list;
  EXPECT_TRUE(m_link.GetCheckData(&list)) << m_ctl("records count");
  EXPECT_EQ(list.size(), 557u);
  for (const auto& r : list) EXPECT_FALSE(r[2] == 255 && r[3] == 255);
}

TEST_F(FirmwareSimTest, MutePanelFailsWithinTheWaitsAndUnplugReplugRecovers) {
  ASSERT_TRUE(m_link.GetCheckSum(nullptr, nullptr, nullptr));
  ASSERT_EQ(m_ctl("mute on"), "ok");
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(m_link.GetCheckSum(nullptr, nullptr, nullptr));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 6s);
  ASSERT_EQ(m_ctl("mute off"), "ok");
  ASSERT_EQ(m_ctl("unplug"), "ok");
  EXPECT_FALSE(m_link.GetCheckSum(nullptr, nullptr, nullptr));
  ASSERT_EQ(m_ctl("plug"), "ok");
  bool ok = false;
  for (int i = 0; i < 5 && !ok; ++i) ok = m_link.GetCheckSum(nullptr, nullptr, nullptr);
  EXPECT_TRUE(ok);
}

TEST_F(FirmwareSimTest, TwoCallersAreSerialisedAndBothComplete) {
  bool a = false, b = false;
  std::thread t1([&] { for (int i = 0; i < 5; ++i) a = m_link.GetCheckSum(nullptr, nullptr, nullptr); });
  std::thread t2([&] { for (int i = 0; i < 5; ++i) b = m_link.SetInputMode(2); });
  t1.join();
  t2.join();
  EXPECT_TRUE(a);
  EXPECT_TRUE(b);
  EXPECT_EQ(m_ctl("count 7"), "5");
  EXPECT_EQ(AskUntil("count 3", "5"), "5");
}

TEST(FirmwareReportTest, ShortForeignAndFloodedReportsStayInBounds) {
  test::CTempPrefix prefix;
  CSimHidBus bus{prefix.Paths()};
  CModelTable models;
  CTPdrvServiceMode link{bus, models, nullptr, nullptr, nullptr, test::ShortFirmwareWaits()};
  uint8_t r[10] = {1, 16, 0xFE, 0xFF, 5, 0, 0xFE, 0xFF, 0xFE, 0xFF};
  EXPECT_FALSE(link.InterpretReport(r, 9));
  EXPECT_TRUE(link.InterpretReport(r, 10));
  auto pos = link.DevicePositionWords();
  EXPECT_EQ(pos[0], 1);
  EXPECT_EQ(pos[1], 5);
  EXPECT_EQ(pos[2], 1);
  EXPECT_EQ(pos[3], 0xFFFE);
  r[0] = 2;
  EXPECT_FALSE(link.InterpretReport(r, 10));
  uint8_t unknown[10] = {1, 99};
  EXPECT_TRUE(link.InterpretReport(unknown, 10));
  // Check data without a check-data request in progress is not stored.
  uint8_t rec[10] = {1, 2, 1, 1};
  for (int i = 0; i < 2000; ++i) EXPECT_FALSE(link.InterpretReport(rec, 10));
}

TEST(FirmwareReportTest, ModelTypeRulesSkipThePortEntirely) {
  test::CTempPrefix prefix;
  CSimHidBus bus{prefix.Paths()};
  CModelTable models;
  CTPdrvServiceMode link{bus, models, nullptr, nullptr, nullptr, test::ShortFirmwareWaits()};
  // The worker is not started: any command that touches the port fails.
  link.SetModelTypeForTest(MODEL_TYPE_FIRMWARE_4);
  uint8_t dip = 0;
  EXPECT_TRUE(link.GetDipSWStatus(&dip));
  EXPECT_TRUE(link.SetInputMode(1));
  EXPECT_TRUE(link.SetCalibrationData(1, 2, 3, 4));
  EXPECT_TRUE(link.SetTouchPanel(0));
  EXPECT_FALSE(link.GetCheckSum(nullptr, nullptr, nullptr));
  link.SetModelTypeForTest(MODEL_TYPE_FIRMWARE_3);
  EXPECT_TRUE(link.GetDipSWStatus(&dip));
  EXPECT_TRUE(link.SetChangeAreaMode(1));
  EXPECT_FALSE(link.SetTouchPanel(0));
  EXPECT_FALSE(link.SetInputMode(1));
  link.SetModelTypeForTest(MODEL_TYPE_DRIVER);
  EXPECT_TRUE(link.SetTouchPanel(0));
  EXPECT_FALSE(link.GetDipSWStatus(&dip));
}

}  // namespace
}  // namespace kv
