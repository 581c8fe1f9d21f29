// Named shared memory and named mutexes shared between processes, and the event log's
// console form.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "common/SystemError.h"
#include "platform/EventLog.h"
#include "platform/NamedMutex.h"
#include "platform/SharedMemory.h"
#include "tests/platform/ForkedChild.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

using test::CForkedChild;

const char* const TABLE = "TBL_KV_TEST_DATA";
constexpr size_t TABLE_SIZE = 912;

class NamedObjectsTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
};

// A pipe the child writes one byte to when it is ready, so the parent never guesses.
class CReadySignal {
 public:
  CReadySignal() { [[maybe_unused]] int r = pipe(m_fds); }
  ~CReadySignal() {
    close(m_fds[0]);
    close(m_fds[1]);
  }
  void Signal() { [[maybe_unused]] ssize_t n = write(m_fds[1], "r", 1); }
  bool Wait() {
    char c;
    return read(m_fds[0], &c, 1) == 1;
  }

 private:
  int m_fds[2] = {-1, -1};
};

TEST_F(NamedObjectsTest, SharedMemoryWrittenByOneProcessIsReadByAnother) {
  CSharedMemory table;
  ASSERT_EQ(table.Create(m_paths, TABLE, TABLE_SIZE), 0u);
  EXPECT_TRUE(table.Created());
  ASSERT_EQ(table.Size(), TABLE_SIZE);
  for (size_t i = 0; i < TABLE_SIZE; ++i) ASSERT_EQ(table.Data()[i], 0) << i;
  for (size_t i = 0; i < TABLE_SIZE; ++i) table.Data()[i] = static_cast<uint8_t>(i * 3);

  CForkedChild reader([&] {
    CSharedMemory view;
    if (view.Open(m_paths, TABLE, TABLE_SIZE) != 0) return 1;
    for (size_t i = 0; i < TABLE_SIZE; ++i)
      if (view.Data()[i] != static_cast<uint8_t>(i * 3)) return 2;
    CSharedMemory again;
    if (again.Create(m_paths, TABLE, TABLE_SIZE) != ERROR_CODE_ALREADY_EXISTS || again.Created()) return 3;
    again.Data()[100] = 0xC3;  // writes through either mapping reach the creator
    return 0;
  });
  EXPECT_EQ(reader.Wait(), 0);
  EXPECT_EQ(table.Data()[100], 0xC3);

  // Another prefix is another system: same name, different mapping.
  test::CTempPrefix other;
  CSharedMemory foreign;
  EXPECT_EQ(foreign.Open(other.Paths(), TABLE, TABLE_SIZE), ERROR_CODE_FILE_NOT_FOUND);
}

TEST_F(NamedObjectsTest, SharedMemoryLivesAsLongAsSomeProcessMapsIt) {
  CSharedMemory probe;
  EXPECT_EQ(probe.Open(m_paths, TABLE, TABLE_SIZE), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_FALSE(probe.IsMapped());
  EXPECT_EQ(probe.Create(m_paths, TABLE, 0), ERROR_CODE_INVALID_PARAMETER);

  {
    CSharedMemory creator, reader;
    ASSERT_EQ(creator.Create(m_paths, "TBL/with odd\\chars", 68), 0u);
    ASSERT_EQ(reader.Open(m_paths, "TBL/with odd\\chars", 68), 0u);
    creator.Data()[0] = 42;
    creator.Close();
    // The reader keeps it alive, with its contents.
    CSharedMemory late;
    ASSERT_EQ(late.Open(m_paths, "TBL/with odd\\chars", 68), 0u);
    EXPECT_EQ(late.Data()[0], 42);
  }
  // The last user closed it: gone.
  EXPECT_EQ(probe.Open(m_paths, "TBL/with odd\\chars", 68), ERROR_CODE_FILE_NOT_FOUND);

  // A creator that crashes leaves nothing behind that a new creator would inherit.
  CForkedChild crashed([&] {
    CSharedMemory table;
    if (table.Create(m_paths, TABLE, TABLE_SIZE) != 0) return 1;
    table.Data()[5] = 0x77;
    _exit(0);  // no Close
  });
  ASSERT_EQ(crashed.Wait(), 0);
  EXPECT_EQ(probe.Open(m_paths, TABLE, TABLE_SIZE), ERROR_CODE_FILE_NOT_FOUND);
  CSharedMemory fresh;
  ASSERT_EQ(fresh.Create(m_paths, TABLE, TABLE_SIZE), 0u);
  EXPECT_EQ(fresh.Data()[5], 0);
}

TEST_F(NamedObjectsTest, NamedMutexHasOneOwnerAcrossProcessesUntilTheOwnerEnds) {
  const char* const NAME = "KV_TEST_MUTEX";
  EXPECT_FALSE(CNamedMutex::Exists(m_paths, NAME));
  CReadySignal ready;
  CForkedChild owner([&] {
    CNamedMutex mutex;
    if (mutex.Create(m_paths, NAME) != 0 || !mutex.Owned()) return 1;
    ready.Signal();
    pause();
    return 0;
  });
  ASSERT_TRUE(ready.Wait());
  EXPECT_TRUE(CNamedMutex::Exists(m_paths, NAME));
  CNamedMutex second;
  EXPECT_EQ(second.Create(m_paths, NAME), ERROR_CODE_ALREADY_EXISTS);
  EXPECT_FALSE(second.Owned());

  owner.Kill();  // as a crash would: the kernel releases the lock
  EXPECT_FALSE(CNamedMutex::Exists(m_paths, NAME));
  ASSERT_EQ(second.Create(m_paths, NAME), 0u);
  EXPECT_TRUE(second.Owned());
  // Within one process a second object is a second owner too.
  CNamedMutex third;
  EXPECT_EQ(third.Create(m_paths, NAME), ERROR_CODE_ALREADY_EXISTS);
  second.Close();
  EXPECT_EQ(third.Create(m_paths, NAME), 0u);
}

TEST(EventLogTest, ConsoleFormWritesOneLineWithTheSource) {
  testing::internal::CaptureStdout();
  {
    CSystemEventLog log("pansvc", false);
    log.Information("The service was started.");
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "pansvc: The service was started.\n");
}

}  // namespace
}  // namespace kv
