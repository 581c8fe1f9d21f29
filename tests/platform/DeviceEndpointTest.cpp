// Device endpoints: CDeviceEndpointIo handles against CDeviceEndpointServer, and each of them
// against a peer that breaks the framing.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "platform/DeviceEndpoint.h"
#include "platform/DeviceEndpointIo.h"
#include "sim/DeviceEndpointServer.h"
#include "platform/Event.h"
#include "tests/platform/ForkedChild.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

using Bytes = std::vector<uint8_t>;
using Reply = CDeviceEndpointServer::Reply;
using Ms = std::chrono::milliseconds;
using test::CForkedChild;

const char* const DEVICE = "\\\\.\\kvtest700";
constexpr uint32_t ECHO = 0x10;     // answers the input reversed
constexpr uint32_t HOLD = 0x20;     // stays pending until RELEASE
constexpr uint32_t RELEASE = 0x30;  // completes every held call with its input
constexpr uint32_t FAIL = 0x40;     // fails with ERROR_CODE_GEN_FAILURE

class CTestDevice : public CDeviceEndpointServer::Handler {
 public:
  void OnOpen() override { ++m_iOpens; }
  void OnClose() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_iCloses;
    m_held.clear();
    m_closed.Set();
  }
  void OnRequest(uint32_t code, std::span<const uint8_t> in, std::shared_ptr<Reply> reply) override {
    switch (code) {
      case ECHO: {
        Bytes out(in.rbegin(), in.rend());
        reply->Complete(0, out);
        break;
      }
      case HOLD: {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held.push_back(reply);
        m_lastHeld = reply;
        m_holding.Set();
        break;
      }
      case RELEASE: {
        std::vector<std::shared_ptr<Reply>> held;
        {
          std::lock_guard<std::mutex> lock(m_mutex);
          held.swap(m_held);
        }
        for (auto& r : held) r->Complete(0, in);
        reply->Complete(0);
        break;
      }
      default:
        reply->Complete(ERROR_CODE_GEN_FAILURE);
        break;
    }
  }
  std::shared_ptr<Reply> LastHeld() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastHeld;
  }

  std::atomic<int> m_iOpens{0};
  std::atomic<int> m_iCloses{0};
  CEvent m_holding{false};
  CEvent m_closed{false};

 private:
  std::mutex m_mutex;
  std::vector<std::shared_ptr<Reply>> m_held;
  std::shared_ptr<Reply> m_lastHeld;
};

class DeviceEndpointTest : public ::testing::Test {
 protected:
  // Starts the overlapped HOLD call on another thread and waits until the device has it.
  std::future<std::pair<uint32_t, Bytes>> StartHold(DeviceHandle* handle) {
    auto f = std::async(std::launch::async, [handle] {
      Bytes out(24, 0xEE);
      uint32_t returned = 0;
      uint32_t e = handle->ControlOverlapped(HOLD, Bytes(24, 0), out, &returned);
      out.resize(returned);
      return std::make_pair(e, out);
    });
    EXPECT_TRUE(m_device.m_holding.Wait(5000));
    return f;
  }
  static bool ReadyWithin(std::future<std::pair<uint32_t, Bytes>>& f, int ms) {
    return f.wait_for(Ms(ms)) == std::future_status::ready;
  }

  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CTestDevice m_device;
  CDeviceEndpointServer m_server{m_paths, DEVICE, &m_device};
  CDeviceEndpointIo m_io{m_paths};
};

TEST_F(DeviceEndpointTest, SynchronousCallsProceedWhileAnOverlappedCallIsPending) {
  ASSERT_EQ(m_server.Start(), 0u);
  std::unique_ptr<DeviceHandle> handle;
  ASSERT_EQ(m_io.Open(DEVICE, &handle), 0u);
  auto pending = StartHold(handle.get());

  for (uint8_t i = 1; i <= 20; ++i) {
    Bytes in(i, i), out(64, 0);
    in[0] = 0xA0;
    uint32_t returned = 0;
    ASSERT_EQ(handle->Control(ECHO, in, out, &returned), 0u);
    ASSERT_EQ(returned, i);
    EXPECT_EQ(out[i - 1], 0xA0);
  }
  // The device's output is cut to the caller's capacity, never written past it.
  Bytes small(2, 0x55), big(10, 7);
  std::vector<uint8_t> guard(small);
  uint32_t returned = 0;
  EXPECT_EQ(handle->Control(ECHO, big, std::span(small.data(), 1), &returned), 0u);
  EXPECT_EQ(returned, 1u);
  EXPECT_EQ(small[1], 0x55);
  EXPECT_EQ(handle->Control(FAIL, {}, {}, &returned), ERROR_CODE_GEN_FAILURE);
  EXPECT_FALSE(ReadyWithin(pending, 0));

  Bytes status(24, 0);
  WriteU32(&status[16], 0x30);
  ASSERT_EQ(handle->Control(RELEASE, status, {}, &returned), 0u);
  ASSERT_TRUE(ReadyWithin(pending, 5000));
  auto [error, out] = pending.get();
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(out, status);
}

