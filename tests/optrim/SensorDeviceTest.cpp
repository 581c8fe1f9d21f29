// The sensor device layer against sensor-sim as a real child process on the simulated
// HID bus: connect results, range checks, transfer spacing, device loss, touch input and
// table upload.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "optrim/device/BroadCaster.h"
#include "optrim/device/MQADev.h"
#include "optrim/device/MsgThrower.h"
#include "optrim/device/TouchDevFactory.h"
#include "platform/posix/SimHidBus.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using CControl = kv::test::CControlChannel;

class CListener : public CMsgThrower {
 public:
  using CMsgThrower::CMsgThrower;
  void OnNotify(uint32_t code, uintptr_t payload) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_notes.push_back({code, payload});
  }
  std::vector<std::pair<uint32_t, uintptr_t>> Notes() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_notes;
  }
  size_t Count(uint32_t code) {
    size_t n = 0;
    for (auto& [c, p] : Notes()) n += c == code;
    return n;
  }

 private:
  std::mutex m_mutex;
  std::vector<std::pair<uint32_t, uintptr_t>> m_notes;
};

class SensorDeviceTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_bus{m_paths};
  test::CFakeClock m_clock;
  CBroadCaster m_broadcaster;
  CListener m_listener{&m_broadcaster};
  test::CChildProcess m_sim;
  CControl m_ctl;

  void SetUp() override { m_listener.RegisterListener(); }
  void Start(const std::vector<std::string>& args = {}) {
    ASSERT_TRUE(m_sim.Start("sensor-sim", args));
    auto deadline = Clock::now() + 5s;
    while (!m_ctl.Connect(m_paths.HidDir() + "/sensor.ctl")) {
      ASSERT_LT(Clock::now(), deadline) << "sensor-sim did not come up";
      std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(m_ctl("ping"), "ok");
  }
};

TEST_F(SensorDeviceTest, ConnectsAndReadsTheSensorsValues) {
  ASSERT_NO_FATAL_FAILURE(Start());
  CMQADev dev(m_bus, m_clock, &m_broadcaster);
  ASSERT_EQ(dev.Connect(), CONNECT_OK);
  EXPECT_TRUE(dev.IsConnected());
  EXPECT_EQ(dev.m_cameras[0].gain, 16);
  EXPECT_EQ(dev.m_cameras[1].integWidth, 100);
  EXPECT_EQ(dev.m_interval, 20);
  EXPECT_EQ(dev.m_calcParam.sensor[0].vpos, 100);
  EXPECT_EQ(dev.m_offsetCorrection[1][1], 5);
  EXPECT_FLOAT_EQ(dev.m_calcParam.sensor[0].cp, 800.0f);
  EXPECT_EQ(dev.m_calBlock.precise.nx1, 4);
}

std::string Reads(const std::string& codes, int address) {
  std::string out;
  char word[16];
  for (char c : codes) {
    std::snprintf(word, sizeof word, " %02X/%02X", static_cast<unsigned char>(c), address);
    out += word;
  }
  return out;
}

TEST_F(SensorDeviceTest, ConnectReadsInOrder) {
  ASSERT_NO_FATAL_FAILURE(Start());
  CMQADev dev(m_bus, m_clock, &m_broadcaster);
  ASSERT_EQ(m_ctl("reads"), "none");
  ASSERT_EQ(dev.Connect(), CONNECT_OK);
  std::string expected = Reads("e", 0) + Reads("DEFGHIJMNOPQ", 1) + Reads("DEFGHIJMNOPQ", 2) +
                         Reads("BA", 1) + Reads("BA", 2) + Reads("LghijKf", 0) +
                         Reads("RSTUVWXYZ[", 1) + Reads("RSTUVWXYZ[", 2) + Reads("\\]^", 0) +
                         Reads(std::string(25, '_'), 0) + Reads("`bc", 0) +
                         Reads(std::string(4, 'a'), 0) + Reads("n", 1) + Reads("n", 2) +
                         Reads("p", 1) + Reads("p", 2);
  EXPECT_EQ(" " + m_ctl("reads"), expected);
}

