#include "platform/posix/SqliteRegistry.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>

#include "common/SystemError.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

constexpr RegistryHive HKLM = RegistryHive::LOCAL_MACHINE;
constexpr RegistryHive HKCU = RegistryHive::CURRENT_USER;
constexpr RegistryHive HKCR = RegistryHive::CLASSES_ROOT;
const std::string kSetting = "SOFTWARE\\KAVRO\\Corvane\\Setting";

std::string ReadBytes(const std::string& path) {
  if (std::filesystem::is_directory(path)) return "<folder>";
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

class SqliteRegistryTest : public ::testing::Test {
 protected:
  std::unique_ptr<CSqliteRegistry> Make() {
    CSqliteRegistry::Options options;
    options.m_log = [this](const std::string& line) {
      std::lock_guard<std::mutex> lock(m_logMutex);
      m_log.push_back(line);
    };
    return std::make_unique<CSqliteRegistry>(m_prefix.Paths(), options);
  }
  size_t LogLines() {
    std::lock_guard<std::mutex> lock(m_logMutex);
    return m_log.size();
  }
  std::string MachineHive() { return m_prefix.Paths().MachineHivePath(); }
  std::string UserHive() { return m_prefix.Paths().UserHivePath(); }

  test::CTempPrefix m_prefix;
  std::mutex m_logMutex;
  std::vector<std::string> m_log;
};

TEST_F(SqliteRegistryTest, ValuesKeepTheirType) {
  auto reg = Make();
  ASSERT_EQ(0u, reg->SetDword(HKCU, kSetting, "LogSize", 4096));
  ASSERT_EQ(0u, reg->SetString(HKCU, kSetting, "LogFileName", "trace.log"));
  uint32_t number = 0;
  std::string text;
  EXPECT_EQ(0u, reg->QueryDword(HKCU, kSetting, "LogSize", &number));
  EXPECT_EQ(4096u, number);
  EXPECT_EQ(ERROR_CODE_INVALID_DATA, reg->QueryString(HKCU, kSetting, "LogSize", &text));
  EXPECT_EQ(0u, reg->QueryString(HKCU, kSetting, "LogFileName", &text));
  EXPECT_EQ("trace.log", text);
  EXPECT_EQ(ERROR_CODE_INVALID_DATA, reg->QueryDword(HKCU, kSetting, "LogFileName", &number));

  // Rewriting a value with the other type replaces the type as well.
  ASSERT_EQ(0u, reg->SetString(HKCU, kSetting, "LogSize", "16"));
  RegistryValue value;
  ASSERT_EQ(0u, reg->QueryValue(HKCU, kSetting, "LogSize", &value));
  EXPECT_EQ(REG_TYPE_SZ, value.m_uType);
  EXPECT_EQ("16", value.m_sText);

  // The full DWORD range survives, and the empty name is the key's default value.
  ASSERT_EQ(0u, reg->SetDword(HKCU, kSetting, "", 0xFFFFFFFFu));
  EXPECT_EQ(0u, reg->QueryDword(HKCU, kSetting, "", &number));
  EXPECT_EQ(0xFFFFFFFFu, number);
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->QueryDword(HKCU, kSetting, "Absent", &number));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->QueryDword(HKCU, kSetting + "\\X", "LogSize", &number));
}

TEST_F(SqliteRegistryTest, TextStoredWithTerminatingZeroReadsAsWithout) {
  auto reg = Make();
  ASSERT_EQ(0u, reg->SetString(HKLM, kSetting, "CalibShortKey", std::string("D\0", 2)));
  std::string text;
  ASSERT_EQ(0u, reg->QueryString(HKLM, kSetting, "CalibShortKey", &text));
  EXPECT_EQ("D", text);
}