TEST_F(DeviceEndpointTest, CancelAndCloseEndThePendingCallWithAborted) {
  ASSERT_EQ(m_server.Start(), 0u);
  std::unique_ptr<DeviceHandle> handle;
  ASSERT_EQ(m_io.Open(DEVICE, &handle), 0u);

  auto cancelled = StartHold(handle.get());
  handle->CancelOverlapped();
  ASSERT_TRUE(ReadyWithin(cancelled, 100));
  EXPECT_EQ(cancelled.get().first, ERROR_CODE_OPERATION_ABORTED);
  // The device answers the cancelled call late; that answer must not land on another call.
  uint32_t returned = 0;
  ASSERT_EQ(handle->Control(RELEASE, Bytes(24, 0x99), {}, &returned), 0u);
  Bytes out(3, 0);
  ASSERT_EQ(handle->Control(ECHO, Bytes{1, 2, 3}, out, &returned), 0u);
  EXPECT_EQ(out, (Bytes{3, 2, 1}));

  auto closed = StartHold(handle.get());
  std::thread closer([&] { handle.reset(); });
  ASSERT_TRUE(ReadyWithin(closed, 1000));
  EXPECT_EQ(closed.get().first, ERROR_CODE_OPERATION_ABORTED);
  closer.join();
  EXPECT_TRUE(m_device.m_closed.Wait(5000));
  // The kept reply outlived its handle: completing it reaches nobody and says so.
  EXPECT_EQ(m_device.LastHeld()->Complete(0), ERROR_CODE_INVALID_HANDLE);
}

TEST_F(DeviceEndpointTest, OpenIsExclusiveAndAnAbsentDeviceIsNotFound) {
  std::unique_ptr<DeviceHandle> first, second;
  EXPECT_EQ(m_io.Open(DEVICE, &first), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_FALSE(first);
  ASSERT_EQ(m_server.Start(), 0u);
  EXPECT_EQ(m_io.Open("\\\\.\\", &first), ERROR_CODE_FILE_NOT_FOUND);
  ASSERT_EQ(m_io.Open(DEVICE, &first), 0u);
  EXPECT_EQ(m_io.Open(DEVICE, &second), ERROR_CODE_SHARING_VIOLATION);
  EXPECT_FALSE(second);
  EXPECT_EQ(m_device.m_iOpens, 1);

  first.reset();
  ASSERT_TRUE(m_device.m_closed.Wait(5000));
  EXPECT_EQ(m_io.Open(DEVICE, &second), 0u);
  second.reset();
  m_server.Stop();
  EXPECT_EQ(m_io.Open(DEVICE, &second), ERROR_CODE_FILE_NOT_FOUND);

  // A driver process that dies leaves its socket: still absent, and the next one takes over.
  CForkedChild crashed([&] {
    CTestDevice device;
    CDeviceEndpointServer server(m_paths, DEVICE, &device);
    if (server.Start() != 0) return 1;
    pause();
    return 0;
  });
  ASSERT_TRUE(test::WaitForPath(m_paths.DevicePath(DEVICE), 5000));
  crashed.Kill();
  EXPECT_EQ(m_io.Open(DEVICE, &second), ERROR_CODE_FILE_NOT_FOUND);
  ASSERT_EQ(m_server.Start(), 0u);
  EXPECT_EQ(m_io.Open(DEVICE, &second), 0u);
}

TEST_F(DeviceEndpointTest, DroppedHandleFailsPendingAndLaterCalls) {
  ASSERT_EQ(m_server.Start(), 0u);
  std::unique_ptr<DeviceHandle> handle;
  ASSERT_EQ(m_io.Open(DEVICE, &handle), 0u);
  auto pending = StartHold(handle.get());
  m_server.DropHandle();
  ASSERT_TRUE(ReadyWithin(pending, 1000));
  EXPECT_EQ(pending.get().first, ERROR_CODE_DEVICE_NOT_CONNECTED);
  uint32_t returned = 0;
  EXPECT_EQ(handle->Control(ECHO, Bytes{1}, {}, &returned), ERROR_CODE_DEVICE_NOT_CONNECTED);
  ASSERT_TRUE(m_device.m_closed.Wait(5000));
  EXPECT_FALSE(m_server.HandleOpen());
  // Plugged back in: a new handle works.
  handle.reset();
  ASSERT_EQ(m_io.Open(DEVICE, &handle), 0u);
  Bytes out(1);
  EXPECT_EQ(handle->Control(ECHO, Bytes{5}, out, &returned), 0u);
}

TEST_F(DeviceEndpointTest, DriverProcessDyingFailsThePendingCall) {
  CForkedChild driver([&] {
    CTestDevice device;
    CDeviceEndpointServer server(m_paths, DEVICE, &device);
    if (server.Start() != 0) return 1;
    pause();
    return 0;
  });
  ASSERT_TRUE(test::WaitForPath(m_paths.DevicePath(DEVICE), 5000));
  std::unique_ptr<DeviceHandle> handle;
  ASSERT_EQ(m_io.Open(DEVICE, &handle), 0u);
  auto pending = std::async(std::launch::async, [&] {
    Bytes out(24);
    uint32_t returned = 0;
    return handle->ControlOverlapped(HOLD, {}, out, &returned);
  });
  Bytes out(2);
  uint32_t returned = 0;
  ASSERT_EQ(handle->Control(ECHO, Bytes{1, 2}, out, &returned), 0u);  // the driver is serving
  driver.Kill();
  ASSERT_EQ(pending.wait_for(Ms(2000)), std::future_status::ready);
  EXPECT_EQ(pending.get(), ERROR_CODE_DEVICE_NOT_CONNECTED);
}

// A raw SOCK_SEQPACKET peer for the framing tests.
int RawConnect(const std::string& path) {
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool RawReceive(int fd, Bytes* msg, int timeoutMs = 2000) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) != 1) return false;
  msg->resize(70000);
  ssize_t n = recv(fd, msg->data(), msg->size(), 0);
  if (n < 0) return false;
  msg->resize(static_cast<size_t>(n));
  return true;
}

