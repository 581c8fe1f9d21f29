// The driver stand-in's endpoint on a named pipe, reached through CDeviceEndpointIo as the
// service reaches it under Wine; and the kernel device path for a driver that is not there.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "common/ControlCodes.h"
#include "common/SystemError.h"
#include "platform/DeviceEndpointIo.h"
#include "platform/win32/DeviceControlIo.h"
#include "sim/kvtpd/KvtpdEndpoint.h"
#include "sim/kvtpd/KvtpdModel.h"
#include "sim/win32/PipeLineServer.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

const char* const DEVICE = "\\\\.\\kvtpd700";

class Win32DeviceEndpointTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(m_endpoint.Start(), 0u); }
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  sim::CKvtpdModel m_model;
  sim::CKvtpdEndpoint m_endpoint{m_paths, "kvtpd700", m_model};
  CDeviceEndpointIo m_io{m_paths, 5000};
};

TEST_F(Win32DeviceEndpointTest, CallsReachTheModelAndOneHandleAtATime) {
  std::unique_ptr<DeviceHandle> handle;
  ASSERT_EQ(m_io.Open(DEVICE, &handle), 0u);
  std::unique_ptr<DeviceHandle> second;
  EXPECT_EQ(m_io.Open(DEVICE, &second), ERROR_CODE_SHARING_VIOLATION);
  m_model.Touch(1234, 4321);
  uint8_t in[24] = {}, out[24] = {};
  uint32_t returned = 0;
  ASSERT_EQ(handle->Control(CONTROL_CODE_GET_TOUCH_POINT, in, out, &returned), 0u);
  EXPECT_EQ(returned, 24u);
  EXPECT_EQ(out[0] | (out[1] << 8), 1234);
  EXPECT_EQ(out[4] | (out[5] << 8), 4321);
  handle.reset();
  EXPECT_EQ(m_io.Open(DEVICE, &second), 0u);
}

TEST_F(Win32DeviceEndpointTest, PendingWaitEndsOnStatusOnCancelAndOnUnplug) {
  std::unique_ptr<DeviceHandle> handle;
  ASSERT_EQ(m_io.Open(DEVICE, &handle), 0u);
  uint8_t in[24] = {};
  struct Ending {
    const char* m_pWhat;
    std::function<void()> m_end;
    uint32_t m_uResult;
  };
  const Ending endings[] = {
      {"status change", [&] { m_model.SetStatus(0x10); }, 0u},
      {"cancel", [&] { handle->CancelOverlapped(); }, ERROR_CODE_OPERATION_ABORTED},
      {"unplug", [&] { m_endpoint.Unplug(); }, ERROR_CODE_FILE_NOT_FOUND},
  };
  for (const Ending& e : endings) {
    SCOPED_TRACE(e.m_pWhat);
    uint8_t out[24] = {};
    uint32_t returned = 0, result = 1;
    // A wait cancelled on our side stays in the driver until the status changes.
    const size_t before = m_model.PendingWaits();
    std::thread waiter([&] { result = handle->ControlOverlapped(CONTROL_CODE_WAIT_STATUS, in, out, &returned); });
    // The wait is in the driver before it is ended (the model counts it).
    for (int i = 0; i < 5000 && m_model.PendingWaits() == before; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(m_model.PendingWaits(), before + 1);
    // Synchronous calls go on beside the pending one.
    uint8_t info[24] = {};
    if (e.m_uResult == 0) {
      EXPECT_EQ(handle->Control(CONTROL_CODE_GET_INFO, in, info, &returned), 0u);
    }
    e.m_end();
    waiter.join();
    EXPECT_EQ(result, e.m_uResult);
    if (e.m_uResult == 0) {
      EXPECT_EQ(out[16] & 0x10, 0x10);
    }
  }
  // Unplugged: the device is gone until it is plugged in again.
  handle.reset();
  EXPECT_EQ(m_io.Open(DEVICE, &handle), ERROR_CODE_FILE_NOT_FOUND);
  m_endpoint.Plug();
  EXPECT_EQ(m_io.Open(DEVICE, &handle), 0u);
}

TEST(Win32DeviceControlIo, AbsentDriverAndEmptyNameAreNotFound) {
  CDeviceControlIo io;
  std::unique_ptr<DeviceHandle> handle;
  EXPECT_EQ(io.Open("\\\\.\\kvtpd-no-such-device", &handle), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(io.Open("", &handle), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(handle, nullptr);
}

TEST(Win32PipeLineServer, LineRulesOfTheControlChannel) {
  test::CTempPrefix prefix;
  CPipeLineServer server(prefix.Paths(), "x.ctl", [](const std::string& line) { return "got " + line; }, 8);
  struct Case {
    std::string m_sLine;
    std::string m_sReply;
    bool m_bHangUp;
  } cases[] = {
      {"abc", "got abc", false},
      {"abc\r", "got abc", false},
      {"a\tb", "got a\tb", false},
      {std::string("a\0b", 3), "error bad character", false},
      {"12345678", "got 12345678", false},
      {"123456789", "error line too long", true},
  };
  for (const Case& c : cases) {
    bool hangUp = !c.m_bHangUp;
    EXPECT_EQ(server.Answer(c.m_sLine, &hangUp), c.m_sReply);
    EXPECT_EQ(hangUp, c.m_bHangUp);
  }
}

}  // namespace
}  // namespace kv
