// The driver link's requests, byte by byte, against a fake transport.
#include "tabrix/driverlink/DriverLink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "common/CommandCodes.h"
#include "common/PipeNames.h"
#include "tabrix/driverlink/ModelTable.h"
#include "tests/support/FakeClock.h"
#include "tests/tabrix/FakePipeTransport.h"

namespace kv {
namespace {

class CFixedScreen final : public ScreenSizeSource {
 public:
  uint32_t m_uWidth = 1920, m_uHeight = 1080;
  void PrimaryScreenSize(uint32_t* w, uint32_t* h) override {
    *w = m_uWidth;
    *h = m_uHeight;
  }
};

std::vector<uint8_t> InfoReply(const char* version, uint16_t w1, uint16_t w2, uint16_t fw) {
  std::vector<uint8_t> r(24, 0);
  std::memcpy(r.data(), version, strnlen(version, 16));
  WriteU16(r.data() + 18, w1);
  WriteU16(r.data() + 20, w2);
  WriteU16(r.data() + 22, fw);
  return r;
}

class DriverLinkTest : public ::testing::Test {
 protected:
  test::CFakePipeTransport m_pipes;
  CDriverState m_state;
  DriverSharedData m_shared;  // not mapped: every write to it is skipped
  CModelTable m_models;
  const ModelEntry* m_pModel = &m_models.BuiltIn(0);
  int32_t m_iOsType = 16;
  CFixedScreen m_screen;
  test::CFakeClock m_clock;
  DriverLinkContext m_context{m_pipes, m_state, m_shared, m_pModel, m_iOsType, m_screen, m_clock};