TEST_F(SqliteRegistryTest, KeysAndNamesIgnoreCaseAndKeepFirstSpelling) {
  auto reg = Make();
  ASSERT_EQ(0u, reg->SetDword(HKCU, "Software\\Kavro\\Corvane", "InputMode", 1));
  // Leading, trailing and doubled separators name the same key.
  EXPECT_EQ(0u, reg->OpenKey(HKCU, "\\SOFTWARE\\\\kavro\\CORVANE\\"));
  ASSERT_EQ(0u, reg->SetDword(HKCU, "software\\KAVRO\\corvane", "INPUTMODE", 2));
  ASSERT_EQ(0u, reg->CreateKey(HKCU, "SOFTWARE\\KAVRO\\Other"));
  uint32_t number = 0;
  EXPECT_EQ(0u, reg->QueryDword(HKCU, "Software\\Kavro\\Corvane", "inputmode", &number));
  EXPECT_EQ(2u, number);

  std::string name;
  ASSERT_EQ(0u, reg->EnumSubkey(HKCU, "", 0, &name));
  EXPECT_EQ("Software", name);
  ASSERT_EQ(0u, reg->EnumSubkey(HKCU, "software", 0, &name));
  EXPECT_EQ("Kavro", name);
  EXPECT_EQ(ERROR_CODE_NO_MORE_ITEMS, reg->EnumSubkey(HKCU, "software", 1, &name));
  ASSERT_EQ(0u, reg->EnumSubkey(HKCU, "software\\kavro", 0, &name));
  EXPECT_EQ("Corvane", name);

  // Creating a key created its parents.
  EXPECT_EQ(0u, reg->OpenKey(HKCU, "Software"));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->OpenKey(HKCU, "Software\\Kav"));
}

TEST_F(SqliteRegistryTest, SubkeysEnumerateInWindowsOrderAndEndWith259) {
  auto reg = Make();
  const std::string preset = "SOFTWARE\\KAVRO\\Corvane\\PresetHWD\\VT-R700A";
  for (const char* key : {"b", "A_B", "1920_1080", "AB", "a1", "C", "01920_1080"}) {
    ASSERT_EQ(0u, reg->CreateKey(HKLM, preset + "\\" + key)) << key;
  }
  ASSERT_EQ(0u, reg->CreateKey(HKLM, preset + "\\AB\\NORMAL"));  // not a direct subkey
  // Names compare upper-cased, so "_" sorts after the letters.
  const std::vector<std::string> expected = {"01920_1080", "1920_1080", "a1", "AB", "A_B", "b",
                                             "C"};
  std::vector<std::string> seen;
  uint32_t rc = 0;
  std::string name;
  for (uint32_t i = 0; (rc = reg->EnumSubkey(HKLM, preset, i, &name)) == 0 && i < 20; ++i) {
    seen.push_back(name);
  }
  EXPECT_EQ(expected, seen);
  EXPECT_EQ(ERROR_CODE_NO_MORE_ITEMS, rc);
  EXPECT_EQ(ERROR_CODE_NO_MORE_ITEMS, reg->EnumSubkey(HKLM, preset + "\\C", 0, &name));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->EnumSubkey(HKLM, preset + "\\D", 0, &name));
}

