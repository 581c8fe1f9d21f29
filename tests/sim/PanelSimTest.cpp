// panel-sim as a real child process on the simulated HID bus: the firmware commands are
// answered with the right answer types and bytes, and the control channel changes what it
// answers, when, and whether the device is there at all.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
#include <future>
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
using Report = std::array<uint8_t, 10>;

using CControl = kv::test::CControlChannel;

class PanelSimTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_bus{m_paths};
  test::CChildProcess m_sim;
  CControl m_ctl;
  std::unique_ptr<HidDevice> m_dev;

  std::string Endpoint(const std::string& name = "panel") { return m_paths.HidDir() + "/" + name; }

  void Start(const std::vector<std::string>& args = {"--model", "VT-R700A"}) {
    ASSERT_TRUE(m_sim.Start("panel-sim", args));
    // The control socket is the last thing it sets up; a stale one of a killed run may
    // still be there, so wait until it answers rather than until it exists.
    auto deadline = Clock::now() + 5s;
    while (!m_ctl.Connect(Endpoint() + ".ctl")) {
      ASSERT_LT(Clock::now(), deadline) << "panel-sim did not come up";
      std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(m_ctl("ping"), "ok");
  }
  void OpenPanel() {
    std::string path;
    ASSERT_EQ(m_bus.EnumerateInterface(0, &path), ERROR_CODE_SUCCESS);
    ASSERT_EQ(m_bus.Open(path, true, &m_dev), ERROR_CODE_SUCCESS);
  }
  void Command(uint8_t opcode, uint8_t parameter = 0) {
    ASSERT_NE(m_dev, nullptr);
    std::vector<uint8_t> out(64, 0);
    out[0] = 1;
    out[1] = opcode;
    out[2] = parameter;
    ASSERT_EQ(m_dev->WriteOutputReport(out), ERROR_CODE_SUCCESS);
  }
  // The next input report's first 10 bytes; report id 0 when none came in time.
  Report Next(int timeoutMs = 2000) {
    if (!m_dev) return Report{};
    std::vector<uint8_t> in(64);
    size_t n = 0;
    Report r{};
    if (m_dev->ReadInputReport(in, timeoutMs, &n) == ERROR_CODE_SUCCESS)
      std::copy(in.begin(), in.begin() + 10, r.begin());
    return r;
  }
  // Reports and control lines travel on different sockets: a test that checks what the
  // panel took in waits until the report got there.
  bool WaitCount(const std::string& op, const std::string& count) {
    auto deadline = Clock::now() + 2s;
    while (m_ctl("count " + op) != count) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(2ms);
    }
    return true;
  }
  Report Ask(uint8_t opcode, uint8_t parameter = 0) {
    Command(opcode, parameter);
    return Next();
  }
};

Report R(std::initializer_list<uint8_t> bytes) {
  Report r{};
  std::copy(bytes.begin(), bytes.end(), r.begin());
  return r;
}

TEST_F(PanelSimTest, AnnouncesTheBuiltInModelsDigitizerCollection) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(OpenPanel());
  std::string path;
  ASSERT_EQ(m_bus.EnumerateInterface(0, &path), ERROR_CODE_SUCCESS);
  EXPECT_NE(path.find("vid_2f11&pid_5a01&col01"), std::string::npos) << path;
  EXPECT_EQ(m_bus.EnumerateInterface(1, &path), ERROR_CODE_NO_MORE_ITEMS);
  HidAttributes a;
  HidCaps c;
  ASSERT_EQ(m_dev->GetAttributes(&a), ERROR_CODE_SUCCESS);
  ASSERT_EQ(m_dev->GetCaps(&c), ERROR_CODE_SUCCESS);
  EXPECT_EQ(a.m_uVendorId, 0x2F11);
  EXPECT_EQ(a.m_uProductId, 0x5A01);
  EXPECT_EQ(c.m_uUsagePage, 0x0D);
  EXPECT_EQ(c.m_uUsage, 0x01);
  EXPECT_EQ(c.m_uInputReportByteLength, 64);
  EXPECT_EQ(c.m_uOutputReportByteLength, 64);
  std::u16string product;
  ASSERT_EQ(m_dev->GetProductString(&product), ERROR_CODE_SUCCESS);
  EXPECT_EQ(product, u"VT-R700A Touch Panel");
}

