// The request handlers of both pipes against an in-memory device.
#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "common/CommandCodes.h"
#include "common/ControlCodes.h"
#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "service/ControlRequestHandler.h"
#include "service/DeviceSlot.h"
#include "service/RequestClient.h"
#include "service/StatusRequestHandler.h"
#include "tests/service/FakeDevice.h"

namespace kv {
namespace {

using test::CFakeDevice;

// One request in the service's 1024-byte buffer, as the pipe thread hands it over.
struct Message {
  std::array<uint8_t, 1024> m_buffer{};
  size_t m_uRead = 0;
  size_t m_uDescriptor = 0;

  Message(uint32_t command, std::vector<uint8_t> in, uint32_t outSize) {
    auto bytes = CRequestClient::Build(command, in, outSize);
    std::copy(bytes.begin(), bytes.end(), m_buffer.begin());
    m_uRead = bytes.size();
    m_uDescriptor = in.empty() ? 17 : 16 + in.size();
  }
  uint32_t Status() const { return ReadU32(m_buffer.data() + 4); }
  uint32_t Returned() const { return ReadU32(m_buffer.data() + m_uDescriptor + 4); }
  const uint8_t* Out() const { return m_buffer.data() + m_uDescriptor + 8; }
  std::span<uint8_t> Span() { return m_buffer; }
};

std::vector<uint8_t> PathPayload(const std::string& path) {
  std::vector<uint8_t> in(260, 0);
  std::copy(path.begin(), path.end(), in.begin());
  return in;
}

class ControlHandlerTest : public ::testing::Test {
 protected:
  CFakeDevice m_io;
  CDeviceSlot m_slot{m_io};
  CControlRequestHandler m_handler{m_slot};