  // A link that has opened successfully, with the transport's record cleared.
  DriverLink OpenedLink() {
    DriverLink link(m_context);
    EXPECT_TRUE(link.Open());
    m_pipes.m_exchanges.clear();
    m_pipes.m_iConnections = 0;
    return link;
  }
  const test::FakeExchange& Only() {
    EXPECT_EQ(m_pipes.m_exchanges.size(), 1u);
    return m_pipes.m_exchanges.at(0);
  }
};

using test::FakeExchange;

struct RequestCase {
  const char* m_szLabel;
  std::function<bool(DriverLink&)> m_run;
  uint32_t m_uCommand;
  uint32_t m_uInSize;
  uint32_t m_uOutSize;
  bool m_bStatusPipe;
  // Non-zero payload bytes expected: offset -> value; every other payload byte is zero.
  std::map<size_t, uint8_t> m_payload;
};

void PutU16(std::map<size_t, uint8_t>* m, size_t off, uint16_t v) {
  if (v & 0xFF) (*m)[off] = static_cast<uint8_t>(v);
  if (v >> 8) (*m)[off + 1] = static_cast<uint8_t>(v >> 8);
}
void PutI32(std::map<size_t, uint8_t>* m, size_t off, int32_t v) {
  uint8_t b[4];
  WriteI32(b, v);
  for (int i = 0; i < 4; ++i)
    if (b[i]) (*m)[off + i] = b[i];
}

std::vector<RequestCase> RequestCases() {
  std::vector<RequestCase> cases;
  {
    std::map<size_t, uint8_t> p;
    const char* path = "\\\\.\\kvtpd700";
    for (size_t i = 0; path[i]; ++i) p[i] = static_cast<uint8_t>(path[i]);
    cases.push_back({"SetDevicePath", [](DriverLink& l) { return l.SetDevicePath("\\\\.\\kvtpd700"); },
                     COMMAND_SET_DEVICE_PATH, 260, 260, false, p});
  }
  cases.push_back({"SetInputEnable", [](DriverLink& l) { return l.SetInputEnable(0x101); },
                   COMMAND_SET_INPUT_ENABLE, 36, 36, false, {{0, 1}}});
  {
    std::map<size_t, uint8_t> p;
    PutU16(&p, 24, 270);
    cases.push_back({"SetRotation", [](DriverLink& l) { return l.SetRotation(270); },
                     COMMAND_SET_ROTATION, 36, 36, false, p});
  }
  {
    std::map<size_t, uint8_t> p;
    PutU16(&p, 26, 0x8002);
    cases.push_back({"SetPenButtonModeWin7", [](DriverLink& l) { return l.SetPenButtonMode(2); },
                     COMMAND_SET_PEN_BUTTON_MODE, 36, 36, false, p});
  }
  cases.push_back({"TakeTouchPoint", [](DriverLink& l) { return l.TakeTouchPoint(false); },
                   COMMAND_TAKE_TOUCH_POINT, 24, 24, false, {}});
  cases.push_back({"WaitStatus", [](DriverLink& l) { return l.WaitStatus(); },
                   COMMAND_WAIT_STATUS, 24, 24, true, {}});
  cases.push_back({"CancelStatusWait", [](DriverLink& l) { return l.CancelStatusWait(); },
                   COMMAND_CANCEL_STATUS_WAIT, 24, 24, false, {}});
  {
    std::map<size_t, uint8_t> p{{1, 1}};
    PutU16(&p, 2, 1920);
    PutU16(&p, 4, 1080);
    PutI32(&p, 8, 1234);    // 1.2345 * 1000, truncated
    PutI32(&p, 12, -3);     // -3.7 toward zero
    PutI32(&p, 16, -998);   // -0.9985 * 1000
    PutI32(&p, 20, 12);
    cases.push_back({"SetCalibration",
                     [](DriverLink& l) { return l.SetCalibration(1.2345, -0.9985, -3.7, 12.9); },
                     COMMAND_SET_CALIBRATION, 36, 36, false, p});
  }
  cases.push_back({"SetCalibrationModeOn", [](DriverLink& l) { return l.SetCalibrationMode(true); },
                   COMMAND_SET_CALIBRATION, 36, 36, false, {}});
  cases.push_back({"SetCalibrationModeOff", [](DriverLink& l) { return l.SetCalibrationMode(false); },
                   COMMAND_SET_CALIBRATION, 36, 36, false, {{1, 1}}});
  {
    std::map<size_t, uint8_t> p;
    PutU16(&p, 28, 3);
    PutU16(&p, 30, 1);
    cases.push_back({"SetPanelState",
                     [](DriverLink& l) {
                       uint32_t flag = 7;
                       return l.SetPanelState(3, &flag);
                     },
                     COMMAND_SET_PANEL_STATE, 36, 36, false, p});
  }
  cases.push_back({"SetTouchMode", [](DriverLink& l) { return l.SetTouchMode(1); },
                   COMMAND_SET_TOUCH_MODE, 2, 0, false, {{0, 1}}});
  return cases;
}

class DriverLinkRequestTest : public DriverLinkTest,
                              public ::testing::WithParamInterface<RequestCase> {};

TEST_P(DriverLinkRequestTest, RequestBytes) {
  const RequestCase& c = GetParam();
  DriverLink link = OpenedLink();
  ASSERT_TRUE(c.m_run(link));
  const FakeExchange& e = Only();
  EXPECT_EQ(e.m_sPipe, c.m_bStatusPipe ? STATUS_PIPE_NAME : CONTROL_PIPE_NAME);
  const std::vector<uint8_t>& m = e.m_request;
  const size_t total = c.m_uInSize + c.m_uOutSize + 32;
  ASSERT_EQ(m.size(), total);
  EXPECT_EQ(ReadU32(&m[0]), total);
  EXPECT_EQ(ReadU32(&m[4]), 0u);
  EXPECT_EQ(ReadU32(&m[8]), c.m_uCommand);
  EXPECT_EQ(ReadU32(&m[12]), c.m_uInSize);
  for (size_t i = 0; i < c.m_uInSize; ++i) {
    auto it = c.m_payload.find(i);
    EXPECT_EQ(m[16 + i], it == c.m_payload.end() ? 0 : it->second) << "payload byte " << i;
  }
  const size_t p = 16 + c.m_uInSize;
  EXPECT_EQ(ReadU32(&m[p]), c.m_uOutSize);
  EXPECT_EQ(ReadU32(&m[p + 4]), 0u);
  for (size_t i = p + 8; i < total; ++i) EXPECT_EQ(m[i], 0) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Operations, DriverLinkRequestTest, ::testing::ValuesIn(RequestCases()),
                         [](const auto& info) { return std::string(info.param.m_szLabel); });

TEST_F(DriverLinkTest, TouchModeRequestIs34Bytes) {
  DriverLink link = OpenedLink();
  ASSERT_TRUE(link.SetTouchMode(0));
  EXPECT_EQ(Only().m_request.size(), 34u);
}

TEST_F(DriverLinkTest, EmptyPayloadPutsOutDescriptorAt17) {
  DriverLink link(m_context);
  uint8_t out[4] = {};
  uint32_t returned = 99, error = 99;
  m_pipes.m_replies[42] = {1, 2, 3};
  ASSERT_TRUE(link.Send(42, nullptr, 0, out, sizeof out, &returned, &error));
  const std::vector<uint8_t>& m = Only().m_request;
  ASSERT_EQ(m.size(), 36u);
  EXPECT_EQ(m[16], 0);
  EXPECT_EQ(ReadU32(&m[17]), 4u);
  EXPECT_EQ(returned, 3u);
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[2], 3);
  EXPECT_EQ(out[3], 0);
}

TEST_F(DriverLinkTest, OpenStoresDriverInformation) {
  m_pipes.m_replies[COMMAND_GET_DRIVER_INFO] = InfoReply("V2.10.0003-LONGX", 0x11, 0x22, 0x0205);
  DriverLink link(m_context);
  ASSERT_TRUE(link.Open());
  EXPECT_TRUE(link.Ok());
  EXPECT_TRUE(link.UsePipe());
  const FakeExchange& e = Only();
  EXPECT_EQ(e.m_sPipe, CONTROL_PIPE_NAME);
  EXPECT_EQ(e.Command(), COMMAND_GET_DRIVER_INFO);
  EXPECT_EQ(e.m_request.size(), 80u);
  EXPECT_EQ(m_state.DriverVersion(), "V2.10.0003-LONG");  // at most 15 characters
  EXPECT_EQ(m_state.InfoWord(0), 0x11);
  EXPECT_EQ(m_state.InfoWord(1), 0x22);
  EXPECT_EQ(m_state.FirmwareVersionWord(), 0x0205);
}

TEST_F(DriverLinkTest, OpenKeepsTextWhenFirstEightBytesAreZero) {
  m_state.SetDriverVersion("old");
  std::vector<uint8_t> reply = InfoReply("", 1, 2, 3);
  reply[9] = 'x';
  m_pipes.m_replies[COMMAND_GET_DRIVER_INFO] = reply;
  DriverLink link(m_context);
  ASSERT_TRUE(link.Open());
  EXPECT_EQ(m_state.DriverVersion(), "old");
  EXPECT_EQ(m_state.FirmwareVersionWord(), 3);
}

TEST_F(DriverLinkTest, OpenWithoutReturnedBytesFailsAndLinkIsInert) {
  m_pipes.m_replies[COMMAND_GET_DRIVER_INFO] = {};
  DriverLink link(m_context);
  EXPECT_FALSE(link.Open());
  EXPECT_FALSE(link.Ok());
  EXPECT_FALSE(link.UsePipe());
  m_pipes.m_exchanges.clear();
  uint32_t flag = 1;
  EXPECT_TRUE(link.SetRotation(90));
  EXPECT_TRUE(link.WaitStatus());
  EXPECT_TRUE(link.SetPanelState(0, &flag));
  EXPECT_TRUE(link.SetTouchMode(1));
  EXPECT_TRUE(m_pipes.m_exchanges.empty());
}

TEST_F(DriverLinkTest, ServiceAbsentOpenFailsWithoutWaiting) {
  m_pipes.m_openResults = {ERROR_CODE_FILE_NOT_FOUND};
  DriverLink link(m_context);
  EXPECT_FALSE(link.Open());
  EXPECT_TRUE(m_pipes.m_waits.empty());
  EXPECT_TRUE(m_pipes.m_exchanges.empty());
  EXPECT_TRUE(link.SetInputEnable(1));
  EXPECT_EQ(m_pipes.m_iConnections, 1);
}

TEST_F(DriverLinkTest, FirmwareManagedModelSendsNothing) {
  m_pModel = &m_models.BuiltIn(1);  // type 4
  DriverLink link(m_context);
  EXPECT_TRUE(link.Open());
  EXPECT_TRUE(link.Ok());
  EXPECT_FALSE(link.UsePipe());
  uint32_t flag = 1;
  EXPECT_TRUE(link.SetDevicePath("x"));
  EXPECT_TRUE(link.SetInputEnable(1));
  EXPECT_TRUE(link.SetRotation(90));
  EXPECT_TRUE(link.SetPenButtonMode(2));
  EXPECT_TRUE(link.TakeTouchPoint(false));
  EXPECT_TRUE(link.WaitStatus());
  EXPECT_TRUE(link.CancelStatusWait());
  EXPECT_TRUE(link.SetCalibration(1, 1, 0, 0));
  EXPECT_TRUE(link.SetCalibrationMode(true));
  EXPECT_TRUE(link.SetPanelState(0, &flag));
  EXPECT_TRUE(link.SetTouchMode(1));
  EXPECT_TRUE(DriverLink::QuickConnect(m_context));
  EXPECT_TRUE(DriverLink::StartupConnect(m_context));
  DriverLink::Disconnect(m_context);
  EXPECT_EQ(m_pipes.m_iConnections, 0);
  EXPECT_EQ(m_state.CalibrationMode(), 0u);
}

TEST_F(DriverLinkTest, PenButtonModeBeforeWindows7HasNoHighBit) {
  m_iOsType = 15;
  DriverLink link = OpenedLink();
  ASSERT_TRUE(link.SetPenButtonMode(257));
  EXPECT_EQ(ReadU16(&Only().m_request[16 + 26]), 257);
}

TEST_F(DriverLinkTest, AnswersUpdateState) {
  DriverLink link = OpenedLink();
  std::vector<uint8_t> point(24, 0);
  WriteI32(point.data(), 40000);
  WriteI32(point.data() + 4, -1);
  m_pipes.m_replies[COMMAND_TAKE_TOUCH_POINT] = point;
  ASSERT_TRUE(link.TakeTouchPoint(true));
  EXPECT_EQ(m_state.TouchX(), 0);
  ASSERT_TRUE(link.TakeTouchPoint(false));
  EXPECT_EQ(m_state.TouchX(), 40000);
  EXPECT_EQ(m_state.TouchY(), -1);

  std::vector<uint8_t> status(24, 0);
  WriteU32(status.data() + 16, 0x30);
  m_pipes.m_replies[COMMAND_WAIT_STATUS] = status;
  ASSERT_TRUE(link.WaitStatus());
  EXPECT_EQ(m_state.StatusFlags(), 0x30u);

  ASSERT_TRUE(link.SetCalibrationMode(true));
  EXPECT_EQ(m_state.CalibrationMode(), 1u);
  ASSERT_TRUE(link.SetCalibrationMode(false));
  EXPECT_EQ(m_state.CalibrationMode(), 0u);

  std::vector<uint8_t> settings(36, 0);
  WriteU16(settings.data() + 30, 0);
  m_pipes.m_replies[COMMAND_SET_PANEL_STATE] = settings;
  uint32_t flag = 1;
  ASSERT_TRUE(link.SetPanelState(2, &flag));
  EXPECT_EQ(flag, 0u);
}

TEST_F(DriverLinkTest, DriverFailureLeavesStateUnchanged) {
  DriverLink link = OpenedLink();
  m_state.SetTouchPoint(5, 6);
  m_state.SetStatusFlags(0x10);
  m_pipes.m_replies[COMMAND_TAKE_TOUCH_POINT] = {};
  m_pipes.m_replies[COMMAND_WAIT_STATUS] = {};
  m_pipes.m_replies[COMMAND_SET_PANEL_STATE] = {};
  uint32_t flag = 1;
  EXPECT_TRUE(link.TakeTouchPoint(false));
  EXPECT_TRUE(link.WaitStatus());
  EXPECT_TRUE(link.SetPanelState(1, &flag));
  EXPECT_EQ(m_state.TouchX(), 5);
  EXPECT_EQ(m_state.TouchY(), 6);
  EXPECT_EQ(m_state.StatusFlags(), 0x10u);
  EXPECT_EQ(flag, 1u);
}

TEST_F(DriverLinkTest, BusyPipeIsRetriedThreeTimes) {
  struct Case {
    std::deque<uint32_t> m_opens;
    uint32_t m_uWait;
    bool m_bOk;
    uint32_t m_uError;
    size_t m_uWaits;
  } cases[] = {
      {{ERROR_CODE_PIPE_BUSY, ERROR_CODE_PIPE_BUSY}, 0, true, 0, 2},
      {{ERROR_CODE_PIPE_BUSY, ERROR_CODE_PIPE_BUSY, ERROR_CODE_PIPE_BUSY}, 0, false,
       ERROR_CODE_PIPE_BUSY, 3},
      {{ERROR_CODE_PIPE_BUSY}, ERROR_CODE_TIMEOUT, false, ERROR_CODE_TIMEOUT, 1},
      {{ERROR_CODE_ACCESS_DENIED}, 0, false, ERROR_CODE_ACCESS_DENIED, 0},
  };
  for (const Case& c : cases) {
    m_pipes.m_openResults = c.m_opens;
    m_pipes.m_uWaitResult = c.m_uWait;
    m_pipes.m_waits.clear();
    m_pipes.m_exchanges.clear();
    DriverLink link(m_context);
    uint8_t in[24] = {}, out[24] = {};
    uint32_t error = 0;
    EXPECT_EQ(link.Send(COMMAND_GET_DRIVER_INFO, in, 24, out, 24, nullptr, &error), c.m_bOk);
    EXPECT_EQ(error, c.m_uError);
    EXPECT_EQ(m_pipes.m_waits, std::vector<int>(c.m_uWaits, 1000));
    EXPECT_EQ(m_pipes.m_exchanges.size(), c.m_bOk ? 1u : 0u);
  }
}

TEST_F(DriverLinkTest, MalformedAnswersFailAndCopyNothing) {
  struct Case {
    const char* m_szLabel;
    std::function<void(std::vector<uint8_t>*)> m_tamper;
  } cases[] = {
      {"short", [](std::vector<uint8_t>* m) { m->resize(m->size() - 1); }},
      {"empty", [](std::vector<uint8_t>* m) { m->clear(); }},
      {"out returned beyond out size", [](std::vector<uint8_t>* m) { WriteU32(m->data() + 44, 25); }},
      {"out returned huge", [](std::vector<uint8_t>* m) { WriteU32(m->data() + 44, 0xFFFFFFFF); }},
      {"in size changed", [](std::vector<uint8_t>* m) { WriteU32(m->data() + 12, 0); }},
      {"out size changed", [](std::vector<uint8_t>* m) { WriteU32(m->data() + 40, 60); }},
      {"total length changed", [](std::vector<uint8_t>* m) { WriteU32(m->data(), 1000); }},
  };
  m_pipes.m_replies[COMMAND_GET_DRIVER_INFO] = InfoReply("X", 1, 2, 3);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m_szLabel);
    m_pipes.m_tamper = c.m_tamper;
    DriverLink link(m_context);
    uint8_t in[24] = {};
    uint8_t out[24];
    std::memset(out, 0xAB, sizeof out);
    uint32_t returned = 7, error = 0;
    EXPECT_FALSE(link.Send(COMMAND_GET_DRIVER_INFO, in, 24, out, 24, &returned, &error));
    EXPECT_NE(error, 0u);
    EXPECT_EQ(returned, 0u);
    for (uint8_t b : out) EXPECT_EQ(b, 0xAB);
    EXPECT_FALSE(link.Open());
    EXPECT_FALSE(link.UsePipe());
  }
}