TEST_F(PanelSimTest, OtherModelsAndIdentitiesFromTheCommandLine) {
  struct Case {
    std::vector<std::string> args;
    const char* text;
  } cases[] = {
      {{"--model", "VT-R800A"}, "vid_2f11&pid_5a02&col01#"},
      {{"--vid", "0x1234", "--pid", "0x5678", "--col", "2"}, "vid_1234&pid_5678&col02#"},
      {{"--vid", "0x1234", "--col", "0"}, "vid_1234&pid_5a01#"},
  };
  for (const auto& c : cases) {
    ASSERT_NO_FATAL_FAILURE(Start(c.args));
    std::string path;
    ASSERT_EQ(m_bus.EnumerateInterface(0, &path), ERROR_CODE_SUCCESS);
    EXPECT_NE(path.find(c.text), std::string::npos) << path;
    int status = m_sim.Stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  test::CChildProcess bad;
  ASSERT_TRUE(bad.Start("panel-sim", {"--model", "VT-R900X"}));
  int status = 0;
  ASSERT_TRUE(bad.WaitExit(5000, &status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

TEST_F(PanelSimTest, AnswersEachQueryWithItsTypeAndBytePositions) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(OpenPanel());
  // Defaults of the VT-R700A row of the model table.
  EXPECT_EQ(Ask(0), R({1, 1, 0, 0, 0, 0, 0, 0x3C, 0, 0}));
  EXPECT_EQ(Ask(7), R({1, 5, 0x5A, 0xA5, 0, 0x00, 0x02, 0x05, 0, 0}));
  EXPECT_EQ(Ask(10, 1), R({1, 7}));
  EXPECT_EQ(Ask(30), R({1, 16, 0x10, 0, 0x20, 0, 0xEF, 0x7F, 0xDF, 0x7F}));
  EXPECT_EQ(Ask(31), R({1, 17, 0, 0, 0, 0, 0x80, 0x07, 0x38, 0x04}));

  ASSERT_EQ(m_ctl("dip 0x01"), "ok");
  ASSERT_EQ(m_ctl("checksum 0x1234 1"), "ok");
  ASSERT_EQ(m_ctl("version 0x010203"), "ok");
  ASSERT_EQ(m_ctl("devpos 0xFFFE 2 3 0x8001"), "ok");
  ASSERT_EQ(m_ctl("scrpos 1920 1080 0 0"), "ok");
  EXPECT_EQ(Ask(0), R({1, 1, 0, 0, 0, 0, 0, 0x01, 0, 0}));
  EXPECT_EQ(Ask(7), R({1, 5, 0x34, 0x12, 1, 0x01, 0x02, 0x03, 0, 0}));
  EXPECT_EQ(Ask(30), R({1, 16, 0xFE, 0xFF, 2, 0, 3, 0, 0x01, 0x80}));
  EXPECT_EQ(Ask(31), R({1, 17, 0x80, 0x07, 0x38, 0x04, 0, 0, 0, 0}));
}

TEST_F(PanelSimTest, StoresCalibrationBytesAndReturnsThemAsWords) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(OpenPanel());
  const uint8_t bytes[8] = {0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0xF0, 0xDE};
  for (uint8_t i = 0; i < 8; ++i) Command(static_cast<uint8_t>(64 + i), bytes[i]);
  EXPECT_EQ(Ask(16), R({1, 11, 0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0xF0, 0xDE}));
  EXPECT_EQ(m_ctl("calibration"), "4660 22136 39612 57072");
  ASSERT_EQ(m_ctl("calibration 1 2 3 0xFFFF"), "ok");
  EXPECT_EQ(Ask(16), R({1, 11, 1, 0, 2, 0, 3, 0, 0xFF, 0xFF}));
  // A corrupted read-back changes only the answer, for as many reads as asked.
  ASSERT_EQ(m_ctl("calibration corrupt 2"), "ok");
  EXPECT_EQ(Ask(16), R({1, 11, 0, 0, 2, 0, 3, 0, 0xFF, 0xFF}));
  EXPECT_EQ(Ask(16), R({1, 11, 0, 0, 2, 0, 3, 0, 0xFF, 0xFF}));
  EXPECT_EQ(Ask(16), R({1, 11, 1, 0, 2, 0, 3, 0, 0xFF, 0xFF}));
  EXPECT_EQ(m_ctl("calibration"), "1 2 3 65535");
  ASSERT_EQ(m_ctl("calibration corrupt"), "ok");
  ASSERT_EQ(m_ctl("calibration corrupt 0"), "ok");
  EXPECT_EQ(Ask(16), R({1, 11, 1, 0, 2, 0, 3, 0, 0xFF, 0xFF}));
}

TEST_F(PanelSimTest, SettingCommandsGetNoAnswerButAreRecorded) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(OpenPanel());
  EXPECT_EQ(m_ctl("last 3"), "error none");
  const uint8_t settings[] = {3, 4, 14, 25, 26, 27, 28, 29};
  for (uint8_t op : settings) {
    Command(op, static_cast<uint8_t>(op + 100));
    EXPECT_TRUE(WaitCount(std::to_string(op), "1")) << int(op);
    EXPECT_EQ(m_ctl("last " + std::to_string(op)), std::to_string(op + 100));
    EXPECT_EQ(Next(50)[0], 0) << "opcode " << int(op) << " was answered";
  }
  Command(3, 0x12);
  EXPECT_TRUE(WaitCount("0x03", "2"));
  EXPECT_EQ(m_ctl("last 3"), "18");
}

TEST_F(PanelSimTest, SelfTestRecordsFollowTheBoardLayoutAndEndWithTheMarker) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(OpenPanel());
  EXPECT_EQ(m_ctl("records count"), "557");
  Command(1);
  const uint8_t sensors[] = {64, 64, 64, 64, 52, 48, 64, 64, 46, 27};
  size_t count = 0;
  for (;;) {
    Report r = Next();
    ASSERT_EQ(r[0], 1) << "after " << count << " records";
    ASSERT_EQ(r[1], 2);
    if (r[2] == 255 && r[3] == 255) break;
    // Board numbers count from 1; sensor numbers stay within the board's sensors.
    ASSERT_GE(r[2], 1);
    ASSERT_LE(r[2], 10);
    EXPECT_GE(r[3], 1);
    EXPECT_LE(r[3], sensors[r[2] - 1]);
    ++count;
  }
  EXPECT_EQ(count, 557u);

  ASSERT_EQ(m_ctl("records clear"), "ok");
  ASSERT_EQ(m_ctl("records add 1 99 0x10 0x20 0 0 0 7"), "ok");
  EXPECT_EQ(m_ctl("records count"), "1");
  Command(1);
  EXPECT_EQ(Next(), R({1, 2, 1, 99, 0x10, 0x20, 0, 0, 0, 7}));
  EXPECT_EQ(Next(), R({1, 2, 255, 255}));
  ASSERT_EQ(m_ctl("records default"), "ok");
  EXPECT_EQ(m_ctl("records count"), "557");
}