  uint32_t Run(Message& m) {
    m_handler.Handle(m.Span(), m.m_uRead);
    return m.Status();
  }
  void SetPath(const std::string& path = "\\\\.\\kvtpd700") {
    Message m(COMMAND_SET_DEVICE_PATH, PathPayload(path), 260);
    ASSERT_EQ(Run(m), 0u);
  }
};

TEST_F(ControlHandlerTest, LengthMismatchIsEchoedWith87AndNotExecuted) {
  SetPath();
  Message m(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  auto before = m.m_buffer;
  m.m_uRead -= 1;  // the client claims one byte more than it sent
  EXPECT_FALSE(m_handler.Handle(m.Span(), m.m_uRead));
  EXPECT_EQ(m.Status(), ERROR_CODE_INVALID_PARAMETER);
  WriteU32(before.data() + 4, ERROR_CODE_INVALID_PARAMETER);
  EXPECT_EQ(m.m_buffer, before);
  EXPECT_TRUE(m_io.Calls().empty());
  EXPECT_TRUE(m_io.Opens().empty());
}

TEST_F(ControlHandlerTest, ShortMessageWithWrongLengthIsLeftUnchanged) {
  std::array<uint8_t, 1024> buffer{};
  const uint8_t bytes[] = {7, 0, 0, 0, 0xAA, 0xBB};
  std::copy(std::begin(bytes), std::end(bytes), buffer.begin());
  auto before = buffer;
  EXPECT_FALSE(m_handler.Handle(buffer, sizeof bytes));
  EXPECT_EQ(buffer, before);
}

// Sizes that point past the bytes read would make the service read or write beyond the
// request; such a request is refused whole.
TEST_F(ControlHandlerTest, SizesPastTheMessageAreRefusedWith87) {
  SetPath();
  struct Case {
    const char* m_sWhat;
    size_t m_uOffset;
    uint32_t m_uValue;
  } cases[] = {
      {"in size past the end", 12, 2000},
      {"in size wraps", 12, 0xFFFFFFF8u},
      {"out size past the end", 40, 900},
      {"out size wraps", 40, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    Message m(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
    WriteU32(m.m_buffer.data() + c.m_uOffset, c.m_uValue);
    EXPECT_FALSE(m_handler.Handle(m.Span(), m.m_uRead)) << c.m_sWhat;
    EXPECT_EQ(m.Status(), ERROR_CODE_INVALID_PARAMETER) << c.m_sWhat;
  }
  EXPECT_TRUE(m_io.Calls().empty());
}

TEST_F(ControlHandlerTest, SettingsCommandWithWrongInSizeGets87WithoutADriverCall) {
  SetPath();
  Message m(COMMAND_SET_INPUT_ENABLE, std::vector<uint8_t>(24, 1), 24);
  EXPECT_EQ(Run(m), ERROR_CODE_INVALID_PARAMETER);
  EXPECT_TRUE(m_io.Calls().empty());
}

TEST_F(ControlHandlerTest, DevicePathIsStoredAndOpenedByTheNextRequest) {
  SetPath("\\\\.\\kvtpd800");
  EXPECT_TRUE(m_io.Opens().empty());
  Message m(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(m), 0u);
  EXPECT_EQ(m.Returned(), 24u);
  EXPECT_EQ(m.Out()[0], '9');
  ASSERT_EQ(m_io.Opens().size(), 1u);
  EXPECT_EQ(m_io.Opens()[0], "\\\\.\\kvtpd800");
}

TEST_F(ControlHandlerTest, NoPathMeansEveryRequestFailsWithFileNotFound) {
  Message m(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(m), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_TRUE(m_io.Opens().empty());
}

TEST_F(ControlHandlerTest, EmptyPathClosesTheDeviceAndLaterRequestsFail) {
  SetPath();
  Message info(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  ASSERT_EQ(Run(info), 0u);
  ASSERT_EQ(m_io.OpenHandles(), 1);
  Message empty(COMMAND_SET_DEVICE_PATH, PathPayload(""), 260);
  EXPECT_EQ(Run(empty), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(m_io.OpenHandles(), 0);
  Message again(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(again), ERROR_CODE_FILE_NOT_FOUND);
}

TEST_F(ControlHandlerTest, NewPathWhileOpenReopensAtOnceAndReportsAFailedOpen) {
  SetPath();
  Message info(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  ASSERT_EQ(Run(info), 0u);
  SetPath("\\\\.\\kvtpd800");
  ASSERT_EQ(m_io.Opens().size(), 2u);
  EXPECT_EQ(m_io.Opens()[1], "\\\\.\\kvtpd800");
  EXPECT_EQ(m_io.OpenHandles(), 1);
  m_io.SetOpenError(ERROR_CODE_FILE_NOT_FOUND);
  Message bad(COMMAND_SET_DEVICE_PATH, PathPayload("\\\\.\\gone"), 260);
  EXPECT_EQ(Run(bad), ERROR_CODE_FILE_NOT_FOUND);
}

TEST_F(ControlHandlerTest, DevicePathIsCutAt259CharactersWithoutATerminator) {
  std::vector<uint8_t> in(300, 'a');  // no NUL anywhere
  Message m(COMMAND_SET_DEVICE_PATH, in, 4);
  EXPECT_EQ(Run(m), 0u);
  EXPECT_EQ(m_slot.Path(), std::string(259, 'a'));
  Message shortPath(COMMAND_SET_DEVICE_PATH, {'x', 'y'}, 0);  // shorter than 260, no NUL
  EXPECT_EQ(Run(shortPath), 0u);
  EXPECT_EQ(m_slot.Path(), "xy");
}

// Each settings command changes exactly its own fields of the driver's record.
TEST_F(ControlHandlerTest, SettingsUpdateMergesOnlyTheCommandsFields) {
  struct Case {
    uint32_t m_uCommand;
    std::vector<std::pair<size_t, size_t>> m_fields;  // offset, length taken from the payload
  } cases[] = {
      {COMMAND_SET_INPUT_ENABLE, {{0, 1}}},
      {COMMAND_SET_ROTATION, {{24, 2}}},
      {COMMAND_SET_PEN_BUTTON_MODE, {{26, 2}}},
      {COMMAND_SET_CALIBRATION, {{1, 1}, {2, 2}, {4, 2}, {8, 16}}},  // 6-7 stay the driver's
      {COMMAND_SET_CALIBRATION_SWITCH, {{1, 1}}},
      {COMMAND_SET_PANEL_STATE, {{28, 4}}},
  };
  SetPath();
  for (const Case& c : cases) {
    uint8_t driver[36], payload[36], expected[36];
    for (int i = 0; i < 36; ++i) {
      driver[i] = static_cast<uint8_t>(0xA0 + i);
      payload[i] = static_cast<uint8_t>(0x10 + i);
    }
    std::memcpy(m_io.m_s->m_settings, driver, 36);
    std::memcpy(expected, driver, 36);
    for (auto [off, len] : c.m_fields) std::memcpy(expected + off, payload + off, len);
    Message m(c.m_uCommand, {payload, payload + 36}, 36);
    ASSERT_EQ(Run(m), 0u) << c.m_uCommand;
    EXPECT_EQ(0, std::memcmp(m_io.m_s->m_settings, expected, 36)) << c.m_uCommand;
    EXPECT_EQ(0, std::memcmp(m.Out(), expected, 36)) << c.m_uCommand;
    EXPECT_EQ(m.Returned(), 36u);
    auto calls = m_io.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2].m_uCode, CONTROL_CODE_GET_SETTINGS);
    EXPECT_EQ(calls.back().m_uCode, CONTROL_CODE_SET_SETTINGS);
  }
}

TEST_F(ControlHandlerTest, FailedSettingsReadEndsTheRequestAndClosesTheDevice) {
  SetPath();
  m_io.FailOnce(CONTROL_CODE_GET_SETTINGS, ERROR_CODE_GEN_FAILURE);
  Message m(COMMAND_SET_ROTATION, std::vector<uint8_t>(36, 9), 36);
  EXPECT_EQ(Run(m), ERROR_CODE_GEN_FAILURE);
  EXPECT_EQ(m_io.Calls().size(), 1u);  // no write after a failed read
  EXPECT_EQ(m_io.OpenHandles(), 0);
  Message next(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(next), 0u);  // reopened lazily
  EXPECT_EQ(m_io.Opens().size(), 2u);
}

TEST_F(ControlHandlerTest, TakeTouchPointReturnsThePointAndMarksItConsumed) {
  SetPath();
  for (int i = 0; i < 24; ++i) m_io.m_s->m_touch[i] = static_cast<uint8_t>(i + 1);
  uint8_t original[24];
  std::memcpy(original, m_io.m_s->m_touch, 24);
  Message take(COMMAND_TAKE_TOUCH_POINT, std::vector<uint8_t>(24), 24);
  ASSERT_EQ(Run(take), 0u);
  EXPECT_EQ(0, std::memcmp(take.Out(), original, 24));
  EXPECT_EQ(take.Returned(), 24u);
  EXPECT_EQ(ReadI32(m_io.m_s->m_touch), -1);
  EXPECT_EQ(ReadI32(m_io.m_s->m_touch + 4), -1);
  EXPECT_EQ(0, std::memcmp(m_io.m_s->m_touch + 8, original + 8, 16));

  std::memcpy(m_io.m_s->m_touch, original, 24);
  Message read(COMMAND_READ_TOUCH_POINT, std::vector<uint8_t>(24), 24);
  ASSERT_EQ(Run(read), 0u);
  EXPECT_EQ(0, std::memcmp(read.Out(), original, 24));
  EXPECT_EQ(0, std::memcmp(m_io.m_s->m_touch, original, 24));
}

TEST_F(ControlHandlerTest, FailedTouchPointReadWritesNothing) {
  SetPath();
  m_io.FailOnce(CONTROL_CODE_GET_TOUCH_POINT, ERROR_CODE_GEN_FAILURE);
  Message take(COMMAND_TAKE_TOUCH_POINT, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(take), ERROR_CODE_GEN_FAILURE);
  ASSERT_EQ(m_io.Calls().size(), 1u);
}

TEST_F(ControlHandlerTest, ForwardedCommandsUseTheirControlCodes) {
  struct Case {
    uint32_t m_uCommand;
    size_t m_uIn, m_uOut;
    uint32_t m_uCode;
  } cases[] = {
      {COMMAND_GET_DRIVER_INFO, 24, 24, CONTROL_CODE_GET_INFO},
      {COMMAND_CANCEL_STATUS_WAIT, 24, 24, CONTROL_CODE_CANCEL_WAIT},
      {COMMAND_SET_TOUCH_MODE, 2, 0, CONTROL_CODE_SET_TOUCH_MODE},
      {COMMAND_WAIT_STATUS, 24, 24, 0},  // not on this pipe
      {99, 4, 4, 0},
  };
  SetPath();
  for (const Case& c : cases) {
    Message m(c.m_uCommand, std::vector<uint8_t>(c.m_uIn, 1), static_cast<uint32_t>(c.m_uOut));
    uint32_t status = Run(m);
    auto call = m_io.Calls().back();
    EXPECT_EQ(call.m_uCode, c.m_uCode) << c.m_uCommand;
    EXPECT_EQ(call.m_in.size(), c.m_uIn);
    EXPECT_EQ(call.m_uOutSize, c.m_uOut);
    EXPECT_EQ(status, c.m_uCode ? 0u : ERROR_CODE_INVALID_FUNCTION);
  }
}

TEST_F(ControlHandlerTest, InSizeZeroPutsTheOutDescriptorAtOffset17) {
  SetPath();
  Message m(COMMAND_GET_DRIVER_INFO, {}, 24);
  ASSERT_EQ(m.m_uRead, 56u);
  ASSERT_EQ(Run(m), 0u);
  EXPECT_EQ(ReadU32(m.m_buffer.data() + 17), 24u);
  EXPECT_EQ(ReadU32(m.m_buffer.data() + 21), 24u);  // out returned
  EXPECT_EQ(m.m_buffer[25], '9');
  EXPECT_TRUE(m_io.Calls().back().m_in.empty());
}

TEST_F(ControlHandlerTest, FailedCallClosesTheDeviceAndTheNextRequestReopensIt) {
  SetPath();
  m_io.FailOnce(CONTROL_CODE_GET_INFO, ERROR_CODE_DEVICE_NOT_CONNECTED);
  Message m(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(m), ERROR_CODE_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(m.Returned(), 0u);
  EXPECT_EQ(m_io.OpenHandles(), 0);
  Message again(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(again), 0u);
  EXPECT_EQ(m_io.Opens().size(), 2u);
}

TEST_F(ControlHandlerTest, OpenFailureIsTheStatus) {
  SetPath();
  m_io.SetOpenError(ERROR_CODE_SHARING_VIOLATION);
  Message m(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(m), ERROR_CODE_SHARING_VIOLATION);
}

class StatusHandlerTest : public ControlHandlerTest {
 protected:
  CStatusRequestHandler m_status{m_slot};
};

TEST_F(StatusHandlerTest, WaitCompletesWithTheDriversRecordWhateverTheCommand) {
  SetPath();
  Message wait(77, std::vector<uint8_t>(24), 24);
  std::thread waiter([&] { m_status.Handle(wait.Span(), wait.m_uRead); });
  ASSERT_TRUE(m_io.WaitForPending(1));
  // The control pipe keeps working meanwhile, on the same handle.
  Message info(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(info), 0u);
  m_io.CompleteWait(0x30);
  waiter.join();
  EXPECT_EQ(wait.Status(), 0u);
  EXPECT_EQ(wait.Returned(), 24u);
  EXPECT_EQ(ReadU32(wait.Out() + 16), 0x30u);
  EXPECT_EQ(m_io.Calls().front().m_uCode, CONTROL_CODE_WAIT_STATUS);
  EXPECT_EQ(m_io.Opens().size(), 1u);
}

TEST_F(StatusHandlerTest, FailedWaitClosesTheDevice) {
  SetPath();
  m_io.FailOnce(CONTROL_CODE_WAIT_STATUS, ERROR_CODE_GEN_FAILURE);
  Message wait(COMMAND_WAIT_STATUS, std::vector<uint8_t>(24), 24);
  m_status.Handle(wait.Span(), wait.m_uRead);
  EXPECT_EQ(wait.Status(), ERROR_CODE_GEN_FAILURE);
  EXPECT_EQ(m_io.OpenHandles(), 0);
}

// Command 13 closes the handle a pending wait is using: the wait ends with 995 and the
// new handle is not closed by the wait's failure.
TEST_F(StatusHandlerTest, NewDevicePathEndsAPendingWaitCleanly) {
  SetPath();
  m_io.SetCloseDelay(20);
  Message wait(COMMAND_WAIT_STATUS, std::vector<uint8_t>(24), 24);
  std::thread waiter([&] { m_status.Handle(wait.Span(), wait.m_uRead); });
  ASSERT_TRUE(m_io.WaitForPending(1));
  SetPath("\\\\.\\kvtpd800");
  waiter.join();
  EXPECT_EQ(wait.Status(), ERROR_CODE_OPERATION_ABORTED);
  EXPECT_TRUE(m_slot.IsOpen());
  EXPECT_EQ(m_io.OpenHandles(), 1);
  Message info(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(info), 0u);
  EXPECT_EQ(m_io.Calls().back().m_iHandle, 2);
  EXPECT_EQ(m_io.Opens().size(), 2u);
}

TEST_F(StatusHandlerTest, ShutdownEndsAPendingWaitAndRefusesNewOpens) {
  SetPath();
  Message wait(COMMAND_WAIT_STATUS, std::vector<uint8_t>(24), 24);
  std::thread waiter([&] { m_status.Handle(wait.Span(), wait.m_uRead); });
  ASSERT_TRUE(m_io.WaitForPending(1));
  m_slot.Shutdown();
  waiter.join();
  EXPECT_EQ(wait.Status(), ERROR_CODE_OPERATION_ABORTED);
  Message info(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(Run(info), ERROR_CODE_OPERATION_ABORTED);
}

}  // namespace
}  // namespace kv
