// The registry's rules on the SQLite backend, from the table the Windows build runs on the
// system's own registry (tests/platform/RegistryRules.h).
#include <gtest/gtest.h>

#include "platform/posix/SqliteRegistry.h"
#include "tests/platform/RegistryRules.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

TEST(RegistryRules, SqliteBackendAgreesWithTheSystemTable) {
  for (RegistryHive hive : {RegistryHive::CURRENT_USER, RegistryHive::LOCAL_MACHINE}) {
    test::CTempPrefix prefix;
    CSqliteRegistry registry(prefix.Paths());
    test::RunRegistryRules(registry, hive);
  }
}

}  // namespace
}  // namespace kv
