// A burst of input reports on the simulated HID bus: nothing is lost between the device
// and a handle that reads, however many come at once, and the handle keeps as many
// unread reports as its owner asked for.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "platform/posix/SimHidBus.h"
#include "platform/posix/SimHidHandle.h"
#include "sim/SimHidDevice.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

using namespace std::chrono_literals;

class SimHidBurstTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_bus{m_paths};
  CSimHidDevice m_device{m_paths, Panel(), 1, nullptr};

  static SimHidDescriptor Panel() {
    SimHidDescriptor d;
    d.m_sName = "panel";
    d.m_uVendorId = 0x2F11;
    d.m_uProductId = 0x5A01;
    d.m_uUsagePage = 0x0D;
    d.m_uUsage = 0x01;
    d.m_uInputLength = 64;
    d.m_uOutputLength = 64;
    return d;
  }
  void SetUp() override { ASSERT_TRUE(m_device.Plug()); }
  std::unique_ptr<HidDevice> Open() {
    std::unique_ptr<HidDevice> h;
    EXPECT_EQ(m_bus.Open(m_device.Path(), true, &h), ERROR_CODE_SUCCESS);
    return h;
  }
  void Burst(int count) {
    for (int i = 0; i < count; ++i) {
      uint8_t r[3] = {1, 0, 0};
      WriteU16(r + 1, static_cast<uint16_t>(i));
      m_device.SendInputReport(r);
    }
  }
  static bool Received(CSimHidHandle* h, size_t count) {
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (h->InputReportsReceived() < count && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(1ms);
    return h->InputReportsReceived() == count;
  }
};

TEST_F(SimHidBurstTest, ABurstLargerThanTheSocketTakesReachesTheHandleWhole) {
  auto h = Open();
  ASSERT_NE(h, nullptr);
  auto* sim = dynamic_cast<CSimHidHandle*>(h.get());
  ASSERT_NE(sim, nullptr);
  constexpr int COUNT = 5000;  // far beyond what one socket buffers
  Burst(COUNT);
  EXPECT_TRUE(Received(sim, COUNT)) << sim->InputReportsReceived();
  // ... in order: the newest 32 are what an idle reader finds.
  std::vector<uint8_t> in(64);
  size_t n = 0;
  for (int i = COUNT - 32; i < COUNT; ++i) {
    ASSERT_EQ(h->ReadInputReport(in, 2000, &n), ERROR_CODE_SUCCESS);
    EXPECT_EQ(ReadU16(in.data() + 1), i);
  }
}

TEST_F(SimHidBurstTest, NumberOfInputBuffersBoundsWhatAnIdleReaderFinds) {
  auto h = Open();
  ASSERT_NE(h, nullptr);
  auto* sim = dynamic_cast<CSimHidHandle*>(h.get());
  ASSERT_NE(sim, nullptr);
  // The HID class range.
  EXPECT_EQ(h->SetNumInputBuffers(1), ERROR_CODE_INVALID_PARAMETER);
  EXPECT_EQ(h->SetNumInputBuffers(513), ERROR_CODE_INVALID_PARAMETER);
  ASSERT_EQ(h->SetNumInputBuffers(512), ERROR_CODE_SUCCESS);
  Burst(600);
  ASSERT_TRUE(Received(sim, 600));
  std::vector<uint8_t> in(64);
  size_t n = 0;
  for (int i = 600 - 512; i < 600; ++i) {
    ASSERT_EQ(h->ReadInputReport(in, 2000, &n), ERROR_CODE_SUCCESS);
    ASSERT_EQ(ReadU16(in.data() + 1), i);
  }
  EXPECT_EQ(h->ReadInputReport(in, 10, &n), ERROR_CODE_TIMEOUT);
  h->Close();
  EXPECT_EQ(h->SetNumInputBuffers(64), ERROR_CODE_INVALID_HANDLE);
}

}  // namespace
}  // namespace kv
