// pansvc's command line, installation and service host, run as real processes.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <filesystem>

#include "common/SystemError.h"
#include "platform/ServiceStatusReporter.h"
#include "platform/posix/SqliteRegistry.h"
#include "tests/service/SystemFixture.h"

namespace kv::test {
namespace {

constexpr const char* SERVICE_KEY = "SYSTEM\\CurrentControlSet\\Services\\Pansvc";
constexpr const char* APPID_KEY = "AppID\\{9FBC2FBD-B4D2-42A6-8A13-41FFC24C4908}";

class PansvcHostTest : public CSystemFixture {
 protected:
  std::string Out() const { return m_prefix.Dir() + "/out.txt"; }
  std::string Err() const { return m_prefix.Dir() + "/err.txt"; }
  std::string Unit() const { return m_prefix.Dir() + "/units/pansvc.service"; }
  int Run(const std::vector<std::string>& args) { return RunProgram("pansvc", args, Out(), Err()); }
};

TEST_F(PansvcHostTest, InstallWritesTheServiceRecordAndUnitAndReconfiguresWhenRunTwice) {
  std::string units = m_prefix.Dir() + "/units";
  ASSERT_EQ(Run({"/INSTALL", "--unit-dir", units}), 0);
  ASSERT_EQ(Run({"-install", "--unit-dir", units}), 0) << ReadFile(Err());
  EXPECT_EQ(ReadFile(Err()), "");
  CSqliteRegistry registry(m_paths);
  const auto hklm = RegistryHive::LOCAL_MACHINE;
  struct Dword {
    const char* m_sName;
    uint32_t m_uValue;
  } dwords[] = {{"Type", 0x10}, {"Start", 2}, {"ErrorControl", 1}};
  for (const Dword& d : dwords) {
    uint32_t v = 0;
    EXPECT_EQ(registry.QueryDword(hklm, SERVICE_KEY, d.m_sName, &v), 0u) << d.m_sName;
    EXPECT_EQ(v, d.m_uValue) << d.m_sName;
  }
  struct Text {
    RegistryHive m_hive;
    const char* m_sKey;
    const char* m_sName;
    std::string m_sValue;
  } texts[] = {
      {hklm, SERVICE_KEY, "ImagePath", CChildProcess::BinaryPath("pansvc")},
      {hklm, SERVICE_KEY, "DependOnService", "RPCSS"},
      {hklm, SERVICE_KEY, "DisplayName", "KAVRO Touch Panel Service"},
      {hklm, SERVICE_KEY, "Description", "This service controls KAVRO Touch Panel."},
      {RegistryHive::CLASSES_ROOT, APPID_KEY, "", "Pansvc"},
      {RegistryHive::CLASSES_ROOT, APPID_KEY, "LocalService", "Pansvc"},
      {RegistryHive::CLASSES_ROOT, APPID_KEY, "ServiceParameters", "-Install"},
      {RegistryHive::CLASSES_ROOT, "AppID\\Pansvc.EXE", "AppID",
       "{9FBC2FBD-B4D2-42A6-8A13-41FFC24C4908}"},
  };
  for (const Text& t : texts) {
    std::string v;
    EXPECT_EQ(registry.QueryString(t.m_hive, t.m_sKey, t.m_sName, &v), 0u) << t.m_sName;
    EXPECT_EQ(v, t.m_sValue) << t.m_sName;
  }
  std::string unit = ReadFile(Unit());
  for (const char* line : {"Type=notify", "After=dbus.service", "WantedBy=multi-user.target",
                           "Environment=KV_SERVICE_MANAGER=1"})
    EXPECT_NE(unit.find(line), std::string::npos) << line;
  EXPECT_NE(unit.find("ExecStart=\"" + CChildProcess::BinaryPath("pansvc") + "\""),
            std::string::npos);
}

TEST_F(PansvcHostTest, UninstallRemovesEverythingAndSucceedsWhenAbsent) {
  std::string units = m_prefix.Dir() + "/units";
  ASSERT_EQ(Run({"-Install", "--unit-dir", units}), 0);
  ASSERT_EQ(Run({"/uninstall", "--unit-dir", units}), 0);
  CSqliteRegistry registry(m_paths);
  EXPECT_EQ(registry.OpenKey(RegistryHive::LOCAL_MACHINE, SERVICE_KEY), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(registry.OpenKey(RegistryHive::CLASSES_ROOT, APPID_KEY), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(Unit()));
  EXPECT_EQ(Run({"-UnInstall", "--unit-dir", units}), 0);
  EXPECT_EQ(ReadFile(Err()), "");
}

TEST_F(PansvcHostTest, WithoutItsAppIdKeyTheProgramEndsWithThatError) {
  EXPECT_EQ(Run({}), static_cast<int>(ERROR_CODE_FILE_NOT_FOUND));
  // A switch followed by more text is no switch: this is a start, too.
  EXPECT_EQ(Run({"-install", "now"}), static_cast<int>(ERROR_CODE_FILE_NOT_FOUND));
}

TEST_F(PansvcHostTest, WithoutLocalServiceItRunsAsAnOrdinaryProcessLoggingToStdout) {
  ASSERT_TRUE(Install());
  {
    CSqliteRegistry registry(m_paths);
    ASSERT_EQ(registry.DeleteValue(RegistryHive::CLASSES_ROOT, APPID_KEY, "LocalService"), 0u);
  }
  setenv("KV_SERVICE_MANAGER", "1", 1);  // even when a manager claims to have started it
  pid_t pid = fork();
  if (pid == 0) {
    freopen(Out().c_str(), "w", stdout);
    std::string path = CChildProcess::BinaryPath("pansvc");
    execl(path.c_str(), path.c_str(), nullptr);
    _exit(127);
  }
  unsetenv("KV_SERVICE_MANAGER");
  ASSERT_TRUE(WaitForPath(m_paths.PipePath(CONTROL_PIPE_NAME), 5000));
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(ReadFile(Out()).find("Pansvc -- Service started"), std::string::npos) << ReadFile(Out());
  uint32_t state = 0;
  EXPECT_EQ(CServiceStatusReporter::Query(m_paths, "Pansvc", &state), ERROR_CODE_FILE_NOT_FOUND);
}

// Started by the service manager: each state goes to the status file and to NOTIFY_SOCKET.
TEST_F(PansvcHostTest, AsAServiceItReportsEveryStateToTheManager) {
  ASSERT_TRUE(Install());
  std::string notifyPath = m_prefix.Dir() + "/notify";
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, notifyPath.c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  timeval tv{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  auto next = [&] {
    char buf[256];
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("(none)");
  };
  setenv("NOTIFY_SOCKET", notifyPath.c_str(), 1);
  pid_t pid = fork();
  if (pid == 0) {
    freopen(Out().c_str(), "w", stdout);
    std::string path = CChildProcess::BinaryPath("pansvc");
    execl(path.c_str(), path.c_str(), nullptr);
    _exit(127);
  }
  unsetenv("NOTIFY_SOCKET");
  EXPECT_EQ(next(), "STATUS=Starting");
  EXPECT_EQ(next(), "READY=1\nSTATUS=Running");
  uint32_t state = 0, reported = 0;
  ASSERT_EQ(CServiceStatusReporter::Query(m_paths, "Pansvc", &state, &reported), 0u);
  EXPECT_EQ(state, SERVICE_STATE_RUNNING);
  EXPECT_EQ(reported, static_cast<uint32_t>(pid));
  // Running means the pipes are there.
  EXPECT_EQ(SetPath(), 0u);
  kill(pid, SIGTERM);
  EXPECT_EQ(next(), "STOPPING=1\nSTATUS=Stopping");
  EXPECT_EQ(next(), "STATUS=Stopped");
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  ASSERT_EQ(CServiceStatusReporter::Query(m_paths, "Pansvc", &state), 0u);
  EXPECT_EQ(state, SERVICE_STATE_STOPPED);
  EXPECT_EQ(ReadFile(Out()), "");  // a service logs to syslog, not to standard output
  close(fd);
}

}  // namespace
}  // namespace kv::test
