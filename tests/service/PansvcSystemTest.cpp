// pansvc and kvtpd-sim as real processes: requests through the pipes reach the stand-in,
// waits and faults behave, nothing hangs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <future>
#include <thread>

#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "platform/PipeClient.h"
#include "tests/service/SystemFixture.h"

namespace kv::test {
namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> Rotation(uint16_t degrees) {
  std::vector<uint8_t> in(36, 0);
  WriteU16(in.data() + 24, degrees);
  return in;
}

class PansvcSystemTest : public CSystemFixture {
 protected:
  void SetUp() override { StartAll(); }
};

TEST_F(PansvcSystemTest, SettingsAndTouchPointsReachTheStandIn) {
  // Before command 13 nothing reaches the driver.
  EXPECT_EQ(Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24).m_uStatus,
            ERROR_CODE_FILE_NOT_FOUND);
  ASSERT_EQ(SetPath(), 0u);
  RequestAnswer info = Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(info.m_uStatus, 0u);
  EXPECT_EQ(info.m_uReturned, 24u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.m_out.data())), "1.0.0.0");
  EXPECT_EQ(ReadU16(info.m_out.data() + 22), 0x0100);

  RequestAnswer rot = Send(COMMAND_SET_ROTATION, Rotation(270), 36);
  EXPECT_EQ(rot.m_uStatus, 0u);
  EXPECT_EQ(ReadU16(rot.m_out.data() + 24), 270);
  EXPECT_EQ(Ctl("settings").substr(48, 4), "0e01");  // 270 at offset 24

  ASSERT_EQ(Ctl("touch 1000 2000"), "ok");
  RequestAnswer read = Send(COMMAND_READ_TOUCH_POINT, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(ReadI32(read.m_out.data()), 1000);
  EXPECT_EQ(Ctl("touchpoint").substr(0, 16), "e8030000d0070000");
  RequestAnswer take = Send(COMMAND_TAKE_TOUCH_POINT, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(ReadI32(take.m_out.data() + 4), 2000);
  EXPECT_EQ(Ctl("touchpoint").substr(0, 16), "ffffffffffffffff");

  RequestAnswer mode = Send(COMMAND_SET_TOUCH_MODE, {1, 0}, 0);
  EXPECT_EQ(mode.m_uStatus, 0u);
  EXPECT_EQ(mode.m_raw.size(), 34u);
  EXPECT_EQ(Ctl("touchmode"), "1");
  // The status wait does not belong on the control pipe: the driver refuses code 0.
  EXPECT_EQ(Send(COMMAND_WAIT_STATUS, std::vector<uint8_t>(24), 24).m_uStatus,
            ERROR_CODE_INVALID_FUNCTION);
  EXPECT_EQ(Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24).m_uStatus, 0u);
}

TEST_F(PansvcSystemTest, MalformedMessagesAreEchoedOrDropped) {
  ASSERT_EQ(SetPath(), 0u);
  std::vector<uint8_t> m = CRequestClient::Build(COMMAND_SET_ROTATION, Rotation(90), 36);
  WriteU32(m.data(), 999);  // wrong total length
  ASSERT_EQ(CRequestClient::Transact(m_paths, CONTROL_PIPE_NAME, &m, 5000), 0u);
  EXPECT_EQ(ReadU32(m.data() + 4), ERROR_CODE_INVALID_PARAMETER);
  EXPECT_EQ(Ctl("settings").substr(48, 4), "0000");  // not executed

  std::vector<uint8_t> tiny{5, 0, 0, 0, 0, 0};  // total 5 of 6 bytes: below 8, unchanged
  ASSERT_EQ(CRequestClient::Transact(m_paths, CONTROL_PIPE_NAME, &tiny, 5000), 0u);
  EXPECT_EQ(tiny, (std::vector<uint8_t>{5, 0, 0, 0, 0, 0}));

  // Longer than the service reads: cut at 1024 bytes, which fails the length check.
  std::vector<uint8_t> big(1500, 0);
  WriteU32(big.data(), 1500);
  ASSERT_EQ(CRequestClient::Transact(m_paths, CONTROL_PIPE_NAME, &big, 5000, 1500), 0u);
  EXPECT_EQ(big.size(), 1024u);
  EXPECT_EQ(ReadU32(big.data() + 4), ERROR_CODE_INVALID_PARAMETER);
}

