// Local pipes between a server thread of this process and clients in child processes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "common/SystemError.h"
#include "platform/Event.h"
#include "platform/PipeClient.h"
#include "platform/PipeServer.h"
#include "tests/platform/ForkedChild.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

using test::CForkedChild;
using Ms = std::chrono::milliseconds;

const char* const PIPE = "\\\\.\\pipe\\{kv-test-pipe}";

// One client transaction as the driver link makes it: open, write, read the answer.
uint32_t Transact(const CPaths& paths, std::vector<uint8_t>* message) {
  CPipeClient client(paths, PIPE);
  if (uint32_t e = client.Open()) return e;
  size_t n = 0;
  if (uint32_t e = client.Write(message->data(), message->size(), &n)) return e;
  if (n != message->size()) return ERROR_CODE_GEN_FAILURE;
  if (uint32_t e = client.Read(message->data(), message->size(), &n, 5000)) return e;
  message->resize(n);
  return 0;
}

// Serves clients one by one: each message comes back with every byte inverted, once
// `release` is set (so a test can keep a client in service).
class CEchoServer {
 public:
  explicit CEchoServer(const CPaths& paths) : m_server(paths, PIPE) {}
  ~CEchoServer() {
    m_server.Stop();
    if (m_thread.joinable()) m_thread.join();
  }
  uint32_t Start() {
    uint32_t e = m_server.Create();
    if (e == 0) m_thread = std::thread([this] { Run(); });
    return e;
  }
  void Hold() { m_release.Reset(); }
  void Release() { m_release.Set(); }
  CEvent& Reading() { return m_reading; }
  std::vector<PeerCredentials> Peers() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_peers;
  }
  CPipeServer& Server() { return m_server; }

 private:
  void Run() {
    std::vector<uint8_t> buf(128 * 1024);
    for (;;) {
      PeerCredentials peer;
      if (m_server.Connect(&peer) != 0) return;
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_peers.push_back(peer);
      }
      size_t n = 0;
      m_reading.Set();
      uint32_t e = m_server.Read(buf.data(), buf.size(), &n, -1);
      if (e == ERROR_CODE_OPERATION_ABORTED) return;
      if (e == 0 && n > 0) {
        while (!m_release.Wait(5)) {
          if (m_server.Stopped()) return;
        }
        for (size_t i = 0; i < n; ++i) buf[i] = static_cast<uint8_t>(~buf[i]);
        m_server.Write(buf.data(), n);
      }
      m_server.Disconnect();
    }
  }

  CPipeServer m_server;
  std::thread m_thread;
  CEvent m_release{true, true};
  CEvent m_reading{false};
  std::mutex m_mutex;
  std::vector<PeerCredentials> m_peers;
};

class PipeTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
};