TEST_F(SensorDeviceTest, WrongModelOrMissingSensorGives11) {
  CMQADev none(m_bus, m_clock, &m_broadcaster);
  EXPECT_EQ(none.Connect(), CONNECT_NO_DEVICE);
  ASSERT_NO_FATAL_FAILURE(Start({"--model", "MQBP"}));
  auto dev = CreateTouchDev(4, m_bus, m_clock, &m_broadcaster);
  EXPECT_EQ(dev->Connect(), CONNECT_NO_DEVICE);
  auto right = CreateTouchDev(2, m_bus, m_clock, &m_broadcaster);
  EXPECT_EQ(right->Connect(), CONNECT_OK);
  EXPECT_EQ(CreateTouchDev(7, m_bus, m_clock, &m_broadcaster), nullptr);
}

TEST_F(SensorDeviceTest, InitialisingSensorGives15AndNoOpenDevice) {
  ASSERT_NO_FATAL_FAILURE(Start({"--not-ready"}));
  CMQADev dev(m_bus, m_clock, &m_broadcaster);
  EXPECT_EQ(dev.Connect(), CONNECT_NOT_READY);
  EXPECT_FALSE(dev.IsConnected());
  ASSERT_EQ(m_ctl("ready 1"), "ok");
  EXPECT_EQ(dev.Connect(), CONNECT_OK);
}

TEST_F(SensorDeviceTest, ValueOutOfRangeKeepsThePreviousOne) {
  ASSERT_NO_FATAL_FAILURE(Start());
  CMQADev dev(m_bus, m_clock, &m_broadcaster);
  ASSERT_EQ(dev.Connect(), CONNECT_OK);
  ASSERT_EQ(dev.m_interval, 20);
  struct Case {
    const char* line;
  } cases[] = {
      {"value16 75 0 101"},   // 'K' interval: MQA accepts 8..100
      {"value16 79 1 2000"},  // 'O' camera 0 vpos: 50..1023
      {"value16 77 2 300"},   // 'M' camera 1 first: in range, taken
      {"value16 103 0 -1"},   // 'g' key 14: signed, full range, taken
  };
  for (const auto& c : cases) ASSERT_EQ(m_ctl(c.line), "ok") << c.line;
  dev.m_interval = 42;
  dev.m_calcParam.sensor[0].vpos = 77;
  dev.ReadAllParameters();
  EXPECT_EQ(dev.m_interval, 42);
  EXPECT_EQ(dev.m_calcParam.sensor[0].vpos, 77);
  EXPECT_EQ(dev.m_calcParam.sensor[1].first, 300);
  EXPECT_EQ(dev.m_calcParam.words[1], -1);
}

TEST_F(SensorDeviceTest, TransfersAreAtLeast10MsApart) {
  ASSERT_NO_FATAL_FAILURE(Start());
  CMQADev dev(m_bus, m_clock, &m_broadcaster);
  ASSERT_EQ(dev.Connect(), CONNECT_OK);
  const uint32_t before = m_clock.TickCount();
  SensorCommand r{};
  ASSERT_TRUE(dev.ReadValue(&r, 'K', 0, SENSOR_TARGET_WHOLE, 0));  // two transfers
  EXPECT_GE(m_clock.TickCount() - before, 20u);
  m_clock.Advance(50);
  const uint32_t idle = m_clock.TickCount();
  ASSERT_TRUE(dev.SendCommand(SensorCommand{}));
  EXPECT_EQ(m_clock.TickCount(), idle) << "no wait after a long enough pause";
}

TEST_F(SensorDeviceTest, ElevenFailedKeepAlivesPostOneDeviceLost) {
  ASSERT_NO_FATAL_FAILURE(Start());
  CMQADev dev(m_bus, m_clock, &m_broadcaster);
  ASSERT_EQ(dev.Connect(), CONNECT_OK);
  dev.Poll();
  EXPECT_EQ(m_ctl("keepalive"), "1");
  ASSERT_EQ(m_ctl("unplug"), "ok");
  for (int i = 0; i < 10; ++i) {
    m_clock.Advance(200);
    dev.Poll();
  }
  EXPECT_EQ(m_listener.Count(NOTIFY_DEVICE_LOST), 0u);
  m_clock.Advance(200);
  dev.Poll();
  EXPECT_EQ(m_listener.Count(NOTIFY_DEVICE_LOST), 1u);
  EXPECT_EQ(dev.FailureCount(), 0u);
  for (int i = 0; i < 10; ++i) {
    m_clock.Advance(200);
    dev.Poll();
  }
  EXPECT_EQ(m_listener.Count(NOTIFY_DEVICE_LOST), 1u) << "the counter starts again";
}