TEST_F(PanelSimTest, PenAndButtonsReportTouchStatePresenceAndPositions) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(OpenPanel());
  EXPECT_EQ(Ask(5), R({1, 6, 0}));  // no touch: the touch report request ends at once
  ASSERT_EQ(m_ctl("pen down 0x1234 0x0456"), "ok");
  EXPECT_EQ(Next(), R({1, 3, 0}));
  EXPECT_EQ(Next(), R({1, 6, 1, 0, 0, 0, 0x34, 0x12, 0x56, 0x04}));
  EXPECT_EQ(Ask(5), R({1, 4, 0, 0, 0, 0, 0x34, 0x12, 0x56, 0x04}));
  ASSERT_EQ(m_ctl("pen move 32767 0"), "ok");
  EXPECT_EQ(Ask(5), R({1, 4, 0, 0, 0, 0, 0xFF, 0x7F, 0, 0}));
  ASSERT_EQ(m_ctl("pen up"), "ok");
  EXPECT_EQ(Next(), R({1, 6, 0}));
  EXPECT_EQ(Next(), R({1, 3, 1}));
  EXPECT_EQ(Ask(5), R({1, 6, 0}));

  ASSERT_EQ(m_ctl("button 1 1"), "ok");
  EXPECT_EQ(Next(), R({1, 15, 1, 1, 0, 0}));
  ASSERT_EQ(m_ctl("button 2 0"), "ok");
  EXPECT_EQ(Next(), R({1, 15, 0, 0, 1, 0}));

  ASSERT_EQ(m_ctl("report 2 5 6"), "ok");
  EXPECT_EQ(Next(), R({2, 5, 6}));
}

