// The driver stand-in's state model and control language.
#include <gtest/gtest.h>

#include <array>

#include "common/ControlCodes.h"
#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "sim/kvtpd/KvtpdControl.h"
#include "sim/kvtpd/KvtpdModel.h"
#include "sim/kvtpd/KvtpdOptions.h"

namespace kv::sim {
namespace {

TEST(KvtpdModelTest, OneHandleAtATimeAndNothingWhileUnplugged) {
  CKvtpdModel model;
  EXPECT_EQ(model.Open(), 0u);
  EXPECT_EQ(model.Open(), ERROR_CODE_SHARING_VIOLATION);
  model.Close();
  EXPECT_EQ(model.Open(), 0u);
  bool dropped = false;
  model.OnDrop([&] { dropped = true; });
  model.Unplug();
  EXPECT_TRUE(dropped);
  EXPECT_FALSE(model.HandleOpen());
  EXPECT_EQ(model.Open(), ERROR_CODE_FILE_NOT_FOUND);
  model.Plug();
  EXPECT_EQ(model.Open(), 0u);
}

TEST(KvtpdModelTest, RecordsKeepTheirSizesAndContents) {
  CKvtpdModel model;
  ASSERT_EQ(model.Open(), 0u);
  std::array<uint8_t, 36> settings{};
  for (size_t i = 0; i < settings.size(); ++i) settings[i] = static_cast<uint8_t>(i);
  std::array<uint8_t, 36> out{};
  uint32_t returned = 0;
  EXPECT_EQ(model.Control(CONTROL_CODE_SET_SETTINGS, settings, out, &returned), 0u);
  EXPECT_EQ(returned, 36u);
  out.fill(0);
  EXPECT_EQ(model.Control(CONTROL_CODE_GET_SETTINGS, out, out, &returned), 0u);
  EXPECT_EQ(out, settings);
  // Short buffers are refused, not overrun.
  std::array<uint8_t, 12> small{};
  EXPECT_EQ(model.Control(CONTROL_CODE_SET_SETTINGS, small, {}, &returned),
            ERROR_CODE_INVALID_PARAMETER);
  EXPECT_EQ(model.Control(CONTROL_CODE_GET_TOUCH_POINT, {}, small, &returned),
            ERROR_CODE_INSUFFICIENT_BUFFER);
  std::array<uint8_t, 24> point{};
  EXPECT_EQ(model.Control(CONTROL_CODE_GET_TOUCH_POINT, point, point, &returned), 0u);
  EXPECT_EQ(ReadI32(point.data()), -1);
  EXPECT_EQ(ReadI32(point.data() + 4), -1);
  model.Touch(100, 65535);
  EXPECT_EQ(model.Control(CONTROL_CODE_GET_TOUCH_POINT, point, point, &returned), 0u);
  EXPECT_EQ(ReadI32(point.data()), 100);
  EXPECT_EQ(ReadI32(point.data() + 4), 65535);
  std::array<uint8_t, 2> mode{1, 0};
  EXPECT_EQ(model.Control(CONTROL_CODE_SET_TOUCH_MODE, mode, {}, &returned), 0u);
  EXPECT_EQ(model.TouchMode(), 1);
  mode = {2, 0};
  EXPECT_EQ(model.Control(CONTROL_CODE_SET_TOUCH_MODE, mode, {}, &returned),
            ERROR_CODE_INVALID_PARAMETER);
  EXPECT_EQ(model.Control(0, {}, {}, &returned), ERROR_CODE_INVALID_FUNCTION);
  EXPECT_EQ(model.Control(CONTROL_CODE_WAIT_STATUS, point, point, &returned),
            ERROR_CODE_INVALID_FUNCTION);
}

TEST(KvtpdModelTest, WaitEndsOnAChangeOnCancelAndOnClose) {
  CKvtpdModel model;
  ASSERT_EQ(model.Open(), 0u);
  std::vector<std::pair<uint32_t, uint32_t>> done;  // error, flags
  auto waiter = [&](uint32_t e, std::span<const uint8_t> r) {
    done.push_back({e, r.size() >= 20 ? ReadU32(r.data() + 16) : 0xDEAD});
  };
  EXPECT_EQ(model.BeginWait(CONTROL_CODE_WAIT_STATUS, waiter), ERROR_CODE_IO_PENDING);
  model.SetStatus(0);  // no change: still pending
  EXPECT_TRUE(done.empty());
  model.SetStatus(0x10);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0], std::make_pair(0u, 0x10u));