TEST_F(SqliteRegistryTest, DeleteKeyTakesSubkeysAndValuesButNotNeighbours) {
  auto reg = Make();
  const std::string base = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";
  ASSERT_EQ(0u, reg->SetString(HKCU, base + "\\1920_1080", "CalibRatioX", "1.000000"));
  ASSERT_EQ(0u, reg->SetString(HKCU, base + "\\1920_1080\\Deep\\Deeper", "X", "1"));
  ASSERT_EQ(0u, reg->SetDword(HKCU, base, "OSDmode", 1));
  // Neighbours whose names start with the deleted one, or sort next to its children.
  ASSERT_EQ(0u, reg->SetDword(HKCU, base + "\\1920_10800", "Keep", 1));
  ASSERT_EQ(0u, reg->SetDword(HKCU, base + "\\1920_1080]", "Keep", 2));
  ASSERT_EQ(0u, reg->SetDword(HKCU, base + "\\1920_1080[", "Keep", 3));

  ASSERT_EQ(0u, reg->DeleteKey(HKCU, base + "\\1920_1080"));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->OpenKey(HKCU, base + "\\1920_1080"));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->OpenKey(HKCU, base + "\\1920_1080\\Deep\\Deeper"));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->DeleteKey(HKCU, base + "\\1920_1080"));
  uint32_t number = 0;
  EXPECT_EQ(0u, reg->QueryDword(HKCU, base, "OSDmode", &number));
  for (const char* neighbour : {"\\1920_10800", "\\1920_1080]", "\\1920_1080["}) {
    EXPECT_EQ(0u, reg->QueryDword(HKCU, base + neighbour, "Keep", &number)) << neighbour;
  }
  // A key made again under the same name starts empty.
  ASSERT_EQ(0u, reg->CreateKey(HKCU, base + "\\1920_1080"));
  std::string text;
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND,
            reg->QueryString(HKCU, base + "\\1920_1080", "CalibRatioX", &text));
  std::string name;
  EXPECT_EQ(ERROR_CODE_NO_MORE_ITEMS, reg->EnumSubkey(HKCU, base + "\\1920_1080", 0, &name));
  EXPECT_EQ(ERROR_CODE_INVALID_PARAMETER, reg->DeleteKey(HKCU, "\\"));
}

TEST_F(SqliteRegistryTest, DeleteValueRemovesOnlyThatValue) {
  auto reg = Make();
  ASSERT_EQ(0u, reg->SetDword(HKLM, kSetting, "DelayTime", 5));
  ASSERT_EQ(0u, reg->SetDword(HKLM, kSetting, "SleepTime", 6));
  EXPECT_EQ(0u, reg->DeleteValue(HKLM, kSetting, "delaytime"));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->DeleteValue(HKLM, kSetting, "DelayTime"));
  uint32_t number = 0;
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->QueryDword(HKLM, kSetting, "DelayTime", &number));
  EXPECT_EQ(0u, reg->QueryDword(HKLM, kSetting, "SleepTime", &number));
  EXPECT_EQ(0u, reg->OpenKey(HKLM, kSetting));
}

TEST_F(SqliteRegistryTest, HivesAreSeparate) {
  auto reg = Make();
  const std::string appId = "AppID\\{9FBC2FBD-B4D2-42A6-8A13-41FFC24C4908}";
  ASSERT_EQ(0u, reg->SetString(HKCR, appId, "LocalService", "Pansvc"));
  EXPECT_TRUE(Exists(MachineHive()));
  EXPECT_FALSE(Exists(UserHive()));
  std::string text;
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->QueryString(HKLM, appId, "LocalService", &text));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->QueryString(HKCU, appId, "LocalService", &text));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->OpenKey(HKLM, "AppID"));

  ASSERT_EQ(0u, reg->SetDword(HKLM, kSetting, "InputMode", 1));
  ASSERT_EQ(0u, reg->SetDword(HKCU, kSetting, "InputMode", 2));
  ASSERT_EQ(0u, reg->SetDword(HKCR, kSetting, "InputMode", 3));
  uint32_t number = 0;
  for (auto [hive, expected] : {std::pair{HKLM, 1u}, {HKCU, 2u}, {HKCR, 3u}}) {
    EXPECT_EQ(0u, reg->QueryDword(hive, kSetting, "InputMode", &number));
    EXPECT_EQ(expected, number);
  }
  ASSERT_EQ(0u, reg->DeleteKey(HKLM, "SOFTWARE"));
  EXPECT_EQ(0u, reg->QueryDword(HKCR, kSetting, "InputMode", &number));
  EXPECT_EQ(0u, reg->QueryDword(HKCU, kSetting, "InputMode", &number));

  // Another object sees what this one stored.
  reg.reset();
  auto again = Make();
  EXPECT_EQ(0u, again->QueryString(HKCR, appId, "LocalService", &text));
  EXPECT_EQ("Pansvc", text);
}