TEST_F(DriverLinkTest, ReadErrorIsReturned) {
  m_pipes.m_uReadResult = ERROR_CODE_BROKEN_PIPE;
  DriverLink link(m_context);
  uint8_t in[24] = {}, out[24] = {};
  uint32_t error = 0;
  EXPECT_FALSE(link.Send(COMMAND_GET_DRIVER_INFO, in, 24, out, 24, nullptr, &error));
  EXPECT_EQ(error, ERROR_CODE_BROKEN_PIPE);
}

TEST_F(DriverLinkTest, OversizedRequestIsRefusedWithoutSending) {
  DriverLink link(m_context);
  std::vector<uint8_t> in(1000, 0);
  uint8_t out[8];
  uint32_t error = 0;
  EXPECT_FALSE(link.Send(COMMAND_SET_DEVICE_PATH, in.data(), 1000, out, 8, nullptr, &error));
  EXPECT_EQ(error, ERROR_CODE_INVALID_PARAMETER);
  EXPECT_EQ(m_pipes.m_iConnections, 0);
}

TEST_F(DriverLinkTest, LongDevicePathIsCutWithTerminator) {
  DriverLink link = OpenedLink();
  ASSERT_TRUE(link.SetDevicePath(std::string(400, 'p')));
  const std::vector<uint8_t>& m = Only().m_request;
  EXPECT_EQ(m[16 + 258], 'p');
  EXPECT_EQ(m[16 + 259], 0);
}

