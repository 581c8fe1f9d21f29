// Sections and mutexes by name: what a second user of the name sees.
#include <gtest/gtest.h>

#include <cstring>

#include "common/SystemError.h"
#include "platform/NamedMutex.h"
#include "platform/SharedMemory.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

TEST(Win32NamedObjects, SectionIsSharedByNameAndGoesWithItsLastUser) {
  test::CTempPrefix prefix;
  CPaths paths = prefix.Paths();
  CSharedMemory reader;
  EXPECT_EQ(reader.Open(paths, "TBL_TEST", 64), ERROR_CODE_FILE_NOT_FOUND);
  CSharedMemory first;
  ASSERT_EQ(first.Create(paths, "TBL_TEST", 64), 0u);
  EXPECT_TRUE(first.Created());
  EXPECT_EQ(first.Data()[63], 0);
  std::memcpy(first.Data(), "table", 5);
  CSharedMemory second;
  EXPECT_EQ(second.Create(paths, "TBL_TEST", 64), ERROR_CODE_ALREADY_EXISTS);
  EXPECT_FALSE(second.Created());
  ASSERT_EQ(reader.Open(paths, "TBL_TEST", 64), 0u);
  EXPECT_EQ(std::memcmp(reader.Data(), "table", 5), 0);
  // A system under another prefix has tables of its own.
  test::CTempPrefix other;
  CSharedMemory foreign;
  EXPECT_EQ(foreign.Open(other.Paths(), "TBL_TEST", 64), ERROR_CODE_FILE_NOT_FOUND);
  first.Close();
  second.Close();
  reader.Close();
  EXPECT_EQ(reader.Open(paths, "TBL_TEST", 64), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(reader.Open(paths, "", 64), ERROR_CODE_INVALID_PARAMETER);
  EXPECT_EQ(reader.Create(paths, "TBL_TEST", 0), ERROR_CODE_INVALID_PARAMETER);
}

TEST(Win32NamedObjects, MutexMarksOneOwnerUntilItCloses) {
  test::CTempPrefix prefix;
  CPaths paths = prefix.Paths();
  EXPECT_FALSE(CNamedMutex::Exists(paths, "KV_TEST_MUTEX"));
  CNamedMutex owner;
  ASSERT_EQ(owner.Create(paths, "KV_TEST_MUTEX"), 0u);
  EXPECT_TRUE(owner.Owned());
  EXPECT_TRUE(CNamedMutex::Exists(paths, "KV_TEST_MUTEX"));
  CNamedMutex second;
  EXPECT_EQ(second.Create(paths, "KV_TEST_MUTEX"), ERROR_CODE_ALREADY_EXISTS);
  EXPECT_FALSE(second.Owned());
  owner.Close();
  EXPECT_FALSE(CNamedMutex::Exists(paths, "KV_TEST_MUTEX"));
  EXPECT_EQ(second.Create(paths, "KV_TEST_MUTEX"), 0u);
}

}  // namespace
}  // namespace kv
