#include "tabrix/driverlink/MemoryLog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/FakeClock.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

// What the log stores for a text: every line feed preceded by a carriage return.
std::string Stored(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class MemoryLogTest : public ::testing::Test {
 protected:
  test::CFakeClock m_clock;
  CMemoryLog m_log{m_clock};
};

TEST_F(MemoryLogTest, OffLogRefusesEverything) {
  test::CTempPrefix prefix;
  const std::string file = prefix.Dir() + "/log.txt";
  EXPECT_FALSE(m_log.Append("x\n"));
  EXPECT_FALSE(m_log.AppendWithTime("x\n"));
  EXPECT_FALSE(m_log.Clear());
  EXPECT_FALSE(m_log.WriteToFile(file));
  EXPECT_FALSE(m_log.Start(0));
  EXPECT_FALSE(m_log.IsEnabled());
  EXPECT_FALSE(m_log.Append("x\n"));
  // A size the 32-bit write position cannot address leaves the log off too.
  EXPECT_FALSE(m_log.Start(uint64_t{1} << 32));
  EXPECT_FALSE(m_log.IsEnabled());
  EXPECT_FALSE(std::ifstream(file).good());

  ASSERT_TRUE(m_log.Start(64));
  EXPECT_FALSE(m_log.Append(nullptr));
  EXPECT_FALSE(m_log.AppendWithTime(nullptr));
  m_log.Release();
  EXPECT_FALSE(m_log.IsEnabled());
  EXPECT_FALSE(m_log.Append("x"));
}

TEST_F(MemoryLogTest, TimestampedRecordLayout) {
  ASSERT_TRUE(m_log.Start(1024));
  m_clock.Advance(61 * 1000 + 7);  // 09:01:01.007
  ASSERT_TRUE(m_log.AppendWithTime("PA(1)\n"));
  ASSERT_TRUE(m_log.Append("SetInputMode()"));
  ASSERT_TRUE(m_log.Append("=TRUE\n"));
  EXPECT_EQ(m_log.Contents(), "2026/12/08 09:01:01.0007 PA(1)\r\nSetInputMode()=TRUE\r\n");
}

TEST(MemoryLogFormat, TimeFieldsArePaddedAndBounded) {
  char buf[64];
  LocalTime t{2026, 1, 2, 3, 4, 5, 999, 0};
  ASSERT_EQ(CMemoryLog::FormatTime(t, ' ', buf, sizeof buf), 25u);
  EXPECT_STREQ(buf, "2026/01/02 03:04:05.0999 ");
  // A small buffer is filled, never overrun.
  char small[8];
  EXPECT_EQ(CMemoryLog::FormatTime(t, ' ', small, sizeof small), 7u);
  EXPECT_STREQ(small, "2026/01");
}

// Texts appended to a log of 16 bytes; the log must hold the most recent stored bytes,
// more than one capacity and at most two once it has wrapped.
struct WrapCase {
  const char* m_pName;
  std::vector<std::string> m_texts;
};
void PrintTo(const WrapCase& c, std::ostream* os) { *os << c.m_pName; }

class MemoryLogWrap : public ::testing::TestWithParam<WrapCase> {};

TEST_P(MemoryLogWrap, KeepsTheLastOneToTwoCapacities) {
  constexpr uint64_t kCapacity = 16;
  test::CFakeClock clock;
  CMemoryLog log(clock);
  ASSERT_TRUE(log.Start(kCapacity));
  std::string stream;
  for (const std::string& text : GetParam().m_texts) {
    ASSERT_TRUE(log.Append(text.c_str()));
    stream += Stored(text);
  }
  const std::string kept = log.Contents();
  if (stream.size() <= kCapacity) {
    EXPECT_EQ(kept, stream);
    return;
  }
  EXPECT_GT(kept.size(), kCapacity);
  EXPECT_LE(kept.size(), 2 * kCapacity);
  // The newer buffer holds everything written since the last switch.
  const size_t partial = (stream.size() - 1) % kCapacity + 1;
  EXPECT_EQ(kept.size(), kCapacity + partial);
  EXPECT_EQ(kept, stream.substr(stream.size() - kept.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryLogWrap,
    ::testing::Values(
        WrapCase{"fits", {"abc\n", "defgh"}},
        WrapCase{"exactly_full", {"0123456789abcdef"}},
        WrapCase{"one_past", {"0123456789abcdef", "g"}},
        WrapCase{"exactly_two", {"0123456789abcdef0123456789abcdef"}},
        WrapCase{"three_and_a_bit", {std::string(50, 'q')}},
        WrapCase{"many_lines", {"line 1\n", "line 2\n", "line 3\n", "line 4\n", "line 5\n"}},
        WrapCase{"long_text", {std::string(1000, 'z') + "\nend"}},
        WrapCase{"only_line_feeds", {std::string(23, '\n')}}),
    [](const auto& info) { return std::string(info.param.m_pName); });

TEST_F(MemoryLogTest, LineFeedAfterBufferFilledByCarriageReturnStartsTheOtherBuffer) {
  ASSERT_TRUE(m_log.Start(16));
  // 15 characters and the carriage return fill buffer A exactly.
  ASSERT_TRUE(m_log.Append("abcdefghijklmno\n"));
  std::string kept = m_log.Contents();
  ASSERT_EQ(kept.size(), 17u);
  EXPECT_EQ(kept.substr(0, 16), "abcdefghijklmno\r");
  EXPECT_EQ(kept[16], '\n');
  // Every stored line feed follows its carriage return, across the switch too (the very
  // first kept byte may be a line feed whose carriage return was overwritten).
  ASSERT_TRUE(m_log.Append("0123456789abc\nxy\n"));
  kept = m_log.Contents();
  EXPECT_EQ(kept, "\n0123456789abc\r\nxy\r\n");
  for (size_t i = 1; i < kept.size(); ++i) {
    if (kept[i] == '\n') {
      EXPECT_EQ(kept[i - 1], '\r') << "at " << i;
    }
  }
}

TEST_F(MemoryLogTest, SavedFileStartsWithTheOlderFullBufferAndAccumulates) {
  test::CTempPrefix prefix;
  const std::string file = prefix.Dir() + "/tabrix.log";
  { std::ofstream(file, std::ios::binary) << "earlier\n"; }
  ASSERT_TRUE(m_log.Start(8));
  ASSERT_TRUE(m_log.Append("AAAAAAAABBBBBBBBCCC"));  // A, B, then CCC in A again
  ASSERT_TRUE(m_log.WriteToFile(file));
  EXPECT_EQ(ReadFile(file), "earlier\nBBBBBBBBCCC");
  ASSERT_TRUE(m_log.Clear());
  // Nothing to save right after a clear, and the file is left as it was.
  EXPECT_FALSE(m_log.WriteToFile(file));
  EXPECT_FALSE(m_log.Clear());
  ASSERT_TRUE(m_log.Append("new"));
  ASSERT_TRUE(m_log.WriteToFile(file));
  EXPECT_EQ(ReadFile(file), "earlier\nBBBBBBBBCCCnew");
  EXPECT_FALSE(m_log.WriteToFile(prefix.Dir() + "/missing/dir/log"));
}

TEST_F(MemoryLogTest, StartAgainDiscardsTheOldRecords) {
  ASSERT_TRUE(m_log.Start(32));
  ASSERT_TRUE(m_log.Append("old\n"));
  ASSERT_TRUE(m_log.Start(16));
  EXPECT_EQ(m_log.Capacity(), 16u);
  EXPECT_EQ(m_log.Contents(), "");
  ASSERT_TRUE(m_log.Append("new"));
  EXPECT_EQ(m_log.Contents(), "new");
}

// Four threads appending records at once: every record must come out whole, and with a
// log large enough for all of them, none may be lost.
void AppendFromFourThreads(CMemoryLog& log, int perThread) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&log, t, perThread] {
      for (int i = 0; i < perThread; ++i) {
        std::string text = "thread " + std::to_string(t) + " record " + std::to_string(i) + "\n";
        if (i % 2)
          log.AppendWithTime(text.c_str());
        else
          log.Append(text.c_str());
      }
    });
  }
  for (auto& th : threads) th.join();
}

