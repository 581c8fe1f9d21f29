// The two-hive rules of the settings store against real SQLite hive files.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/posix/SqliteRegistry.h"
#include "tabrix/app/SettingsStore.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

constexpr RegistryHive HKCU = RegistryHive::CURRENT_USER;
constexpr RegistryHive HKLM = RegistryHive::LOCAL_MACHINE;
const std::string kModelKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";

class CNoParameters final : public SystemParameters {
 public:
  uint32_t Get(SystemParameter, uint32_t* value) override {
    *value = 0;
    return 0;
  }
  uint32_t Set(SystemParameter, uint32_t, uint32_t) override { return 0; }
};

class SettingsHiveTest : public ::testing::Test {
 protected:
  std::unique_ptr<CSqliteRegistry> OpenRegistry() {
    CSqliteRegistry::Options options;
    options.m_log = [](const std::string&) {};
    return std::make_unique<CSqliteRegistry>(m_prefix.Paths(), options);
  }
  uint32_t StoredDword(Registry& reg, RegistryHive hive, const std::string& name) {
    uint32_t v = 0;
    return reg.QueryDword(hive, kModelKey, name, &v) == 0 ? v : 0xDEADu;
  }
  test::CTempPrefix m_prefix;
  CNoParameters m_parameters;
};

// Runs `body` in a child process that has given up root rights, so that file modes apply;
// the child reports failed checks as text.
std::string RunWithoutRoot(const std::function<void(std::string*)>& body) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  pid_t pid = fork();
  if (pid < 0) return "fork failed";
  if (pid == 0) {
    close(fds[0]);
    std::string failures;
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
      failures = "cannot give up root rights";
    else
      body(&failures);
    ssize_t ignored = write(fds[1], failures.data(), failures.size());
    (void)ignored;
    _exit(0);
  }
  close(fds[1]);
  std::string out;
  char buf[256];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) out += " child ended abnormally";
  return out;
}

TEST_F(SettingsHiveTest, ReadOnlyMachineHiveLeavesTheUserCopyInForce) {
  {
    auto reg = OpenRegistry();
    SettingsStore store(*reg, m_parameters);
    store.SetInputMode(1);
    store.SetDelayTime(5);
    ASSERT_EQ(StoredDword(*reg, HKLM, "InputMode"), 1u);
    ASSERT_EQ(StoredDword(*reg, HKCU, "InputMode"), 1u);
  }
  // The machine hive belongs to the administrator; the user owns his own hive.
  const CPaths paths = m_prefix.Paths();
  chmod(m_prefix.Dir().c_str(), 0755);
  chmod(paths.UserDir().c_str(), 0777);
  chmod(paths.UserHivePath().c_str(), 0666);
  chmod(paths.MachineHivePath().c_str(), 0444);
  chmod(paths.MachineDir().c_str(), 0555);

  std::string failures = RunWithoutRoot([&](std::string* f) {
    auto reg = OpenRegistry();
    SettingsStore store(*reg, m_parameters);
    store.SetInputMode(2);
    store.SetDelayTime(9);  // machine-only: goes nowhere for this user
    if (store.GetInputMode() != 2) *f += "user copy not read; ";
    if (store.GetDelayTime() != 5) *f += "machine-only value changed; ";
    if (StoredDword(*reg, HKLM, "InputMode") != 1) *f += "machine hive written; ";
  });
  chmod(paths.MachineDir().c_str(), 0755);
  EXPECT_EQ(failures, "");

  auto reg = OpenRegistry();
  SettingsStore store(*reg, m_parameters);
  EXPECT_EQ(store.GetInputMode(), 2u) << "the user copy shadows the machine copy";
  EXPECT_EQ(StoredDword(*reg, HKLM, "InputMode"), 1u);
  EXPECT_EQ(StoredDword(*reg, HKCU, "DelayTime"), 0xDEADu);
}

// The read rules with values placed in each hive file directly.
struct HiveCase {
  const char* m_pName;
  std::function<void(Registry&)> m_place;
  std::function<void(SettingsStore&)> m_check;
};
void PrintTo(const HiveCase& c, std::ostream* os) { *os << c.m_pName; }

class SettingsHiveRead : public SettingsHiveTest, public ::testing::WithParamInterface<HiveCase> {};

TEST_P(SettingsHiveRead, FollowsHiveOrder) {
  {
    auto reg = OpenRegistry();
    GetParam().m_place(*reg);
  }
  auto reg = OpenRegistry();
  SettingsStore store(*reg, m_parameters);
  GetParam().m_check(store);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsHiveRead,
    ::testing::Values(
        HiveCase{"nothing_stored",
                 [](Registry&) {},
                 [](SettingsStore& s) {
                   EXPECT_EQ(s.GetDblClick(), 32u);
                   EXPECT_EQ(s.GetCalibShortKey(), "D");
                 }},
        HiveCase{"sentinel_in_user_hive",
                 [](Registry& r) {
                   r.SetDword(HKCU, kModelKey, "DblClick", 999999);
                   r.SetDword(HKLM, kModelKey, "DblClick", 40);
                 },
                 [](SettingsStore& s) { EXPECT_EQ(s.GetDblClick(), 40u); }},
        HiveCase{"user_shadows_machine",
                 [](Registry& r) {
                   r.SetDword(HKLM, kModelKey, "PenButon", 1);
                   r.SetDword(HKCU, kModelKey, "penbuton", 0x100);
                 },
                 [](SettingsStore& s) { EXPECT_EQ(s.GetPenButon(), 0x100u); }},
        HiveCase{"empty_user_text",
                 [](Registry& r) {
                   r.SetString(HKCU, kModelKey, "CalibEasyKey", "");
                   r.SetString(HKLM, kModelKey, "CalibEasyKey", "E");
                 },
                 [](SettingsStore& s) { EXPECT_EQ(s.GetCalibEasyKey(), "E"); }},
        HiveCase{"value_of_other_type",
                 [](Registry& r) {
                   r.SetString(HKCU, kModelKey, "RotationAngle", "90");
                   r.SetDword(HKLM, kModelKey, "RotationAngle", 180);
                 },
                 [](SettingsStore& s) { EXPECT_EQ(s.GetRotationAngle(), 180u); }}),
    [](const auto& info) { return std::string(info.param.m_pName); });

TEST_F(SettingsHiveTest, WriteRulesReachTheRightHiveFiles) {
  {
    auto reg = OpenRegistry();
    SettingsStore store(*reg, m_parameters);
    store.SetDelayTime(100);
    store.SetRegionDetection(0);
    store.SetInstallerMode(true);
    store.SetRotationAngle(90);
  }
  auto reg = OpenRegistry();
  EXPECT_EQ(StoredDword(*reg, HKLM, "DelayTime"), 100u);
  EXPECT_EQ(StoredDword(*reg, HKCU, "DelayTime"), 0xDEADu);
  EXPECT_EQ(StoredDword(*reg, HKLM, "RegionDetection"), 0u);
  EXPECT_EQ(StoredDword(*reg, HKCU, "RegionDetection"), 0u);
  EXPECT_EQ(StoredDword(*reg, HKLM, "RotationAngle"), 90u);
  EXPECT_EQ(StoredDword(*reg, HKCU, "RotationAngle"), 0xDEADu);
}

}  // namespace
}  // namespace kv
