// The service's pipes on the system's own named pipes: one instance, busy for the second
// client, a stop that wakes a blocked wait, and the security descriptor as the system keeps it.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <thread>
#include <vector>

#include "common/SystemError.h"
#include "platform/PipeClient.h"
#include "platform/PipeServer.h"
#include "platform/win32/PipeSecurity.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

const char* const PIPE = "\\\\.\\pipe\\{kv-win32-test-pipe}";

// Serves one client: reads one message and writes it back reversed.
void ServeOnce(CPipeServer* server, uint32_t* result) {
  *result = server->Connect(nullptr);
  if (*result) return;
  std::vector<uint8_t> buffer(1024);
  size_t n = 0;
  *result = server->Read(buffer.data(), buffer.size(), &n, 5000);
  if (*result) return;
  buffer.resize(n);
  std::vector<uint8_t> answer(buffer.rbegin(), buffer.rend());
  *result = server->Write(answer.data(), answer.size());
  server->Disconnect();
}

class Win32PipeTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
};

TEST_F(Win32PipeTest, OneRequestComesBackAsTheServerWroteIt) {
  CPipeServer server(m_paths, PIPE);
  ASSERT_EQ(server.Create(), 0u);
  uint32_t served = 1;
  std::thread thread(ServeOnce, &server, &served);
  CPipeClient client(m_paths, PIPE);
  ASSERT_EQ(client.WaitForServer(5000), 0u);
  ASSERT_EQ(client.Open(), 0u);
  const uint8_t request[] = {1, 2, 3, 4, 5};
  size_t n = 0;
  ASSERT_EQ(client.Write(request, sizeof request, &n), 0u);
  EXPECT_EQ(n, sizeof request);
  uint8_t answer[16] = {};
  ASSERT_EQ(client.Read(answer, sizeof answer, &n, 5000), 0u);
  thread.join();
  EXPECT_EQ(served, 0u);
  EXPECT_EQ(std::vector<uint8_t>(answer, answer + n), (std::vector<uint8_t>{5, 4, 3, 2, 1}));
}

TEST_F(Win32PipeTest, AbsentBusyAndSecondServerGetTheSystemCodes) {
  CPipeClient client(m_paths, PIPE);
  EXPECT_EQ(client.Open(), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(client.WaitForServer(10), ERROR_CODE_FILE_NOT_FOUND);
  CPipeServer server(m_paths, PIPE);
  ASSERT_EQ(server.Create(), 0u);
  CPipeServer second(m_paths, PIPE);
  EXPECT_EQ(second.Create(), ERROR_CODE_PIPE_BUSY);
  ASSERT_EQ(client.Open(), 0u);
  CPipeClient other(m_paths, PIPE);
  EXPECT_EQ(other.Open(), ERROR_CODE_PIPE_BUSY);
  EXPECT_EQ(other.WaitForServer(50), ERROR_CODE_TIMEOUT);
}

TEST_F(Win32PipeTest, StopWakesABlockedConnectAndABlockedRead) {
  for (bool withClient : {false, true}) {
    SCOPED_TRACE(withClient ? "read" : "connect");
    CPipeServer server(m_paths, PIPE);
    ASSERT_EQ(server.Create(), 0u);
    uint32_t result = 0;
    std::thread thread(ServeOnce, &server, &result);
    CPipeClient client(m_paths, PIPE);
    if (withClient) {
      ASSERT_EQ(client.Open(), 0u);
    }
    server.Stop();
    thread.join();
    EXPECT_EQ(result, ERROR_CODE_OPERATION_ABORTED);
    EXPECT_TRUE(server.Stopped());
  }
}

TEST_F(Win32PipeTest, SilentClientTimesOutAndAHangUpReadsEmpty) {
  CPipeServer server(m_paths, PIPE);
  ASSERT_EQ(server.Create(), 0u);
  CPipeClient client(m_paths, PIPE);
  ASSERT_EQ(client.Open(), 0u);
  ASSERT_EQ(server.Connect(nullptr), 0u);
  uint8_t buffer[8];
  size_t n = 99;
  EXPECT_EQ(server.Read(buffer, sizeof buffer, &n, 20), ERROR_CODE_TIMEOUT);
  client.Close();
  EXPECT_EQ(server.Read(buffer, sizeof buffer, &n, 5000), 0u);
  EXPECT_EQ(n, 0u);
  server.Disconnect();
  // Between the disconnect and the next connect the pipe is busy; a client that waits for it
  // gets in once the server listens again.
  EXPECT_EQ(client.Open(), ERROR_CODE_PIPE_BUSY);
  uint32_t connected = 1;
  std::thread thread([&] { connected = server.Connect(nullptr); });
  EXPECT_EQ(client.WaitForServer(5000), 0u);
  EXPECT_EQ(client.Open(), 0u);
  thread.join();
  EXPECT_EQ(connected, 0u);
}

// The system does not enforce the DACL under every host (Wine does not); what it keeps for
// the pipe is what the service asked for, read back here.
TEST_F(Win32PipeTest, PipeCarriesTheServiceDacl) {
  CPipeServer server(m_paths, PIPE);
  ASSERT_EQ(server.Create(), 0u);
  HANDLE pipe = CreateFileA(server.Path().c_str(), READ_CONTROL, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE) << GetLastError();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  ASSERT_EQ(GetSecurityInfo(pipe, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  char* text = nullptr;
  ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                                   DACL_SECURITY_INFORMATION, &text, nullptr));
  std::string sddl = text;
  LocalFree(text);
  LocalFree(descriptor);
  CloseHandle(pipe);
  // The same ACEs in the same order: deny guests and anonymous, then the two allows.
  PSECURITY_DESCRIPTOR expected = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(PIPE_SECURITY_SDDL, SDDL_REVISION_1,
                                                                   &expected, nullptr));
  ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(expected, SDDL_REVISION_1,
                                                                   DACL_SECURITY_INFORMATION, &text, nullptr));
  std::string wanted = text;
  LocalFree(text);
  LocalFree(expected);
  EXPECT_EQ(sddl, wanted);
}

}  // namespace
}  // namespace kv