  EXPECT_EQ(model.BeginWait(CONTROL_CODE_WAIT_STATUS, waiter), ERROR_CODE_IO_PENDING);
  std::array<uint8_t, 24> rec{};
  uint32_t returned = 0;
  EXPECT_EQ(model.Control(CONTROL_CODE_CANCEL_WAIT, rec, rec, &returned), 0u);
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[1], std::make_pair(0u, 0x10u));

  EXPECT_EQ(model.BeginWait(CONTROL_CODE_WAIT_STATUS, waiter), ERROR_CODE_IO_PENDING);
  model.Close();
  ASSERT_EQ(done.size(), 3u);
  EXPECT_EQ(done[2].first, ERROR_CODE_OPERATION_ABORTED);
}

TEST(KvtpdModelTest, InjectedFailuresHitTheNextCallsOnly) {
  CKvtpdModel model;
  ASSERT_EQ(model.Open(), 0u);
  model.FailNext(31, 2);
  std::array<uint8_t, 24> rec{};
  uint32_t returned = 0;
  EXPECT_EQ(model.Control(CONTROL_CODE_GET_INFO, rec, rec, &returned), 31u);
  EXPECT_EQ(model.BeginWait(CONTROL_CODE_WAIT_STATUS, [](uint32_t, std::span<const uint8_t>) {}), 31u);
  EXPECT_EQ(model.Control(CONTROL_CODE_GET_INFO, rec, rec, &returned), 0u);
  EXPECT_EQ(returned, 24u);
}

TEST(KvtpdControlTest, CommandsAndReplies) {
  CKvtpdModel model;
  CKvtpdControl control(model);
  struct Case {
    const char* m_sLine;
    const char* m_sReply;
  } cases[] = {
      {"touch 10 0x20", "ok"},
      {"touch -1 -1", "ok"},
      {"touchpoint", "ffffffffffffffff00000000000000000000000000000000"},
      {"settings", "000000000000000000000000000000000000000000000000000000000000000000000000"},
      {"touchmode", "0"},
      {"status 0x30", "ok"},
      {"fail 31 1", "ok"},
      {"info 2.5.0.1 1 2 0x0304", "ok"},
      {"unplug", "ok"},
      {"plug", "ok"},
      {"", "error empty command"},
      {"reboot", "error unknown command"},
      {"touch 1", "error usage: touch X Y"},
      {"touch 1 2 3", "error usage: touch X Y"},
      {"touch x 2", "error bad number"},
      {"touch 4294967296 0", "error bad number"},
      {"status -1", "error bad number"},
      {"fail 0x 1", "error bad number"},
      {"info 0123456789abcdef 1 2 3", "error text longer than 15 characters"},
      {"info v 1 2 65536", "error bad number"},
      {"settings now", "error usage: settings"},
  };
  for (const Case& c : cases) EXPECT_EQ(control.Execute(c.m_sLine), c.m_sReply) << c.m_sLine;
  EXPECT_EQ(control.Execute(std::string(300, 'a')), "error line too long");
  EXPECT_EQ(control.Execute(std::string("touch\x01 1 2")), "error bad character");
}

TEST(KvtpdControlTest, TouchPointAfterTouchIsWhatTheDriverReturns) {
  CKvtpdModel model;
  CKvtpdControl control(model);
  ASSERT_EQ(control.Execute("touch 10 0x20"), "ok");
  EXPECT_EQ(control.Execute("touchpoint"), "0a0000002000000000000000000000000000000000000000");
}

TEST(KvtpdOptionsTest, DefaultsValuesAndErrors) {
  KvtpdOptions o;
  std::string error;
  ASSERT_TRUE(KvtpdOptions::Parse({}, &o, &error));
  EXPECT_EQ(o.m_sDevice, "kvtpd700");
  EXPECT_EQ(o.m_sVersion, "1.0.0.0");
  EXPECT_EQ(o.m_uWords[2], 0x0100);
  ASSERT_TRUE(KvtpdOptions::Parse({"--device", "kvtpd800", "--version", "2.0", "--words", "1,0x2,3"},
                                  &o, &error));
  EXPECT_EQ(o.m_sDevice, "kvtpd800");
  EXPECT_EQ(o.m_uWords[0], 1);
  EXPECT_EQ(o.m_uWords[1], 2);
  EXPECT_EQ(o.m_uWords[2], 3);
  for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
           {"--device"}, {"--device", "../x"}, {"--words", "1,2"}, {"--words", "1,2,3,4"},
           {"--words", "1,2,70000"}, {"--version", "0123456789abcdef"}, {"-v"}}) {
    KvtpdOptions p;
    EXPECT_FALSE(KvtpdOptions::Parse(bad, &p, &error)) << bad[0];
  }
}

}  // namespace
}  // namespace kv::sim
