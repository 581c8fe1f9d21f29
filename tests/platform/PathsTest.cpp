#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Paths.h"
#include "tests/platform/ForkedChild.h"

namespace kv {
namespace {

const char kGuidName[] = "{A9898F7B-CD8F-42A8-A235-30478B75FEA1}";

TEST(Paths, FoldersUnderPrefix) {
  CPaths p = CPaths::UnderPrefix("/tmp/kvp");
  EXPECT_EQ(p.RunDir(), "/tmp/kvp/run");
  EXPECT_EQ(p.MachineRunDir(), "/tmp/kvp/run");
  EXPECT_EQ(p.MachineDir(), "/tmp/kvp/machine");
  EXPECT_EQ(p.UserDir(), "/tmp/kvp/user");
  EXPECT_EQ(p.MachineHivePath(), "/tmp/kvp/machine/registry.db");
  EXPECT_EQ(p.UserHivePath(), "/tmp/kvp/user/registry.db");
  EXPECT_EQ(p.HidDir(), "/tmp/kvp/run/hid");
  EXPECT_EQ(p.LockPath("KV_TOUCH_PANEL_DRIVER"), "/tmp/kvp/run/lock/KV_TOUCH_PANEL_DRIVER");
}

struct Mapping {
  std::string windowsName;
  std::string expected;
};

TEST(Paths, PipeNamesMapIntoThePipeFolder) {
  CPaths p = CPaths::UnderPrefix("/tmp/kvp");
  const std::string guid = kGuidName;
  const Mapping cases[] = {
      {"\\\\.\\pipe\\" + guid, "/tmp/kvp/run/pipe/" + guid},
      {"\\\\.\\PIPE\\" + guid, "/tmp/kvp/run/pipe/" + guid},  // Windows names ignore case
      {"\\\\.\\Pipe\\" + guid, "/tmp/kvp/run/pipe/" + guid},
      {guid, "/tmp/kvp/run/pipe/" + guid},                     // a bare name
      {"\\\\.\\pipe\\MixedCase", "/tmp/kvp/run/pipe/MixedCase"},  // the name keeps its case
  };
  for (const Mapping& m : cases) EXPECT_EQ(p.PipePath(m.windowsName), m.expected) << m.windowsName;
}

TEST(Paths, DeviceNamesMapIntoTheDeviceFolder) {
  CPaths p = CPaths::UnderPrefix("/tmp/kvp");
  const Mapping cases[] = {
      {"\\\\.\\kvtpd700", "/tmp/kvp/run/dev/kvtpd700"},
      {"\\\\.\\kvtpd800", "/tmp/kvp/run/dev/kvtpd800"},
      {"kvtpd700", "/tmp/kvp/run/dev/kvtpd700"},
  };
  for (const Mapping& m : cases) EXPECT_EQ(p.DevicePath(m.windowsName), m.expected) << m.windowsName;
}

// Device paths arrive from a pipe client (the device path command), so a hostile name
// must not reach anything outside its folder.
TEST(Paths, NamesCannotEscapeTheirFolder) {
  CPaths p = CPaths::UnderPrefix("/tmp/kvp");
  const std::string hostile[] = {
      "..",
      "\\\\.\\..",
      "\\\\.\\..\\..\\etc\\passwd",
      "../../etc/passwd",
      "/etc/passwd",
      "\\\\.\\pipe\\..",
      "\\\\.\\pipe\\../x",
      "a/../../b",
      "\\\\.\\kvtpd700\\..",
      "",
  };
  auto staysIn = [](const std::string& path, const std::string& folder) {
    if (path.rfind(folder, 0) != 0) return false;
    std::string rest = path.substr(folder.size());
    return rest.find('/') == std::string::npos && rest != "." && rest != "..";
  };
  for (const std::string& name : hostile) {
    EXPECT_TRUE(staysIn(p.DevicePath(name), "/tmp/kvp/run/dev/")) << name << " -> " << p.DevicePath(name);
    EXPECT_TRUE(staysIn(p.PipePath(name), "/tmp/kvp/run/pipe/")) << name << " -> " << p.PipePath(name);
    EXPECT_TRUE(staysIn(p.LockPath(name), "/tmp/kvp/run/lock/")) << name << " -> " << p.LockPath(name);
  }
}

TEST(Paths, NamespaceTagIsStableAndPerPrefix) {
  std::string a = CPaths::UnderPrefix("/tmp/kv-a").NamespaceTag();
  EXPECT_EQ(a, CPaths::UnderPrefix("/tmp/kv-a").NamespaceTag());
  EXPECT_NE(a, CPaths::UnderPrefix("/tmp/kv-b").NamespaceTag());
  EXPECT_NE(a, CPaths::UnderPrefix("/tmp/kv-a/sub").NamespaceTag());
  // Short and made of name-safe characters: it goes into shared-memory names.
  EXPECT_LE(a.size(), 16u);
  for (char c : a) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << a;
}

TEST(Paths, EnvironmentPrefixIsHonoured) {
  const char* old = std::getenv("KV_PREFIX");
  std::string saved = old ? old : "";
  setenv("KV_PREFIX", "/tmp/kv-env", 1);
  EXPECT_EQ(CPaths::FromEnvironment().RunDir(), "/tmp/kv-env/run");
  EXPECT_EQ(CPaths::FromEnvironment().NamespaceTag(), CPaths::UnderPrefix("/tmp/kv-env").NamespaceTag());
  setenv("KV_PREFIX", "", 1);  // empty counts as unset
  EXPECT_NE(CPaths::FromEnvironment().RunDir(), "/run");
  if (old) {
    setenv("KV_PREFIX", saved.c_str(), 1);
  } else {
    unsetenv("KV_PREFIX");
  }
}

// Pipes, driver devices and the service status belong to the machine: a user's tray
// program must find the service's pipe where the service (root) serves it, while its locks
// and session files stay in the user's own runtime folder.
TEST(Paths, UsersFindTheMachineObjectsWhereRootServesThem) {
  test::CForkedChild child([] {
    unsetenv("KV_PREFIX");
    setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    setenv("HOME", "/home/someone", 1);
    CPaths root = CPaths::FromEnvironment();
    if (geteuid() == 0 && (root.RunDir() != "/run/kavro" || root.MachineRunDir() != "/run/kavro")) return 1;
    if (geteuid() == 0 && setuid(65534) != 0) return 2;
    CPaths user = CPaths::FromEnvironment();
    if (user.RunDir() != "/run/user/4242/kavro") return 3;
    if (user.LockPath("KV_TOUCH_PANEL_DRIVER") != "/run/user/4242/kavro/lock/KV_TOUCH_PANEL_DRIVER") return 4;
    if (user.PipePath("\\\\.\\pipe\\P") != "/run/kavro/pipe/P") return 5;
    if (user.DevicePath("\\\\.\\kvtpd700") != "/run/kavro/dev/kvtpd700") return 6;
    if (user.MachineRunDir() != "/run/kavro" || user.UserDir() != "/home/someone/.local/share/kavro") return 7;
    return 0;
  });
  EXPECT_EQ(child.Wait(), 0);
}

TEST(Paths, ProgramDirectoryIsWhereTheTestRuns) {
  EXPECT_EQ(std::filesystem::path(CPaths::ProgramDirectory()),
            std::filesystem::path(KV_BINARY_DIR) / "bin");
}

TEST(Paths, EnsureDirectoryCreatesParents) {
  char pattern[] = "/tmp/kv_paths_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string root = pattern;
  EXPECT_TRUE(CPaths::EnsureDirectory(root + "/a/b/c", 0700));
  struct stat st;
  ASSERT_EQ(stat((root + "/a/b/c").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(CPaths::EnsureDirectory(root + "/a/b/c"));  // already there
  std::ofstream(root + "/file") << "x";
  EXPECT_FALSE(CPaths::EnsureDirectory(root + "/file"));
  EXPECT_FALSE(CPaths::EnsureDirectory(root + "/file/sub"));
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace kv