TEST_F(DriverLinkTest, CalibrationValuesOutOfRangeAreClamped) {
  DriverLink link = OpenedLink();
  m_screen.m_uWidth = 70000;
  ASSERT_TRUE(link.SetCalibration(1e300, std::nan(""), -1e300, 0));
  const uint8_t* s = &Only().m_request[16];
  EXPECT_EQ(ReadU16(s + 2), 0xFFFF);
  EXPECT_EQ(ReadI32(s + 8), INT32_MAX);
  EXPECT_EQ(ReadI32(s + 12), INT32_MIN);
  EXPECT_EQ(ReadI32(s + 16), 0);
}

TEST_F(DriverLinkTest, QuickConnectWithoutModelTouchesNoPipe) {
  m_pModel = nullptr;
  EXPECT_FALSE(DriverLink::QuickConnect(m_context));
  EXPECT_FALSE(DriverLink::StartupConnect(m_context));
  ModelEntry noDevice = m_models.BuiltIn(0);
  noDevice.m_szDriverDeviceName[0] = '\0';
  m_pModel = &noDevice;
  EXPECT_FALSE(DriverLink::QuickConnect(m_context));
  EXPECT_EQ(m_pipes.m_iConnections, 0);
}

TEST_F(DriverLinkTest, ConnectSequence) {
  ASSERT_TRUE(DriverLink::QuickConnect(m_context));
  EXPECT_EQ(m_pipes.Commands(), (std::vector<uint32_t>{COMMAND_SET_DEVICE_PATH, COMMAND_GET_DRIVER_INFO}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&m_pipes.m_exchanges[0].m_request[16])),
            "\\\\.\\kvtpd700");
  EXPECT_EQ(m_clock.TickCount(), 10u);
  m_pipes.m_exchanges.clear();
  ASSERT_TRUE(DriverLink::StartupConnect(m_context));
  EXPECT_EQ(m_pipes.Commands(), (std::vector<uint32_t>{COMMAND_SET_DEVICE_PATH, COMMAND_GET_DRIVER_INFO,
                                                       COMMAND_SET_INPUT_ENABLE}));
  EXPECT_EQ(m_pipes.m_exchanges[2].m_request[16], 1);
}