Bytes Header(uint32_t id, uint32_t code, uint32_t outCap, uint32_t inLen, size_t extra) {
  Bytes b(16 + extra, 0);
  WriteU32(&b[0], id);
  WriteU32(&b[4], code);
  WriteU32(&b[8], outCap);
  WriteU32(&b[12], inLen);
  return b;
}

TEST_F(DeviceEndpointTest, ServerRejectsMalformedRequests) {
  ASSERT_EQ(m_server.Start(), 0u);
  int fd = RawConnect(m_server.Path());
  ASSERT_GE(fd, 0);
  Bytes msg;
  ASSERT_TRUE(RawReceive(fd, &msg));
  ASSERT_EQ(msg, EncodeDeviceAnswer(DEVICE_OPEN_CALL_ID, 0, {}));

  struct Case {
    const char* m_sWhat;
    Bytes m_message;
    bool m_bAnswered;  // with ERROR_CODE_INVALID_PARAMETER and the message's call id
  };
  const Case cases[] = {
      {"shorter than a call id", Bytes{1, 2, 3}, false},
      {"header cut short", Bytes{7, 0, 0, 0, ECHO, 0}, true},
      {"in length beyond the bytes sent", Header(8, ECHO, 4, 10, 4), true},
      {"bytes beyond the in length", Header(9, ECHO, 4, 0, 2), true},
      {"out capacity too large", Header(10, ECHO, DEVICE_MAX_DATA + 1, 0, 0), true},
      {"input too large", Header(11, ECHO, 0, DEVICE_MAX_DATA + 1, DEVICE_MAX_DATA + 1), true},
      {"call id 0 is the open answer's", Header(0, ECHO, 0, 0, 0), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.m_sWhat);
    ASSERT_EQ(send(fd, c.m_message.data(), c.m_message.size(), MSG_NOSIGNAL), static_cast<ssize_t>(c.m_message.size()));
    // A valid call right behind it: its answer must be the next message, unless the broken
    // one was answered first.
    Bytes valid = EncodeDeviceRequest(100, ECHO, 8, Bytes{1, 2});
    ASSERT_EQ(send(fd, valid.data(), valid.size(), MSG_NOSIGNAL), static_cast<ssize_t>(valid.size()));
    if (c.m_bAnswered) {
      ASSERT_TRUE(RawReceive(fd, &msg));
      EXPECT_EQ(msg, EncodeDeviceAnswer(ReadU32(c.m_message.data()), ERROR_CODE_INVALID_PARAMETER, {}));
    }
    ASSERT_TRUE(RawReceive(fd, &msg));
    EXPECT_EQ(msg, EncodeDeviceAnswer(100, 0, Bytes{2, 1}));
  }
  EXPECT_TRUE(m_server.HandleOpen());
  close(fd);
}