TEST_F(SensorDeviceTest, InputReportWithoutTouchMarkerIsIgnored) {
  ASSERT_NO_FATAL_FAILURE(Start());
  CMQADev dev(m_bus, m_clock, &m_broadcaster);
  ASSERT_EQ(dev.Connect(), CONNECT_OK);
  dev.SetMode(5);
  ASSERT_EQ(m_ctl("mode"), "5");
  dev.StartInputThread();
  // Byte 3 is 0x41: not a touch report, even with sizes and a position.
  ASSERT_EQ(m_ctl("report 1 0 0x41 0 0x11 0 0x22 0 3 0 4"), "ok");
  ASSERT_EQ(m_ctl("touch 300 400 5 6"), "ok");
  auto deadline = Clock::now() + 5s;
  while (m_listener.Count(NOTIFY_TOUCH) == 0 && Clock::now() < deadline) {
    dev.Poll();
    std::this_thread::sleep_for(2ms);
  }
  ASSERT_EQ(m_listener.Count(NOTIFY_TOUCH), 1u);
  EXPECT_EQ(dev.LastTouch().x, 300);
  EXPECT_EQ(dev.LastTouch().y, 400);
  // Stopped and started again, the thread still takes reports; a release follows.
  dev.StopInputThread();
  dev.StartInputThread();
  ASSERT_EQ(m_ctl("release"), "ok");
  deadline = Clock::now() + 5s;
  while (m_listener.Count(NOTIFY_RELEASE) == 0 && Clock::now() < deadline) {
    dev.Poll();
    std::this_thread::sleep_for(2ms);
  }
  EXPECT_GE(m_listener.Count(NOTIFY_RELEASE), 1u);
  dev.StopInputThread();
}

TEST_F(SensorDeviceTest, BasicTableUploadArrivesWhole) {
  ASSERT_NO_FATAL_FAILURE(Start());
  CMQADev dev(m_bus, m_clock, &m_broadcaster);
  ASSERT_EQ(dev.Connect(), CONNECT_OK);
  CalBasicParam t{};
  t.nx2 = 1;
  t.ny2 = 1;
  t.devMin = {-100, 10};
  t.devMax = {100, 300};
  t.At(0, 0) = {1, 0};
  t.At(0, 1) = {2, 0};
  t.At(1, 0) = {3, 0};
  t.At(1, 1) = {4, 1};
  dev.SetBasicTable(t, true);
  EXPECT_EQ(m_ctl("table basic"), "1 1 -100 10 100 300 4 1 2 3 65540");
  // Read back on the next connect replaces the block.
  CMQADev again(m_bus, m_clock, &m_broadcaster);
  ASSERT_EQ(again.Connect(), CONNECT_OK);
  EXPECT_EQ(again.m_calBlock.basic, t);
}

TEST_F(SensorDeviceTest, FlashWriteAndState) {
  ASSERT_NO_FATAL_FAILURE(Start());
  CMQADev dev(m_bus, m_clock, &m_broadcaster);
  ASSERT_EQ(dev.Connect(), CONNECT_OK);
  ASSERT_EQ(m_ctl("flashstate 3"), "ok");
  EXPECT_EQ(dev.ReadFlashState(), 3);
  dev.FlashOperation(1);
  EXPECT_EQ(m_ctl("flashed"), "1");
  EXPECT_EQ(dev.ReadFlashState(), 0);
  ASSERT_EQ(m_ctl("unplug"), "ok");
  EXPECT_EQ(dev.ReadFlashState(), 4);
}

}  // namespace
}  // namespace kv