TEST_F(DriverLinkTest, ConnectGivesUpAfterItsTimeLimit) {
  struct Case {
    bool m_bStartup;
    uint32_t m_uTries;
    uint32_t m_uElapsed;
  } cases[] = {
      // Each try: 10 ms pause, then the interval, until more than the limit has passed.
      {false, 11, 11 * 110 - 100},
      {true, 11, 11 * 510 - 500},
  };
  m_pipes.m_replies[COMMAND_GET_DRIVER_INFO] = {};  // the driver never answers
  for (const Case& c : cases) {
    m_pipes.m_exchanges.clear();
    uint32_t start = m_clock.TickCount();
    bool ok = c.m_bStartup ? DriverLink::StartupConnect(m_context) : DriverLink::QuickConnect(m_context);
    EXPECT_FALSE(ok);
    EXPECT_EQ(m_pipes.m_exchanges.size(), 2 * c.m_uTries);
    EXPECT_EQ(m_clock.TickCount() - start, c.m_uElapsed);
  }
}

TEST_F(DriverLinkTest, ConnectSucceedsOnALaterTry) {
  // The service appears only on the third try.
  m_pipes.m_openResults = {ERROR_CODE_FILE_NOT_FOUND, ERROR_CODE_FILE_NOT_FOUND,
                           ERROR_CODE_FILE_NOT_FOUND, ERROR_CODE_FILE_NOT_FOUND};
  ASSERT_TRUE(DriverLink::QuickConnect(m_context));
  EXPECT_EQ(m_clock.TickCount(), 2 * 110u + 10u);
}