// Listens at the device's path and answers each request with whatever `answer` builds.
class CRawDriver {
 public:
  CRawDriver(const std::string& path, std::function<Bytes(const Bytes&)> answer, bool handshake = true)
      : m_answer(std::move(answer)) {
    m_listen = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    CPaths::EnsureDirectory(path.substr(0, path.rfind('/')));
    bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(m_listen, 4);
    m_thread = std::thread([this, handshake] {
      int fd = accept(m_listen, nullptr, nullptr);
      if (fd < 0) return;
      if (handshake) {
        Bytes hello = EncodeDeviceAnswer(0, 0, {});
        send(fd, hello.data(), hello.size(), MSG_NOSIGNAL);
        Bytes msg;
        while (RawReceive(fd, &msg, 5000) && !msg.empty()) {
          Bytes reply = m_answer(msg);
          send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
      }
      close(fd);
    });
  }
  ~CRawDriver() {
    shutdown(m_listen, SHUT_RDWR);
    m_thread.join();
    close(m_listen);
  }

 private:
  std::function<Bytes(const Bytes&)> m_answer;
  int m_listen = -1;
  std::thread m_thread;
};

TEST_F(DeviceEndpointTest, MalformedAnswersFailTheirCall) {
  // Each request's input names the fault to answer with.
  enum Fault : uint8_t { NONE, COUNT_BEYOND_BYTES, BYTES_BEYOND_COUNT, MORE_THAN_CAPACITY, SHORT_HEADER, OTHER_ID_FIRST };
  CRawDriver driver(m_paths.DevicePath(DEVICE), [](const Bytes& request) {
    uint32_t id = ReadU32(&request[0]);
    Bytes answer = EncodeDeviceAnswer(id, 0, Bytes{9, 9});
    switch (request.size() > 16 ? request[16] : static_cast<uint8_t>(NONE)) {
      case COUNT_BEYOND_BYTES: WriteU32(&answer[8], 3); break;
      case BYTES_BEYOND_COUNT: WriteU32(&answer[8], 1); break;
      case MORE_THAN_CAPACITY: answer = EncodeDeviceAnswer(id, 0, Bytes(8, 1)); break;
      case SHORT_HEADER: answer.resize(6); break;
      case OTHER_ID_FIRST: answer = EncodeDeviceAnswer(id + 1000, 0, Bytes{4}); break;
      default: break;
    }
    return answer;
  });
  CDeviceEndpointIo io(m_paths, 300);
  std::unique_ptr<DeviceHandle> handle;
  ASSERT_EQ(io.Open(DEVICE, &handle), 0u);
  const struct {
    Fault m_fault;
    uint32_t m_uExpected;
  } cases[] = {{NONE, 0}, {COUNT_BEYOND_BYTES, ERROR_CODE_INVALID_DATA}, {BYTES_BEYOND_COUNT, ERROR_CODE_INVALID_DATA},
               {MORE_THAN_CAPACITY, ERROR_CODE_INVALID_DATA}, {SHORT_HEADER, ERROR_CODE_INVALID_DATA},
               {OTHER_ID_FIRST, ERROR_CODE_TIMEOUT}, {NONE, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.m_fault));
    Bytes out(4, 0);
    uint32_t returned = 77;
    EXPECT_EQ(handle->Control(ECHO, Bytes{c.m_fault}, out, &returned), c.m_uExpected);
    EXPECT_EQ(returned, c.m_uExpected == 0 ? 2u : 0u);
  }
}

TEST_F(DeviceEndpointTest, OpenFailsWhenTheDriverHangsUpWithoutAnswering) {
  CRawDriver driver(m_paths.DevicePath(DEVICE), nullptr, false);
  std::unique_ptr<DeviceHandle> handle;
  EXPECT_EQ(m_io.Open(DEVICE, &handle), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_FALSE(handle);
}

TEST(DeviceEndpointFrame, FieldsAreLittleEndianAtFixedOffsets) {
  Bytes request = EncodeDeviceRequest(0x01020304, 0xF3054, 24, Bytes{0xAA, 0xBB});
  EXPECT_EQ(request, (Bytes{4, 3, 2, 1, 0x54, 0x30, 0x0F, 0, 24, 0, 0, 0, 2, 0, 0, 0, 0xAA, 0xBB}));
  DeviceRequestFrame frame;
  ASSERT_TRUE(DecodeDeviceRequest(request, &frame));
  EXPECT_EQ(frame.m_uCode, 0xF3054u);
  EXPECT_EQ(frame.m_in.size(), 2u);
  Bytes answer = EncodeDeviceAnswer(5, 31, Bytes{1});
  EXPECT_EQ(answer, (Bytes{5, 0, 0, 0, 31, 0, 0, 0, 1, 0, 0, 0, 1}));
  DeviceAnswerFrame a;
  ASSERT_TRUE(DecodeDeviceAnswer(answer, &a));
  EXPECT_EQ(a.m_uError, 31u);
  answer.push_back(0);
  EXPECT_FALSE(DecodeDeviceAnswer(answer, &a));
  EXPECT_EQ(a.m_uCallId, 5u);  // still there to route the failure
}

}  // namespace
}  // namespace kv