TEST_F(SqliteRegistryTest, ReadingAMissingHiveCreatesNothing) {
  auto reg = Make();
  uint32_t number = 0;
  std::string name;
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->QueryDword(HKLM, kSetting, "USBPort", &number));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->OpenKey(HKCU, kSetting));
  EXPECT_EQ(0u, reg->OpenKey(HKCU, ""));  // a root always exists
  EXPECT_EQ(ERROR_CODE_NO_MORE_ITEMS, reg->EnumSubkey(HKCR, "", 0, &name));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->EnumSubkey(HKCR, "AppID", 0, &name));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->DeleteValue(HKLM, kSetting, "USBPort"));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->DeleteKey(HKCU, kSetting));
  EXPECT_FALSE(Exists(m_prefix.Paths().MachineDir()));
  EXPECT_FALSE(Exists(m_prefix.Paths().UserDir()));
  EXPECT_EQ(0u, LogLines());

  // The first write creates folder and file.
  ASSERT_EQ(0u, reg->SetDword(HKCU, kSetting, "USBPort", 1));
  EXPECT_EQ(0u, reg->QueryDword(HKCU, kSetting, "USBPort", &number));
  EXPECT_TRUE(Exists(UserHive()));
}

TEST_F(SqliteRegistryTest, RejectsNamesWindowsRejects) {
  auto reg = Make();
  EXPECT_EQ(ERROR_CODE_INVALID_PARAMETER, reg->CreateKey(HKCU, "A\\" + std::string(256, 'k')));
  EXPECT_EQ(0u, reg->CreateKey(HKCU, "A\\" + std::string(255, 'k')));
  EXPECT_EQ(ERROR_CODE_INVALID_PARAMETER, reg->SetDword(HKCU, "A", std::string("x\0y", 3), 1));
  EXPECT_EQ(ERROR_CODE_INVALID_PARAMETER, reg->OpenKey(HKCU, std::string("A\0B", 3)));
  EXPECT_EQ(ERROR_CODE_INVALID_PARAMETER, reg->OpenKey(static_cast<RegistryHive>(7), "A"));
}

TEST_F(SqliteRegistryTest, ThreadsShareOneObject) {
  auto reg = Make();
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 100; ++i) {
        std::string name = "t" + std::to_string(t) + "_" + std::to_string(i);
        RegistryHive hive = t % 2 ? HKCU : HKLM;
        uint32_t number = 0;
        if (reg->SetDword(hive, kSetting, name, i) != 0) ++failures[t];
        if (reg->QueryDword(hive, kSetting, name, &number) != 0 || number != uint32_t(i)) {
          ++failures[t];
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(std::vector<int>(4, 0), failures);
}

// Two processes writing the same hive at once, starting before the file exists.
TEST_F(SqliteRegistryTest, TwoProcessesWritingOneHiveLoseNothing) {
  constexpr int kValues = 500;
  std::vector<pid_t> writers;
  for (int writer = 0; writer < 2; ++writer) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int failures = 0;
      {
        CSqliteRegistry reg(m_prefix.Paths());
        for (int i = 0; i < kValues; ++i) {
          std::string name = "w" + std::to_string(writer) + "_" + std::to_string(i);
          if (reg.SetDword(HKCU, kSetting, name, writer * 1000 + i) != 0) ++failures;
        }
      }
      _exit(failures > 100 ? 100 : failures);
    }
    writers.push_back(pid);
  }
  for (pid_t pid : writers) {
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "writes that failed in one writer";
  }
  auto reg = Make();
  int missing = 0;
  for (int writer = 0; writer < 2; ++writer) {
    for (int i = 0; i < kValues; ++i) {
      uint32_t number = 0;
      std::string name = "w" + std::to_string(writer) + "_" + std::to_string(i);
      if (reg->QueryDword(HKCU, kSetting, name, &number) != 0 ||
          number != uint32_t(writer * 1000 + i)) {
        ++missing;
      }
    }
  }
  EXPECT_EQ(0, missing);
}

// How a hive file can be spoiled; each one must be left byte for byte as it is.
enum class Spoil { GARBAGE, FOREIGN_SCHEMA, DAMAGED_PAGE, DIRECTORY };