// A client that connects and sends nothing gets no answer and is dropped after the pipe's
// time-out (200 ms here), so the next client is served.
TEST_F(PansvcSystemTest, SilentClientIsDisconnectedAfterTheTimeOut) {
  ASSERT_EQ(SetPath(), 0u);
  CPipeClient silent(m_paths, CONTROL_PIPE_NAME);
  ASSERT_EQ(silent.Open(), 0u);
  auto start = std::chrono::steady_clock::now();
  uint8_t buf[64];
  size_t read = 99;
  uint32_t rc = silent.Read(buf, sizeof buf, &read, 5000);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(rc != 0 || read == 0) << rc;
  EXPECT_LT(waited, 2s);
  silent.Close();
  EXPECT_EQ(Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24).m_uStatus, 0u);
}

TEST_F(PansvcSystemTest, PendingWaitLeavesTheControlPipeFreeAndEndsOnChangeAndCancel) {
  ASSERT_EQ(SetPath(), 0u);
  auto wait = std::async(std::launch::async, [&] { return Wait(); });
  ASSERT_TRUE(CtlBecomes("waiting", "1"));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Send(COMMAND_SET_ROTATION, Rotation(90), 36).m_uStatus, 0u);
  ASSERT_EQ(Ctl("status 0x10"), "ok");
  RequestAnswer changed = wait.get();
  EXPECT_EQ(changed.m_uStatus, 0u);
  EXPECT_EQ(ReadU32(changed.m_out.data() + 16), 0x10u);

  auto second = std::async(std::launch::async, [&] { return Wait(); });
  ASSERT_TRUE(CtlBecomes("waiting", "1"));
  EXPECT_EQ(Send(COMMAND_CANCEL_STATUS_WAIT, std::vector<uint8_t>(24), 24).m_uStatus, 0u);
  ASSERT_EQ(second.wait_for(3s), std::future_status::ready);
  EXPECT_EQ(second.get().m_uStatus, 0u);
}

TEST_F(PansvcSystemTest, NewDevicePathEndsAPendingWaitWith995) {
  ASSERT_EQ(SetPath(), 0u);
  auto wait = std::async(std::launch::async, [&] { return Wait(); });
  ASSERT_TRUE(CtlBecomes("waiting", "1"));
  EXPECT_EQ(SetPath(), 0u);  // reopens the same device at once
  ASSERT_EQ(wait.wait_for(3s), std::future_status::ready);
  EXPECT_EQ(wait.get().m_uStatus, ERROR_CODE_OPERATION_ABORTED);
  EXPECT_EQ(Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24).m_uStatus, 0u);
  auto again = std::async(std::launch::async, [&] { return Wait(); });
  ASSERT_TRUE(CtlBecomes("waiting", "1"));
  ASSERT_EQ(Ctl("status 0x20"), "ok");
  EXPECT_EQ(ReadU32(again.get().m_out.data() + 16), 0x20u);
}

TEST_F(PansvcSystemTest, StoppingTheServiceEndsAPendingWaitWithinASecond) {
  ASSERT_EQ(SetPath(), 0u);
  auto wait = std::async(std::launch::async, [&] { return Wait(); });
  ASSERT_TRUE(CtlBecomes("waiting", "1"));
  auto start = std::chrono::steady_clock::now();
  int status = m_service.Stop(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status)) << status;
  ASSERT_EQ(wait.wait_for(1s), std::future_status::ready);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  RequestAnswer a = wait.get();
  EXPECT_TRUE(a.m_uTransport != 0 || a.m_uStatus == ERROR_CODE_OPERATION_ABORTED);
}

