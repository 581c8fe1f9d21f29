#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "common/SystemError.h"
#include "resources/StringTable.h"

namespace kv {
namespace {

std::map<uint32_t, std::string> MustParse(std::string_view text) {
  std::map<uint32_t, std::string> entries;
  std::string error;
  EXPECT_TRUE(CStringTable::Parse(text, &entries, &error)) << error;
  return entries;
}

struct EscapeCase {
  const char* line;
  std::string expected;
};

TEST(StringTableParse, DecodesEscapes) {
  const EscapeCase cases[] = {
      {"1 plain text", "plain text"},
      {"1 a\\r\\nb", "a\r\nb"},
      {"1 tab\\there", "tab\there"},
      {"1 back\\\\slash", "back\\slash"},
      {"1 \\\"quoted\\\"", "\"quoted\""},
      {"1 \\x41\\x62c", "Abc"},
      {"1 \\xfF", "\xff"},
      {"1 nul\\x00inside", std::string("nul\0inside", 10)},
      {"1 ", ""},
      {"1  two leading", " two leading"},
      {"1\ttab separated", "tab separated"},
      {"1 trailing  ", "trailing  "},
      {"1 # not a comment", "# not a comment"},
      {"1 caf\xc3\xa9", "caf\xc3\xa9"},
  };
  for (const auto& c : cases) {
    auto entries = MustParse(c.line);
    ASSERT_EQ(entries.size(), 1u) << c.line;
    EXPECT_EQ(entries[1], c.expected) << c.line;
  }
}

TEST(StringTableParse, SkipsCommentsAndBlankLinesAndCountsThem) {
  auto entries = MustParse("# header\n\n   \n\t\n100 Pansvc\r\n#101 gone\n65535 last");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[100], "Pansvc");  // the CR of a CR LF line is not part of the text
  EXPECT_EQ(entries[65535], "last");
}

struct BadCase {
  const char* text;
  const char* error;
};

TEST(StringTableParse, RejectsMalformedLinesWithLineNumber) {
  const BadCase cases[] = {
      {"1 ok\nabc text", "line 2: "},
      {"1 ok\n\n# c\n12", "line 4: "},           // id without text separator
      {"12x text", "line 1: "},                   // id runs into letters
      {" 12 text", "line 1: "},                   // leading blank
      {"-1 text", "line 1: "},
      {"4294967296 text", "line 1: "},            // beyond 32 bits
      {"1 bad \\q escape", "line 1: "},
      {"1 ends with \\", "line 1: "},
      {"1 short \\x4", "line 1: "},
      {"1 not hex \\xg1", "line 1: "},
      {"1 raw\x01control", "line 1: "},
      {"1 a\n2 b\n1 again", "line 3: duplicate id 1 (first at line 1)"},
  };
  for (const auto& c : cases) {
    std::map<uint32_t, std::string> entries{{9, "kept"}};
    std::string error;
    EXPECT_FALSE(CStringTable::Parse(c.text, &entries, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " -> " << error;
    // A failed parse hands back nothing half-done.
    EXPECT_EQ(entries.size(), 1u) << c.text;
  }
}

TEST(StringTableParse, AcceptsLargestId) {
  auto entries = MustParse("4294967295 max");
  EXPECT_EQ(entries[4294967295u], "max");
}

class StringTableModule : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kv_strings_XXXXXX";
    int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    m_sPath = pattern;
  }
  void TearDown() override { std::remove(m_sPath.c_str()); }
  void Write(const std::string& text) {
    std::ofstream out(m_sPath, std::ios::binary | std::ios::trunc);
    out << text;
  }
  std::string m_sPath;
};

TEST_F(StringTableModule, ReplacesWholeTable) {
  CStringTable table({{1, "one"}, {2, "two"}});
  Write("2 zwei\n3 drei\\r\\n\n");
  EXPECT_EQ(table.LoadModule(m_sPath), ERROR_CODE_SUCCESS);
  EXPECT_EQ(table.Size(), 2u);
  EXPECT_FALSE(table.Has(1));  // not merged: entries missing from the module are gone
  EXPECT_EQ(table.Get(1), "");
  EXPECT_EQ(table.Get(2), "zwei");
  EXPECT_EQ(table.Get(3), "drei\r\n");
}

TEST_F(StringTableModule, BadModuleLeavesTableUnchanged) {
  CStringTable table({{1, "one"}});
  Write("2 fine\n2 duplicate\n");
  EXPECT_EQ(table.LoadModule(m_sPath), ERROR_CODE_INVALID_DATA);
  EXPECT_EQ(table.Size(), 1u);
  EXPECT_EQ(table.Get(1), "one");

  Write("2 fine\nbroken\n");
  EXPECT_EQ(table.LoadModule(m_sPath), ERROR_CODE_INVALID_DATA);
  EXPECT_EQ(table.Get(1), "one");
}

TEST_F(StringTableModule, MissingFileIsFileNotFound) {
  CStringTable table({{1, "one"}});
  EXPECT_EQ(table.LoadModule(m_sPath + ".absent"), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(table.Get(1), "one");
}

TEST_F(StringTableModule, OversizedFileIsRefused) {
  CStringTable table({{1, "one"}});
  std::string big = "1 ";
  big.append(5u * 1024u * 1024u, 'a');
  Write(big);
  EXPECT_EQ(table.LoadModule(m_sPath), ERROR_CODE_INVALID_DATA);
  EXPECT_EQ(table.Get(1), "one");
}

TEST_F(StringTableModule, EmptyModuleEmptiesTable) {
  CStringTable table({{1, "one"}});
  Write("# nothing translated yet\n");
  EXPECT_EQ(table.LoadModule(m_sPath), ERROR_CODE_SUCCESS);
  EXPECT_EQ(table.Size(), 0u);
}

TEST(StringTableBuiltIn, HoldsEachProgramsTexts) {
  CStringTable pansvc = CStringTable::BuiltIn("pansvc");
  EXPECT_EQ(pansvc.Get(100), "Pansvc");
  EXPECT_EQ(pansvc.Get(101), "Pansvc -- Service started");
  EXPECT_EQ(pansvc.Get(111), "Can't open the service control manager database.");

  CStringTable tabrix = CStringTable::BuiltIn("tabrix");
  EXPECT_EQ(tabrix.Get(60029), "%1 was connected.\r\nInstall the driver.");
  EXPECT_FALSE(tabrix.Has(100));  // tables are per program

  EXPECT_EQ(CStringTable::BuiltIn("other").Size(), 0u);
  EXPECT_EQ(CStringTable::BuiltIn("PANSVC").Size(), 0u);
}

}  // namespace
}  // namespace kv