class SpoiltHiveTest : public SqliteRegistryTest, public ::testing::WithParamInterface<Spoil> {
 protected:
  void SpoilMachineHive() {
    switch (GetParam()) {
      case Spoil::GARBAGE: {
        std::string bytes;
        for (int i = 0; i < 5000; ++i) bytes += static_cast<char>((i * 7919) % 251);
        WriteBytes(MachineHive(), bytes);
        break;
      }
      case Spoil::FOREIGN_SCHEMA: {
        std::filesystem::create_directories(m_prefix.Paths().MachineDir());
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(MachineHive().c_str(), &db));
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "CREATE TABLE settings(k TEXT, v TEXT);"
                                              "INSERT INTO settings VALUES('a', 'b');",
                                          nullptr, nullptr, nullptr));
        sqlite3_close(db);
        break;
      }
      case Spoil::DAMAGED_PAGE: {
        {
          CSqliteRegistry reg(m_prefix.Paths());
          for (int i = 0; i < 200; ++i) {
            ASSERT_EQ(0u, reg.SetString(HKLM, kSetting, "V" + std::to_string(i),
                                        std::string(100, 'x')));
          }
        }
        std::string bytes = ReadBytes(MachineHive());
        ASSERT_GT(bytes.size(), 3 * 4096u);
        for (size_t i = 4096; i < 2 * 4096; ++i) bytes[i] = static_cast<char>(0xA5);
        WriteBytes(MachineHive(), bytes);
        break;
      }
      case Spoil::DIRECTORY:
        std::filesystem::create_directories(MachineHive());
        break;
    }
  }
};

TEST_P(SpoiltHiveTest, ReadsAsAbsentWritesFailFileUntouchedOneLogLine) {
  SpoilMachineHive();
  std::string before = ReadBytes(MachineHive());
  auto reg = Make();
  uint32_t number = 0;
  std::string text;
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->QueryDword(HKLM, kSetting, "V1", &number));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->QueryString(HKLM, kSetting, "V1", &text));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->OpenKey(HKCR, "AppID"));
  EXPECT_EQ(ERROR_CODE_FILE_NOT_FOUND, reg->EnumSubkey(HKLM, "", 0, &text));
  for (uint32_t rc : {reg->SetDword(HKLM, kSetting, "USBPort", 1), reg->CreateKey(HKCR, "AppID"),
                      reg->SetString(HKLM, kSetting, "V1", "y"),
                      reg->DeleteValue(HKLM, kSetting, "V1"),
                      reg->DeleteKey(HKLM, "SOFTWARE")}) {
    EXPECT_TRUE(rc == ERROR_CODE_INVALID_DATA || rc == ERROR_CODE_ACCESS_DENIED) << rc;
  }
  EXPECT_EQ(1u, LogLines());
  reg.reset();
  EXPECT_EQ(before, ReadBytes(MachineHive()));
  // The user's hive is a file of its own and is not affected.
  auto other = Make();
  EXPECT_EQ(0u, other->SetDword(HKCU, kSetting, "USBPort", 1));
  EXPECT_EQ(0u, other->QueryDword(HKCU, kSetting, "USBPort", &number));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpoiltHiveTest,
                         ::testing::Values(Spoil::GARBAGE, Spoil::FOREIGN_SCHEMA,
                                           Spoil::DAMAGED_PAGE, Spoil::DIRECTORY));

// File modes mean nothing to root, so the checks run in a child that gives up root rights
// when it has them. The child reports failed checks as text through a pipe.
std::string RunWithoutRoot(const std::function<void(std::string*)>& body) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  pid_t pid = fork();
  if (pid < 0) return "fork failed";
  if (pid == 0) {
    close(fds[0]);
    std::string failures;
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
      failures = "cannot give up root rights";
    } else {
      body(&failures);
    }
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

void Check(std::string* failures, bool ok, const std::string& what) {
  if (!ok) *failures += what + "; ";
}

enum class ReadOnly { FILE_MODE, FOLDER_MODE };