TEST_F(PansvcSystemTest, DriverFailuresAreReportedAndTheNextRequestRecovers) {
  ASSERT_EQ(SetPath(), 0u);
  ASSERT_EQ(Ctl("fail 31 1"), "ok");
  RequestAnswer failed = Send(COMMAND_SET_ROTATION, Rotation(180), 36);
  EXPECT_EQ(failed.m_uStatus, 31u);  // the settings read failed: nothing written
  EXPECT_EQ(Ctl("settings").substr(48, 4), "0000");
  EXPECT_EQ(Send(COMMAND_SET_ROTATION, Rotation(180), 36).m_uStatus, 0u);
  EXPECT_EQ(Ctl("settings").substr(48, 4), "b400");

  ASSERT_EQ(Ctl("unplug"), "ok");
  uint32_t unplugged = Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24).m_uStatus;
  EXPECT_NE(unplugged, 0u);
  EXPECT_EQ(Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24).m_uStatus,
            ERROR_CODE_FILE_NOT_FOUND);
  ASSERT_EQ(Ctl("plug"), "ok");
  ASSERT_TRUE(WaitForPath(Device(), 3000));
  EXPECT_EQ(Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24).m_uStatus, 0u);
}

TEST_F(PansvcSystemTest, KilledAndRestartedStandInWhileRequestsFlow) {
  ASSERT_EQ(SetPath(), 0u);
  std::atomic<bool> stop{false};
  std::atomic<int> ok{0}, failed{0}, transport{0};
  std::thread traffic([&] {
    uint16_t deg = 0;
    while (!stop) {
      RequestAnswer a = Send(COMMAND_SET_ROTATION, Rotation(deg = (deg + 90) % 360), 36);
      if (a.m_uTransport) ++transport;
      else if (a.m_uStatus) ++failed;
      else ++ok;
    }
  });
  std::this_thread::sleep_for(100ms);
  m_sim.Kill();
  std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(StartSim());  // replaces the endpoint the killed one left behind
  std::this_thread::sleep_for(100ms);
  stop = true;
  traffic.join();
  EXPECT_EQ(transport.load(), 0);
  EXPECT_GT(failed.load(), 0);
  EXPECT_GT(ok.load(), 0);
  RequestAnswer last = Send(COMMAND_SET_ROTATION, Rotation(90), 36);
  EXPECT_EQ(last.m_uStatus, 0u);
  EXPECT_EQ(Ctl("settings").substr(48, 4), "5a00");
}

// The guest account gets nothing executed.
TEST_F(PansvcSystemTest, NobodyIsRefused) {
  ASSERT_EQ(SetPath(), 0u);
  ASSERT_EQ(chmod(m_prefix.Dir().c_str(), 0755), 0);
  pid_t pid = fork();
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(10);
    RequestAnswer a = CRequestClient::Send(m_paths, CONTROL_PIPE_NAME, COMMAND_SET_ROTATION,
                                           Rotation(90), 36, 2000);
    _exit(a.m_uTransport != 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Ctl("settings").substr(48, 4), "0000");
}

// Eight clients at once: every request is answered, and each answer is its own.
TEST_F(PansvcSystemTest, EightParallelClientsLoseNoRequest) {
  ASSERT_EQ(SetPath(), 0u);
  std::atomic<int> answered{0}, wrong{0};
  std::vector<std::thread> clients;
  auto until = std::chrono::steady_clock::now() + 3s;
  for (int c = 0; c < 8; ++c) {
    clients.emplace_back([&, c] {
      for (uint16_t i = 0; std::chrono::steady_clock::now() < until; ++i) {
        uint16_t mode = static_cast<uint16_t>(c * 1000 + i);
        std::vector<uint8_t> in(36, 0);
        WriteU16(in.data() + 26, mode);
        RequestAnswer a = Send(COMMAND_SET_PEN_BUTTON_MODE, in, 36);
        if (a.m_uTransport || a.m_uStatus || ReadU16(a.m_out.data() + 26) != mode) ++wrong;
        else ++answered;
      }
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_GT(answered.load(), 8 * 5);
  RecordProperty("answered", answered.load());
}

}  // namespace
}  // namespace kv::test