TEST_F(PipeTest, ChildRoundTripsMessagesUpTo64KiBAndServerSeesItsCredentials) {
  CEchoServer server(m_paths);
  ASSERT_EQ(server.Start(), 0u);

  const std::vector<size_t> sizes = {1, 16, 1024, 65536};
  CForkedChild child([&] {
    for (size_t size : sizes) {
      std::vector<uint8_t> msg(size);
      for (size_t i = 0; i < size; ++i) msg[i] = static_cast<uint8_t>(i * 7 + size);
      if (Transact(m_paths, &msg) != 0 || msg.size() != size) return 1;
      for (size_t i = 0; i < size; ++i)
        if (msg[i] != static_cast<uint8_t>(~(i * 7 + size))) return 2;
    }
    return 0;
  });
  const pid_t pid = child.Pid();
  EXPECT_EQ(child.Wait(), 0);

  auto peers = server.Peers();
  ASSERT_EQ(peers.size(), sizes.size());
  for (const auto& p : peers) {
    EXPECT_EQ(p.m_uPid, static_cast<uint32_t>(pid));
    EXPECT_EQ(p.m_uUid, static_cast<uint32_t>(geteuid()));
    EXPECT_EQ(p.m_uGid, static_cast<uint32_t>(getegid()));
  }
  // Anyone may connect, but only the owner may put an endpoint into the folder.
  struct stat st;
  ASSERT_EQ(stat(server.Server().Path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0666u);
  ASSERT_EQ(stat(m_paths.PipePath(PIPE).substr(0, m_paths.PipePath(PIPE).rfind('/')).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 022, 0u);
}

TEST_F(PipeTest, MissingOrAbandonedEndpointIsNotFound) {
  CPipeClient client(m_paths, PIPE);
  EXPECT_EQ(client.Open(), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(client.WaitForServer(1000), ERROR_CODE_FILE_NOT_FOUND);

  // A server that crashes leaves its socket behind.
  CForkedChild crashed([&] {
    CPipeServer server(m_paths, PIPE);
    if (server.Create() != 0) return 1;
    pause();
    return 0;
  });
  ASSERT_TRUE(test::WaitForPath(m_paths.PipePath(PIPE), 5000));
  crashed.Kill();
  EXPECT_EQ(client.Open(), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(client.WaitForServer(1000), ERROR_CODE_FILE_NOT_FOUND);

  // The next server replaces it.
  CEchoServer server(m_paths);
  ASSERT_EQ(server.Start(), 0u);
  std::vector<uint8_t> msg = {1, 2, 3};
  EXPECT_EQ(Transact(m_paths, &msg), 0u);
  EXPECT_EQ(msg, (std::vector<uint8_t>{0xFE, 0xFD, 0xFC}));
}

TEST_F(PipeTest, SecondServerOnTheSameNameIsRefused) {
  CEchoServer first(m_paths);
  ASSERT_EQ(first.Start(), 0u);
  CPipeServer second(m_paths, PIPE);
  EXPECT_EQ(second.Create(), ERROR_CODE_PIPE_BUSY);
  std::vector<uint8_t> msg = {9};
  EXPECT_EQ(Transact(m_paths, &msg), 0u);
}

TEST_F(PipeTest, OtherClientsSeeBusyWhileOneIsServedAndMayWaitForTheServer) {
  CEchoServer server(m_paths);
  ASSERT_EQ(server.Start(), 0u);
  server.Hold();
  CForkedChild first([&] {
    std::vector<uint8_t> msg = {0x10, 0x20};
    return Transact(m_paths, &msg) == 0 && msg == std::vector<uint8_t>{0xEF, 0xDF} ? 0 : 1;
  });
  ASSERT_TRUE(server.Reading().Wait(5000));

  CPipeClient other(m_paths, PIPE);
  EXPECT_EQ(other.Open(), ERROR_CODE_PIPE_BUSY);
  EXPECT_EQ(other.WaitForServer(30), ERROR_CODE_TIMEOUT);

  std::thread release([&] {
    std::this_thread::sleep_for(Ms(20));
    server.Release();
  });
  EXPECT_EQ(other.WaitForServer(5000), 0u);
  release.join();
  EXPECT_EQ(first.Wait(), 0);
  std::vector<uint8_t> msg = {0};
  EXPECT_EQ(Transact(m_paths, &msg), 0u);
  EXPECT_EQ(msg, std::vector<uint8_t>{0xFF});
}

TEST_F(PipeTest, ClientThatDiesWhileServedFreesThePipe) {
  CEchoServer server(m_paths);
  ASSERT_EQ(server.Start(), 0u);
  server.Hold();
  CForkedChild doomed([&] {
    std::vector<uint8_t> msg = {1};
    Transact(m_paths, &msg);
    return 0;
  });
  ASSERT_TRUE(server.Reading().Wait(5000));
  CPipeClient other(m_paths, PIPE);
  EXPECT_EQ(other.Open(), ERROR_CODE_PIPE_BUSY);
  doomed.Kill();
  EXPECT_EQ(other.WaitForServer(5000), 0u);
  server.Release();
  std::vector<uint8_t> msg = {0x0F};
  EXPECT_EQ(Transact(m_paths, &msg), 0u);
  EXPECT_EQ(msg, std::vector<uint8_t>{0xF0});
}

TEST_F(PipeTest, StopWakesBlockedConnectAndReadAtOnce) {
  for (bool inRead : {false, true}) {
    SCOPED_TRACE(inRead ? "blocked in Read" : "blocked in Connect");
    CPipeServer server(m_paths, PIPE);
    ASSERT_EQ(server.Create(), 0u);
    CPipeClient client(m_paths, PIPE);
    if (inRead) {
      ASSERT_EQ(client.Open(), 0u);
    }

    std::atomic<uint32_t> result{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
      uint32_t e = server.Connect(nullptr);
      if (e == 0 && inRead) {
        uint8_t buf[16];
        size_t n = 0;
        e = server.Read(buf, sizeof buf, &n, -1);
      }
      result = e;
      done = true;
    });
    std::this_thread::sleep_for(Ms(50));  // let it block
    ASSERT_FALSE(done);
    auto t0 = std::chrono::steady_clock::now();
    server.Stop();
    while (!done && std::chrono::steady_clock::now() - t0 < Ms(2000)) std::this_thread::sleep_for(Ms(1));
    auto took = std::chrono::steady_clock::now() - t0;
    worker.join();
    EXPECT_LT(took, Ms(100));
    EXPECT_EQ(result, ERROR_CODE_OPERATION_ABORTED);
    EXPECT_TRUE(server.Stopped());

    // Stopped for good: every later call aborts too, even with a client waiting.
    uint8_t buf[4] = {};
    size_t n = 0;
    EXPECT_EQ(server.Connect(nullptr), ERROR_CODE_OPERATION_ABORTED);
    EXPECT_EQ(server.Read(buf, sizeof buf, &n, 0), ERROR_CODE_OPERATION_ABORTED);
    EXPECT_EQ(server.Write(buf, sizeof buf), ERROR_CODE_OPERATION_ABORTED);
    EXPECT_EQ(server.Create(), ERROR_CODE_OPERATION_ABORTED);
  }
}

TEST_F(PipeTest, ReadTimeOutsAndHangUps) {
  CPipeServer server(m_paths, PIPE);
  ASSERT_EQ(server.Create(), 0u);
  uint8_t buf[8] = {};
  size_t n = 99;

  {
    CPipeClient client(m_paths, PIPE);
    ASSERT_EQ(client.Open(), 0u);
    ASSERT_EQ(server.Connect(nullptr), 0u);
    // Nothing sent yet: both sides time out.
    EXPECT_EQ(server.Read(buf, sizeof buf, &n, 20), ERROR_CODE_TIMEOUT);
    EXPECT_EQ(client.Read(buf, sizeof buf, &n, 20), ERROR_CODE_TIMEOUT);
    // The server hangs up without an answer: the client sees a broken pipe, not a hang.
    server.Disconnect();
    EXPECT_EQ(client.Read(buf, sizeof buf, &n, 1000), ERROR_CODE_BROKEN_PIPE);
    size_t w = 0;
    EXPECT_EQ(client.Write(buf, sizeof buf, &w), ERROR_CODE_BROKEN_PIPE);
  }
  {
    // The client hangs up without sending: the server reads nothing, successfully.
    CPipeClient client(m_paths, PIPE);
    ASSERT_EQ(client.Open(), 0u);
    ASSERT_EQ(server.Connect(nullptr), 0u);
    client.Close();
    n = 99;
    EXPECT_EQ(server.Read(buf, sizeof buf, &n, 1000), 0u);
    EXPECT_EQ(n, 0u);
    server.Disconnect();
  }
  {
    // An answer written just before the hang-up is still delivered.
    CPipeClient client(m_paths, PIPE);
    ASSERT_EQ(client.Open(), 0u);
    ASSERT_EQ(server.Connect(nullptr), 0u);
    const uint8_t answer[3] = {4, 5, 6};
    ASSERT_EQ(server.Write(answer, sizeof answer), 0u);
    server.Disconnect();
    EXPECT_EQ(client.Read(buf, sizeof buf, &n, 1000), 0u);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(buf[2], 6);
  }
  {
    // A message longer than the read is cut at the read's size.
    CPipeClient client(m_paths, PIPE);
    ASSERT_EQ(client.Open(), 0u);
    ASSERT_EQ(server.Connect(nullptr), 0u);
    std::vector<uint8_t> big(2000, 0xAB);
    size_t w = 0;
    ASSERT_EQ(client.Write(big.data(), big.size(), &w), 0u);
    EXPECT_EQ(w, big.size());
    EXPECT_EQ(server.Read(buf, sizeof buf, &n, 1000), 0u);
    EXPECT_EQ(n, sizeof buf);
    server.Disconnect();
  }
  CPipeClient never(m_paths, PIPE);
  EXPECT_EQ(never.Read(buf, sizeof buf, &n, 0), ERROR_CODE_INVALID_HANDLE);
}

TEST_F(PipeTest, GuestAccountIsNotServed) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as the guest account";
  ASSERT_EQ(chmod(m_prefix.Dir().c_str(), 0755), 0);
  CEchoServer server(m_paths);
  ASSERT_EQ(server.Start(), 0u);
  CForkedChild guest([&] {
    if (setgid(65534) != 0 || setuid(65534) != 0) return 10;
    std::vector<uint8_t> msg = {1, 2};
    uint32_t e = Transact(m_paths, &msg);
    return e == ERROR_CODE_BROKEN_PIPE ? 0 : 1;
  });
  EXPECT_EQ(guest.Wait(), 0);
  std::vector<uint8_t> msg = {3};
  EXPECT_EQ(Transact(m_paths, &msg), 0u);
  auto peers = server.Peers();
  ASSERT_EQ(peers.size(), 1u);
  EXPECT_EQ(peers[0].m_uUid, 0u);
}

}  // namespace
}  // namespace kv