class ReadOnlyHiveTest : public SqliteRegistryTest, public ::testing::WithParamInterface<ReadOnly> {};

TEST_P(ReadOnlyHiveTest, WritesGiveAccessDeniedReadsStillWork) {
  {
    auto reg = Make();
    ASSERT_EQ(0u, reg->SetDword(HKLM, kSetting, "DelayTime", 7));
    ASSERT_EQ(0u, reg->CreateKey(HKLM, kSetting + "\\Sub"));
  }
  std::string dir = m_prefix.Paths().MachineDir();
  chmod(m_prefix.Dir().c_str(), 0755);
  if (GetParam() == ReadOnly::FILE_MODE) {
    chmod(dir.c_str(), 0777);
    chmod(MachineHive().c_str(), 0444);
  } else {
    chmod(MachineHive().c_str(), 0666);
    chmod(dir.c_str(), 0555);
  }
  std::string before = ReadBytes(MachineHive());
  std::string failures = RunWithoutRoot([&](std::string* f) {
    CSqliteRegistry reg(m_prefix.Paths());
    uint32_t number = 0;
    std::string name;
    Check(f, reg.QueryDword(HKLM, kSetting, "DelayTime", &number) == 0 && number == 7, "read");
    Check(f, reg.EnumSubkey(HKLM, kSetting, 0, &name) == 0 && name == "Sub", "enumerate");
    Check(f, reg.SetDword(HKLM, kSetting, "DelayTime", 8) == ERROR_CODE_ACCESS_DENIED, "set");
    Check(f, reg.CreateKey(HKLM, "New") == ERROR_CODE_ACCESS_DENIED, "create");
    Check(f, reg.DeleteValue(HKLM, kSetting, "DelayTime") == ERROR_CODE_ACCESS_DENIED, "delete");
    Check(f, reg.DeleteKey(HKLM, kSetting) == ERROR_CODE_ACCESS_DENIED, "delete key");
    Check(f, reg.QueryDword(HKLM, kSetting, "DelayTime", &number) == 0 && number == 7, "reread");
  });
  chmod(dir.c_str(), 0755);
  EXPECT_EQ("", failures);
  EXPECT_EQ(before, ReadBytes(MachineHive()));
}

INSTANTIATE_TEST_SUITE_P(Modes, ReadOnlyHiveTest,
                         ::testing::Values(ReadOnly::FILE_MODE, ReadOnly::FOLDER_MODE));

TEST_F(SqliteRegistryTest, UnreadableHiveReadsAsAbsentAndLogsOnce) {
  {
    auto reg = Make();
    ASSERT_EQ(0u, reg->SetDword(HKCU, kSetting, "USBPort", 1));
  }
  chmod(m_prefix.Dir().c_str(), 0755);
  chmod(m_prefix.Paths().UserDir().c_str(), 0777);
  chmod(UserHive().c_str(), 0000);
  std::string failures = RunWithoutRoot([&](std::string* f) {
    int lines = 0;
    CSqliteRegistry::Options options;
    options.m_log = [&lines](const std::string&) { ++lines; };
    CSqliteRegistry reg(m_prefix.Paths(), options);
    uint32_t number = 0;
    Check(f, reg.QueryDword(HKCU, kSetting, "USBPort", &number) == ERROR_CODE_FILE_NOT_FOUND,
          "read");
    Check(f, reg.SetDword(HKCU, kSetting, "USBPort", 2) == ERROR_CODE_ACCESS_DENIED, "write");
    Check(f, reg.OpenKey(HKCU, kSetting) == ERROR_CODE_FILE_NOT_FOUND, "open");
    Check(f, lines == 1, "one log line, not " + std::to_string(lines));
  });
  EXPECT_EQ("", failures);
  chmod(UserHive().c_str(), 0644);
  auto reg = Make();
  uint32_t number = 0;
  EXPECT_EQ(0u, reg->QueryDword(HKCU, kSetting, "USBPort", &number));
  EXPECT_EQ(1u, number);
}

}  // namespace
}  // namespace kv
