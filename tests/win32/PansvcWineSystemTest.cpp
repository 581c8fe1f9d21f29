// pansvc.exe as the service control manager runs it: installed by its own command line,
// started and stopped with "net", serving its pipes to this process while the driver
// stand-in (kvtpd-sim.exe) takes the driver's place, then removed again. The names are the
// machine's own (no prefix): the test runs alone in its Wine prefix.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "common/CommandCodes.h"
#include "common/LittleEndian.h"
#include "common/PipeNames.h"
#include "common/SystemError.h"
#include "platform/PipeClient.h"
#include "platform/ServiceStatusReporter.h"
#include "platform/win32/Win32Registry.h"
#include "service/RequestClient.h"
#include "service/ServiceNames.h"
#include "tests/win32/WinProcess.h"

// After our names: <windows.h> defines some of them (SERVICE_CONTROL_STOP, ...) as macros
// of the same values.
#include <windows.h>

namespace kv::test {
namespace {

constexpr int PROGRAM_TIMEOUT_MS = 60000;

class PansvcWineSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CWinProcess::Run(Pansvc("-UnInstall"), PROGRAM_TIMEOUT_MS);  // a run that died half-way
    ASSERT_TRUE(m_standIn.Start(CWinProcess::Program("kvtpd-sim.exe")));
    // The pipe does not exist until the stand-in has made it; until then the wait says so.
    CPipeClient ctl(m_paths, "kvtpd700.ctl");
    uint32_t rc = ERROR_CODE_FILE_NOT_FOUND;
    for (int ms = 0; ms < PROGRAM_TIMEOUT_MS && rc == ERROR_CODE_FILE_NOT_FOUND; ms += 10) {
      rc = ctl.WaitForServer(PROGRAM_TIMEOUT_MS);
      if (rc == ERROR_CODE_FILE_NOT_FOUND) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(rc, 0u);
  }
  void TearDown() override {
    CWinProcess::Run("net stop Pansvc", PROGRAM_TIMEOUT_MS);
    CWinProcess::Run(Pansvc("-UnInstall"), PROGRAM_TIMEOUT_MS);
    Ctl("quit");
    DWORD code = 0;
    if (!m_standIn.WaitExit(10000, &code)) m_standIn.Kill();
  }

  static std::string Pansvc(const std::string& args) { return CWinProcess::Program("pansvc.exe") + " " + args; }

  // One line on the stand-in's control channel; its reply without the line end.
  std::string Ctl(const std::string& line) {
    CPipeClient ctl(m_paths, "kvtpd700.ctl");
    if (ctl.WaitForServer(5000) != 0 || ctl.Open() != 0) return "no channel";
    std::string text = line + "\n";
    size_t n = 0;
    if (ctl.Write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &n) != 0) return "write failed";
    std::string reply;
    uint8_t buffer[256];
    while (reply.find('\n') == std::string::npos) {
      if (ctl.Read(buffer, sizeof buffer, &n, 5000) != 0 || n == 0) return "read failed";
      reply.append(reinterpret_cast<const char*>(buffer), n);
    }
    return reply.substr(0, reply.find('\n'));
  }

  RequestAnswer Send(uint32_t command, std::vector<uint8_t> in, uint32_t outSize) {
    return CRequestClient::Send(m_paths, CONTROL_PIPE_NAME, command, in, outSize);
  }

  uint32_t State() {
    uint32_t state = 0;
    uint32_t rc = CServiceStatusReporter::Query(m_paths, "Pansvc", &state);
    return rc == 0 ? state : 1000 + rc;
  }

  bool WaitForState(uint32_t wanted) {
    for (int ms = 0; ms < PROGRAM_TIMEOUT_MS && State() != wanted; ms += 20)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return State() == wanted;
  }

  CPaths m_paths = CPaths::FromEnvironment();
  CWin32Registry m_registry;
  CWinProcess m_standIn;
};

