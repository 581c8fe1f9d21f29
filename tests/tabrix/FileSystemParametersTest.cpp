#include "platform/posix/FileSystemParameters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

using Values = CFileSystemParameters::Values;

struct ParseCase {
  const char* m_pName;
  std::string m_sText;
  Values m_expected;
};
void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.m_pName; }

class FileSystemParametersParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(FileSystemParametersParse, KeepsGoodLinesAndSkipsDamagedOnes) {
  Values v = CFileSystemParameters::Defaults();
  CFileSystemParameters::Parse(GetParam().m_sText, &v);
  EXPECT_EQ(v, GetParam().m_expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileSystemParametersParse,
    ::testing::Values(
        ParseCase{"empty", "", {4, 4, 500, 4, 4}},
        ParseCase{"all", CFileSystemParameters::Format({1, 2, 3, 4, 5}), {1, 2, 3, 4, 5}},
        ParseCase{"crlf_and_no_final_newline", "DragWidth=7\r\nDragHeight=8", {4, 4, 500, 7, 8}},
        ParseCase{"not_a_number", "DoubleClickWidth=abc\nDoubleClickHeight=-3\n", {4, 4, 500, 4, 4}},
        ParseCase{"out_of_range", "DoubleClickTime=4294967296\nDragWidth=99999999999\n", {4, 4, 500, 4, 4}},
        ParseCase{"largest", "DoubleClickTime=4294967295\n", {4, 4, 4294967295u, 4, 4}},
        ParseCase{"unknown_and_empty", "=5\nFoo=1\n\nDragHeight=\ndragheight=6\n", {4, 4, 500, 4, 4}},
        ParseCase{"over_long_line", "DragWidth=" + std::string(100, '1') + "\nDragHeight=9\n", {4, 4, 500, 4, 9}},
        ParseCase{"binary_garbage", std::string("\0\xff=\n\x01DragWidth=3", 16), {4, 4, 500, 4, 4}},
        ParseCase{"last_wins", "DragWidth=3\nDragWidth=5\n", {4, 4, 500, 5, 4}}),
    [](const auto& info) { return std::string(info.param.m_pName); });

TEST(FileSystemParameters, ValuesAreSharedThroughTheSessionFile) {
  test::CTempPrefix prefix;
  CFileSystemParameters a(prefix.Paths());
  CFileSystemParameters b(prefix.Paths());
  uint32_t v = 0;
  ASSERT_EQ(a.Get(SystemParameter::DOUBLE_CLICK_TIME, &v), 0u);
  EXPECT_EQ(v, 500u);
  ASSERT_EQ(a.Set(SystemParameter::DOUBLE_CLICK_TIME, 350, SPIF_SEND_CHANGE), 0u);
  ASSERT_EQ(a.Set(SystemParameter::DRAG_WIDTH, 16, SPIF_UPDATE_INI_FILE | SPIF_SEND_CHANGE), 0u);
  ASSERT_EQ(b.Get(SystemParameter::DOUBLE_CLICK_TIME, &v), 0u);
  EXPECT_EQ(v, 350u);
  ASSERT_EQ(b.Get(SystemParameter::DRAG_WIDTH, &v), 0u);
  EXPECT_EQ(v, 16u);
  EXPECT_EQ(a.FilePath(), prefix.Dir() + "/run/system-parameters");
  EXPECT_EQ(a.Get(static_cast<SystemParameter>(5), &v), 87u);
  EXPECT_EQ(a.Set(static_cast<SystemParameter>(5), 1, 0), 87u);
  EXPECT_EQ(a.Get(SystemParameter::DRAG_WIDTH, nullptr), 87u);
}

TEST(FileSystemParameters, ConcurrentChangesAreAllKeptAndLeaveNoTemporaryFiles) {
  test::CTempPrefix prefix;
  const SystemParameter kParams[] = {SystemParameter::DOUBLE_CLICK_WIDTH, SystemParameter::DOUBLE_CLICK_HEIGHT,
                                     SystemParameter::DRAG_WIDTH, SystemParameter::DRAG_HEIGHT};
  std::vector<std::thread> threads;
  for (SystemParameter p : kParams) {
    threads.emplace_back([&prefix, p] {
      CFileSystemParameters own(prefix.Paths());
      for (uint32_t i = 1; i <= 30; ++i) own.Set(p, i, SPIF_SEND_CHANGE);
    });
  }
  for (auto& t : threads) t.join();
  CFileSystemParameters reader(prefix.Paths());
  for (SystemParameter p : kParams) {
    uint32_t v = 0;
    ASSERT_EQ(reader.Get(p, &v), 0u);
    EXPECT_EQ(v, 30u);
  }
  for (const auto& entry : std::filesystem::directory_iterator(prefix.Dir() + "/run"))
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST(FileSystemParameters, OversizedFileIsReadOnlyUpToItsLimit) {
  test::CTempPrefix prefix;
  CFileSystemParameters p(prefix.Paths());
  ASSERT_EQ(p.Set(SystemParameter::DRAG_HEIGHT, 9, 0), 0u);
  {
    std::ofstream out(p.FilePath(), std::ios::app);
    out << std::string(10000, 'x') << "\nDragHeight=1\n";
  }
  uint32_t v = 0;
  ASSERT_EQ(p.Get(SystemParameter::DRAG_HEIGHT, &v), 0u);
  EXPECT_EQ(v, 9u);
}

}  // namespace
}  // namespace kv
