// Names on Windows: the installed system uses the system's own pipe, device and object
// names; a system under a prefix gets tagged ones, never the same as another prefix's.
#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "platform/win32/KernelObjectName.h"

namespace kv {
namespace {

TEST(Win32Paths, OwnNamesUnlessUnderAPrefix) {
  _putenv_s("KV_PREFIX", "");
  const CPaths installed = CPaths::FromEnvironment();
  const CPaths a = CPaths::UnderPrefix("C:\\a");
  const CPaths b = CPaths::UnderPrefix("C:\\b");
  struct Case {
    std::string m_sGot;
    std::string m_sWanted;
  } cases[] = {
      {installed.PipePath("\\\\.\\pipe\\{A9898F7B}"), "\\\\.\\pipe\\{A9898F7B}"},
      {installed.PipePath(installed.DevicePath("\\\\.\\kvtpd700")), "\\\\.\\pipe\\kvtpd700"},
      {installed.DevicePath("kvtpd800"), "\\\\.\\kvtpd800"},
      {installed.DevicePath("\\\\.\\..\\x"), "\\\\.\\x"},
      {KernelObjectName(installed, "TBL_KV"), "TBL_KV"},
      {a.PipePath("\\\\.\\pipe\\p"), "\\\\.\\pipe\\" + a.NamespaceTag() + "-p"},
      {KernelObjectName(a, "TBL_KV"), a.NamespaceTag() + "_TBL_KV"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.m_sGot, c.m_sWanted);
  EXPECT_NE(a.NamespaceTag(), b.NamespaceTag());
  EXPECT_NE(KernelObjectName(a, "M"), KernelObjectName(b, "M"));
}

}  // namespace
}  // namespace kv