TEST_F(PanelSimTest, StopsAnsweringAndAnswersLateOnCommand) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(OpenPanel());
  ASSERT_EQ(m_ctl("mute on"), "ok");
  Command(7);
  EXPECT_EQ(Next(150)[0], 0);
  EXPECT_TRUE(WaitCount("7", "1"));  // taken in, only not answered
  ASSERT_EQ(m_ctl("mute off"), "ok");
  EXPECT_EQ(Ask(7)[1], 5);

  ASSERT_EQ(m_ctl("delay 300"), "ok");
  auto t0 = Clock::now();
  Command(0);
  EXPECT_EQ(Next(100)[0], 0);
  EXPECT_EQ(Next(3000)[1], 1);
  EXPECT_GE(Clock::now() - t0, 280ms);
  ASSERT_EQ(m_ctl("delay 0"), "ok");
  EXPECT_EQ(Ask(0)[1], 1);
}

TEST_F(PanelSimTest, UnplugFailsTheOpenHandleAndPlugBringsThePanelBack) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(OpenPanel());
  auto pending = std::async(std::launch::async, [&] {
    std::vector<uint8_t> in(64);
    size_t n;
    return m_dev->ReadInputReport(in, -1, &n);
  });
  EXPECT_EQ(pending.wait_for(30ms), std::future_status::timeout);
  ASSERT_EQ(m_ctl("unplug"), "ok");
  ASSERT_EQ(pending.wait_for(2s), std::future_status::ready);
  EXPECT_EQ(pending.get(), ERROR_CODE_DEVICE_NOT_CONNECTED);
  std::string path;
  EXPECT_EQ(m_bus.EnumerateInterface(0, &path), ERROR_CODE_NO_MORE_ITEMS);

  ASSERT_EQ(m_ctl("plug"), "ok");
  ASSERT_NO_FATAL_FAILURE(OpenPanel());
  EXPECT_EQ(Ask(7)[1], 5);
}

TEST_F(PanelSimTest, RefusesMalformedControlLines) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const char* bad[] = {"bogus", "dip 256", "dip", "dip 0x", "pen down 40000 1", "pen sideways",
                       "button 3 1", "button 1 2", "checksum 0x10000", "version 0x1000000",
                       "devpos 1 2 3", "records add 1 2 3", "mute maybe", "last 256",
                       "report", "delay -1", "calibration 1 2 3 4 5",
                       "calibration corrupt x", "calibration corrupt 1 2",
                       "calibration corrupt 65536"};
  for (const char* line : bad) EXPECT_EQ(m_ctl(line).rfind("error ", 0), 0u) << line;
  EXPECT_EQ(m_ctl(""), "error empty command");
  EXPECT_EQ(m_ctl("ping"), "ok");  // still serving
}

TEST_F(PanelSimTest, EndsCleanlyOnSigtermAndARestartReplacesStaleFiles) {
  ASSERT_NO_FATAL_FAILURE(Start());
  int status = m_sim.Stop(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(access((Endpoint() + ".dev").c_str(), F_OK), 0);
  EXPECT_NE(access((Endpoint() + ".ctl").c_str(), F_OK), 0);
  EXPECT_NE(access(Endpoint().c_str(), F_OK), 0);

  // A killed one leaves its files behind; they are not a present device, and the next
  // one takes their place.
  ASSERT_TRUE(m_sim.Start("panel-sim", {}));
  ASSERT_TRUE(test::WaitForPath(Endpoint() + ".ctl", 5000));
  m_sim.Kill();
  EXPECT_EQ(access((Endpoint() + ".dev").c_str(), F_OK), 0);
  std::string path;
  EXPECT_EQ(m_bus.EnumerateInterface(0, &path), ERROR_CODE_NO_MORE_ITEMS);
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(OpenPanel());
  EXPECT_EQ(Ask(7)[1], 5);

  // A second one under the same name while the first runs is refused.
  test::CChildProcess twin;
  ASSERT_TRUE(twin.Start("panel-sim", {}));
  ASSERT_TRUE(twin.WaitExit(5000, &status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(Ask(0)[1], 1);
}

}  // namespace
}  // namespace kv