TEST_F(MemoryLogTest, ConcurrentAppendsKeepRecordsWhole) {
  const int kPerThread = 500;
  ASSERT_TRUE(m_log.Start(1 << 20));
  AppendFromFourThreads(m_log, kPerThread);
  const std::regex line(R"(^(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d{4} )?thread (\d) record (\d+)\r$)");
  std::istringstream in(m_log.Contents());
  std::string text;
  std::vector<int> next(4, 0);
  while (std::getline(in, text)) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, line)) << text;
    int t = std::stoi(m[2]);
    int i = std::stoi(m[3]);
    EXPECT_EQ(i, next[t]) << text;
    EXPECT_EQ(m[1].matched, i % 2 == 1) << text;
    next[t] = i + 1;
  }
  EXPECT_EQ(next, std::vector<int>(4, kPerThread));
}

TEST_F(MemoryLogTest, ConcurrentAppendsAcrossBufferSwitches) {
  ASSERT_TRUE(m_log.Start(512));
  AppendFromFourThreads(m_log, 400);
  std::string kept = m_log.Contents();
  ASSERT_GT(kept.size(), 512u);
  // The oldest line may have been cut by the switch; all others are whole records.
  size_t first = kept.find('\n');
  ASSERT_NE(first, std::string::npos);
  std::istringstream in(kept.substr(first + 1));
  const std::regex line(R"(^(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d{4} )?thread \d record \d+\r$)");
  std::string text;
  int count = 0;
  while (std::getline(in, text)) {
    ASSERT_TRUE(std::regex_match(text, line)) << text;
    ++count;
  }
  EXPECT_GT(count, 10);
}

}  // namespace
}  // namespace kv
