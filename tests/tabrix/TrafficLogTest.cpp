#include "tabrix/firmware/TrafficLog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/FakeClock.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

// The logs are text files: a line ends as the system writes text.
#ifdef _WIN32
#define KV_EOL "\r\n"
#else
#define KV_EOL "\n"
#endif

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(TrafficLog, OneLowerCaseHexLinePerReportAndDirection) {
  test::CTempPrefix prefix;
  test::CFakeClock clock;
  clock.Advance(3 * 1000 + 42);
  const std::string receive = prefix.Dir() + "/recv.log";
  const std::string send = prefix.Dir() + "/send.log";
  CTrafficLog log(clock, receive, send);
  const uint8_t report[] = {0x01, 0xA0, 0xFF};
  EXPECT_TRUE(log.WriteReceived(report, 3));
  EXPECT_TRUE(log.WriteReceived(report, 1));
  EXPECT_TRUE(log.WriteSent(report, 3));
  EXPECT_EQ(ReadFile(receive),
            "2026/12/08 09:00:03.0042 R 01 a0 ff" KV_EOL
            "2026/12/08 09:00:03.0042 R 01" KV_EOL);
  EXPECT_EQ(ReadFile(send), "2026/12/08 09:00:03.0042 S 01 a0 ff" KV_EOL);
}

TEST(TrafficLog, SkipsMissingReportsEmptyNamesAndUnopenableFiles) {
  test::CTempPrefix prefix;
  test::CFakeClock clock;
  const uint8_t report[] = {0x01};
  CTrafficLog off(clock, "", "");
  EXPECT_FALSE(off.WriteReceived(report, 1));
  EXPECT_FALSE(off.WriteSent(report, 1));
  CTrafficLog on(clock, prefix.Dir() + "/r.log", prefix.Dir() + "/no/such/dir/s.log");
  EXPECT_FALSE(on.WriteReceived(nullptr, 1));
  EXPECT_FALSE(on.WriteSent(report, 1));
  EXPECT_FALSE(std::ifstream(prefix.Dir() + "/r.log").good());
}

}  // namespace
}  // namespace kv
