// The registry through the Win32 API: the rules table the SQLite backend also runs, and what
// only the system's own registry shows.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>

#include "common/SystemError.h"
#include "platform/win32/Win32Registry.h"
#include "tests/platform/RegistryRules.h"

namespace kv {
namespace {

// Wine's ntdll exports its version; Windows' does not.
bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string FreshSandbox() {
  std::random_device seed;
  return "kvtest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(seed());
}

class Win32RegistryTest : public ::testing::Test {
 protected:
  ~Win32RegistryTest() override { m_registry.DeleteSandbox(); }
  CWin32Registry m_registry{FreshSandbox()};
};

TEST_F(Win32RegistryTest, SystemRegistryFollowsTheRulesTable) {
  for (RegistryHive hive : {RegistryHive::CURRENT_USER, RegistryHive::LOCAL_MACHINE})
    test::RunRegistryRules(m_registry, hive, UnderWine());
}

// What Wine does differently, so that a change in it shows: it enumerates '_' before letters.
TEST_F(Win32RegistryTest, WineOrdersSubkeysLowerCased) {
  if (!UnderWine()) GTEST_SKIP() << "Windows orders by upper-cased names, as the rules table checks";
  for (const char* name : {"A", "_x", "b"}) ASSERT_EQ(m_registry.CreateKey(RegistryHive::CURRENT_USER, std::string("O\\") + name), 0u);
  std::string first;
  ASSERT_EQ(m_registry.EnumSubkey(RegistryHive::CURRENT_USER, "O", 0, &first), 0u);
  EXPECT_EQ(first, "_x");
}

TEST_F(Win32RegistryTest, HivesAreApartAndTheSandboxGoesWhole) {
  ASSERT_EQ(m_registry.SetDword(RegistryHive::LOCAL_MACHINE, "Kv", "v", 1), 0u);
  ASSERT_EQ(m_registry.SetDword(RegistryHive::CLASSES_ROOT, "Kv", "v", 2), 0u);
  uint32_t v = 0;
  EXPECT_EQ(m_registry.QueryDword(RegistryHive::CURRENT_USER, "Kv", "v", &v), ERROR_CODE_FILE_NOT_FOUND);
  ASSERT_EQ(m_registry.QueryDword(RegistryHive::CLASSES_ROOT, "Kv", "v", &v), 0u);
  EXPECT_EQ(v, 2u);
  EXPECT_EQ(m_registry.DeleteKey(RegistryHive::LOCAL_MACHINE, ""), ERROR_CODE_ACCESS_DENIED);
  EXPECT_EQ(m_registry.DeleteSandbox(), 0u);
  EXPECT_EQ(m_registry.OpenKey(RegistryHive::LOCAL_MACHINE, "Kv"), ERROR_CODE_FILE_NOT_FOUND);
}

// Values other programs wrote: a string without its NUL, an expandable string, binary data.
TEST_F(Win32RegistryTest, ForeignValuesAreReadWithinTheirBytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ("Software\\" + m_registry.Sandbox() + "\\HKCU\\Kv").c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
  RegSetValueExA(key, "expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%x%"), 4);
  const BYTE blob[3] = {1, 2, 3};
  RegSetValueExA(key, "blob", 0, REG_BINARY, blob, sizeof blob);
  RegSetValueExA(key, "shortdword", 0, REG_DWORD, blob, 2);
  RegCloseKey(key);
  std::string text;
  EXPECT_EQ(m_registry.QueryString(RegistryHive::CURRENT_USER, "Kv", "bare", &text), 0u);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(m_registry.QueryString(RegistryHive::CURRENT_USER, "Kv", "expand", &text), 0u);
  EXPECT_EQ(text, "%x%");
  uint32_t v = 0;
  EXPECT_EQ(m_registry.QueryString(RegistryHive::CURRENT_USER, "Kv", "blob", &text), ERROR_CODE_INVALID_DATA);
  EXPECT_EQ(m_registry.QueryDword(RegistryHive::CURRENT_USER, "Kv", "blob", &v), ERROR_CODE_INVALID_DATA);
  EXPECT_EQ(m_registry.QueryDword(RegistryHive::CURRENT_USER, "Kv", "shortdword", &v), ERROR_CODE_INVALID_DATA);
}

}  // namespace
}  // namespace kv