TEST_F(PansvcWineSystemTest, InstallStartServeStopUninstall) {
  ASSERT_EQ(CWinProcess::Run(Pansvc("/INSTALL"), PROGRAM_TIMEOUT_MS), 0);
  // Installing again reconfigures the service instead of failing.
  ASSERT_EQ(CWinProcess::Run(Pansvc("-install"), PROGRAM_TIMEOUT_MS), 0);
  std::string text;
  EXPECT_EQ(m_registry.QueryString(RegistryHive::CLASSES_ROOT, SERVICE_APPID_KEY, "LocalService", &text), 0u);
  EXPECT_EQ(text, "Pansvc");
  EXPECT_EQ(m_registry.QueryString(RegistryHive::LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Pansvc",
                                   "DisplayName", &text),
            0u);
  EXPECT_EQ(text, "KAVRO Touch Panel Service");
  EXPECT_EQ(State(), SERVICE_STATE_STOPPED);

  ASSERT_EQ(CWinProcess::Run("net start Pansvc", PROGRAM_TIMEOUT_MS), 0);
  // Wine's net returns once the service has started, Windows' once it reports running.
  EXPECT_TRUE(WaitForState(SERVICE_STATE_RUNNING));

  // Before the device path nothing reaches the driver.
  EXPECT_EQ(Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24).m_uStatus, ERROR_CODE_FILE_NOT_FOUND);
  std::vector<uint8_t> path(260, 0);
  const std::string device = "\\\\.\\kvtpd700";
  std::copy(device.begin(), device.end(), path.begin());
  ASSERT_EQ(Send(COMMAND_SET_DEVICE_PATH, path, 260).m_uStatus, 0u);
  RequestAnswer info = Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(info.m_uStatus, 0u);
  EXPECT_EQ(info.m_uReturned, 24u);

  std::vector<uint8_t> enable(36, 0);
  enable[0] = 1;
  EXPECT_EQ(Send(COMMAND_SET_INPUT_ENABLE, enable, 36).m_uStatus, 0u);
  EXPECT_EQ(Ctl("settings").substr(0, 2), "01");
  // A settings command with the wrong size never reaches the driver.
  EXPECT_EQ(Send(COMMAND_SET_INPUT_ENABLE, std::vector<uint8_t>(24), 24).m_uStatus, ERROR_CODE_INVALID_PARAMETER);
  EXPECT_EQ(Ctl("settings").substr(0, 2), "01");

  ASSERT_EQ(Ctl("touch 1000 2000"), "ok");
  RequestAnswer take = Send(COMMAND_TAKE_TOUCH_POINT, std::vector<uint8_t>(24), 24);
  EXPECT_EQ(ReadI32(take.m_out.data()), 1000);
  EXPECT_EQ(ReadI32(take.m_out.data() + 4), 2000);
  EXPECT_EQ(Ctl("touchpoint").substr(0, 16), "ffffffffffffffff");

  // A length field that is not the byte count comes back with 87, otherwise unchanged.
  std::vector<uint8_t> wrong = CRequestClient::Build(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  WriteU32(wrong.data(), static_cast<uint32_t>(wrong.size() + 4));
  std::vector<uint8_t> sent = wrong;
  ASSERT_EQ(CRequestClient::Transact(m_paths, CONTROL_PIPE_NAME, &wrong, 5000), 0u);
  ASSERT_EQ(wrong.size(), sent.size());
  EXPECT_EQ(ReadU32(wrong.data() + 4), ERROR_CODE_INVALID_PARAMETER);
  EXPECT_TRUE(std::equal(sent.begin() + 8, sent.end(), wrong.begin() + 8));

  // The status wait on its own pipe stays pending until the driver's status changes.
  RequestAnswer waited;
  std::thread waiter([&] {
    waited = CRequestClient::Send(m_paths, STATUS_PIPE_NAME, COMMAND_WAIT_STATUS, std::vector<uint8_t>(24), 24, -1);
  });
  for (int i = 0; i < 10000 && Ctl("waiting") != "1"; i += 10) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(Ctl("status 0x10"), "ok");
  waiter.join();
  EXPECT_EQ(waited.m_uStatus, 0u);
  EXPECT_EQ(ReadU32(waited.m_out.data() + 16) & 0x10, 0x10u);

  // A wait still pending when the service stops ends with it; the stop does not hang on it.
  const std::string pendingBefore = Ctl("waiting");
  RequestAnswer cut;
  std::thread pending([&] {
    cut = CRequestClient::Send(m_paths, STATUS_PIPE_NAME, COMMAND_WAIT_STATUS, std::vector<uint8_t>(24), 24, -1);
  });
  for (int i = 0; i < 10000 && Ctl("waiting") == pendingBefore; i += 10)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(CWinProcess::Run("net stop Pansvc", PROGRAM_TIMEOUT_MS), 0);
  EXPECT_TRUE(WaitForState(SERVICE_STATE_STOPPED));
  pending.join();
  EXPECT_TRUE(cut.m_uTransport != 0 || cut.m_uStatus != 0);
  EXPECT_NE(CRequestClient::Send(m_paths, CONTROL_PIPE_NAME, COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24,
                                 200).m_uTransport,
            0u);

  ASSERT_EQ(CWinProcess::Run(Pansvc("/UnInstall"), PROGRAM_TIMEOUT_MS), 0);
  EXPECT_EQ(State(), 1000 + ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(m_registry.OpenKey(RegistryHive::CLASSES_ROOT, SERVICE_APPID_KEY), ERROR_CODE_FILE_NOT_FOUND);
  // Removing what is not there succeeds silently.
  EXPECT_EQ(CWinProcess::Run(Pansvc("-UnInstall"), PROGRAM_TIMEOUT_MS), 0);
}

// What the manager keeps of the registration. Wine ignores dependencies when it starts a
// service, so they are checked by reading them back.
TEST_F(PansvcWineSystemTest, RegistrationAsTheManagerKeepsIt) {
  ASSERT_EQ(CWinProcess::Run(Pansvc("-Install"), PROGRAM_TIMEOUT_MS), 0);
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  ASSERT_NE(manager, nullptr);
  SC_HANDLE service = OpenServiceA(manager, "Pansvc", SERVICE_QUERY_CONFIG);
  ASSERT_NE(service, nullptr);
  DWORD needed = 0;
  QueryServiceConfigA(service, nullptr, 0, &needed);
  std::vector<uint8_t> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  ASSERT_TRUE(QueryServiceConfigA(service, config, needed, &needed));
  EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
  EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(config->dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
  // Wine's manager answers without dependencies; the registration holds them.
  char dependencies[64] = {};
  DWORD size = sizeof dependencies, type = 0;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Pansvc", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "DependOnService", nullptr, &type, reinterpret_cast<BYTE*>(dependencies), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(std::string(dependencies, size), std::string("RPCSS\0\0", 7));
  EXPECT_STREQ(config->lpDisplayName, "Pansvc");
  EXPECT_NE(std::string(config->lpBinaryPathName).find("pansvc.exe"), std::string::npos);
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
}

// Registered, but started by hand: the dispatcher refuses, and the same bridge runs as an
// ordinary process.
TEST_F(PansvcWineSystemTest, StartedByHandRunsAsAnOrdinaryProcess) {
  ASSERT_EQ(CWinProcess::Run(Pansvc("-Install"), PROGRAM_TIMEOUT_MS), 0);
  CWinProcess byHand;
  ASSERT_TRUE(byHand.Start(Pansvc("")));
  RequestAnswer answer;
  for (int ms = 0; ms < PROGRAM_TIMEOUT_MS; ms += 50) {
    answer = Send(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
    if (answer.m_uTransport == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(answer.m_uTransport, 0u);
  EXPECT_EQ(answer.m_uStatus, ERROR_CODE_FILE_NOT_FOUND);  // no device path yet
  EXPECT_EQ(State(), SERVICE_STATE_STOPPED);  // the manager never heard of this run
}

}  // namespace
}  // namespace kv::test