TEST_F(DriverLinkTest, StartupConnectCountsFailedInputEnableAsNotConnected) {
  m_pipes.m_tamper = [](std::vector<uint8_t>* m) {
    if (ReadU32(m->data() + 8) == COMMAND_SET_INPUT_ENABLE) m->resize(10);
  };
  EXPECT_FALSE(DriverLink::StartupConnect(m_context));
  EXPECT_EQ(m_pipes.Commands().back(), COMMAND_SET_INPUT_ENABLE);
}

TEST_F(DriverLinkTest, DisconnectDisablesInputAndClearsDevicePath) {
  DriverLink::Disconnect(m_context);
  ASSERT_EQ(m_pipes.Commands(), (std::vector<uint32_t>{COMMAND_GET_DRIVER_INFO, COMMAND_SET_INPUT_ENABLE,
                                                       COMMAND_SET_DEVICE_PATH}));
  EXPECT_EQ(m_pipes.m_exchanges[1].m_request[16], 0);
  EXPECT_EQ(m_pipes.m_exchanges[2].m_request[16], 0);
  m_pipes.m_exchanges.clear();
  m_pipes.m_openResults = {ERROR_CODE_FILE_NOT_FOUND};
  DriverLink::Disconnect(m_context);
  EXPECT_TRUE(m_pipes.m_exchanges.empty());
}

}  // namespace
}  // namespace kv
