// sensor-sim as a real child process on the simulated HID bus: its identities, the
// feature-report command protocol, the upload brackets, and what the control channel
// changes and reports.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "platform/posix/SimHidBus.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Answer = std::array<uint8_t, 8>;

using CControl = kv::test::CControlChannel;

class SensorSimTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_bus{m_paths};
  test::CChildProcess m_sim;
  CControl m_ctl;
  std::unique_ptr<HidDevice> m_dev;

  void Start(const std::vector<std::string>& args = {}) {
    ASSERT_TRUE(m_sim.Start("sensor-sim", args));
    auto deadline = Clock::now() + 5s;
    while (!m_ctl.Connect(m_paths.HidDir() + "/sensor.ctl")) {
      ASSERT_LT(Clock::now(), deadline) << "sensor-sim did not come up";
      std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(m_ctl("ping"), "ok");
    std::string path;
    ASSERT_EQ(m_bus.EnumerateInterface(0, &path), ERROR_CODE_SUCCESS);
    ASSERT_EQ(m_bus.Open(path, true, &m_dev), ERROR_CODE_SUCCESS);
  }
  void Write(std::initializer_list<uint8_t> bytes) {
    std::vector<uint8_t> r(9, 0);
    std::copy(bytes.begin(), bytes.end(), r.begin() + 1);
    ASSERT_EQ(m_dev->SetFeature(r), ERROR_CODE_SUCCESS);
  }
  Answer Read(uint8_t code, uint8_t address, uint8_t col = 0, uint8_t row = 0) {
    Answer a{};
    std::vector<uint8_t> r{0, 0x01, code, address, col, row, 0, 0, 0};
    if (m_dev->SetFeature(r) != ERROR_CODE_SUCCESS) return a;
    std::vector<uint8_t> in(9, 0);
    if (m_dev->GetFeature(in) != ERROR_CODE_SUCCESS) return a;
    std::copy(in.begin() + 1, in.end(), a.begin());
    return a;
  }
};

TEST_F(SensorSimTest, AnnouncesEachModelsIdentity) {
  struct Case {
    const char* model;
    uint16_t vid, pid;
  } cases[] = {{"MQB-V2", 0x3E22, 0x6B01}, {"MQBP", 0x3E22, 0x6B02}, {"PML-CC", 0x3E22, 0x6B03},
               {"MQA", 0x3E22, 0x6B04},    {"MQAR410", 0x3E23, 0x6B05}, {"MQA-KV", 0x3E22, 0x6B06}};
  for (const auto& c : cases) {
    ASSERT_NO_FATAL_FAILURE(Start({"--model", c.model}));
    HidAttributes a;
    HidCaps caps;
    ASSERT_EQ(m_dev->GetAttributes(&a), ERROR_CODE_SUCCESS);
    ASSERT_EQ(m_dev->GetCaps(&caps), ERROR_CODE_SUCCESS);
    EXPECT_EQ(a.m_uVendorId, c.vid) << c.model;
    EXPECT_EQ(a.m_uProductId, c.pid) << c.model;
    EXPECT_EQ(caps.m_uUsagePage, 0xFF00);
    EXPECT_EQ(caps.m_uUsage, 1);
    m_dev.reset();
    m_sim.Stop(SIGTERM);
  }
}

TEST_F(SensorSimTest, ReadsEchoTheCodeAndOverridesAreAnsweredRaw) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Answer gain = Read('E', 1);
  EXPECT_EQ(gain[0], 'E');
  EXPECT_EQ(gain[1], 1);
  EXPECT_EQ(ReadU16(&gain[2]), 16);
  ASSERT_EQ(m_ctl("value16 69 1 999"), "ok");  // 'E' camera 0, out of every model's range
  EXPECT_EQ(ReadU16(&Read('E', 1)[2]), 999);
  EXPECT_EQ(ReadU16(&Read('E', 2)[2]), 16) << "the other camera keeps its own value";
  // A get without a read request before it carries no echo.
  std::vector<uint8_t> in(9, 0xEE);
  in[0] = 0;  // report id
  ASSERT_EQ(m_dev->GetFeature(in), ERROR_CODE_SUCCESS);
  EXPECT_EQ(in[1], 0);
  EXPECT_EQ(Read('e', 0)[2], 1);
  ASSERT_EQ(m_ctl("ready 0"), "ok");
  EXPECT_EQ(Read('e', 0)[2], 0);
}

TEST_F(SensorSimTest, UploadInsideBracketsIsReportedWholeAndReadBack) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(m_ctl("table basic"), "error none");
  Write({0x07, 0, 1});
  Write({0x07, 0, 1});
  Write({'`', 0, 1, 1});
  Write({'b', 0, 0x10, 0x00, 0x20, 0x00});
  Write({'c', 0, 0x30, 0x00, 0x40, 0x00});
  uint8_t v = 1;
  for (uint8_t row = 0; row <= 1; ++row)
    for (uint8_t col = 0; col <= 1; ++col) Write({'a', 0, col, row, v++, 0, 0, 0});
  EXPECT_EQ(m_ctl("table basic"), "error none") << "nothing counts before the end bracket";
  Write({0x07, 0, 0});
  Write({0x07, 0, 0});
  EXPECT_EQ(m_ctl("table basic"), "1 1 16 32 48 64 4 1 2 3 4");
  Answer cell = Read('a', 0, 1, 1);
  EXPECT_EQ(cell[0], 'a');
  EXPECT_EQ(ReadU32(&cell[2]), 4u);
  EXPECT_EQ(m_ctl("flashed"), "0");
  Write({0x03, 0, 1});
  EXPECT_EQ(m_ctl("flashed"), "1");
  EXPECT_EQ(ReadU16(&Read('d', 0)[4]), 0);
}

TEST_F(SensorSimTest, TouchReportsOnlyInTouchMode) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(m_ctl("touch 100 200 3 4"), "error not in touch mode");
  Write({0x02, 0, 5});
  EXPECT_EQ(m_ctl("mode"), "5");
  ASSERT_EQ(m_ctl("touch 100 200 3 4"), "ok");
  std::vector<uint8_t> in(65);
  size_t n = 0;
  ASSERT_EQ(m_dev->ReadInputReport(in, 2000, &n), ERROR_CODE_SUCCESS);
  EXPECT_EQ(n, 65u);
  EXPECT_EQ(in[1], 0x01);
  EXPECT_EQ(in[3], 0x40);
  EXPECT_EQ(ReadU16(&in[5]), 100);
  EXPECT_EQ(ReadU16(&in[7]), 200);
  EXPECT_EQ(ReadU16(&in[9]), 3);
  EXPECT_EQ(ReadU16(&in[11]), 4);
  Write({0x00});
  EXPECT_EQ(m_ctl("keepalive"), "1");
}

}  // namespace
}  // namespace kv
