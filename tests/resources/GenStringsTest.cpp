// The generator is what fails the build on a bad .strings edit; run it as the build does.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

class GenStrings : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kv_gen_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  // Runs the tool on the given source text; returns its exit status and stderr.
  int Run(const std::string& text, std::string* messages) {
    std::ofstream(m_dir / "in.strings", std::ios::binary) << text;
    std::string cmd = std::string("'") + KV_GEN_STRINGS + "' BuiltInStringsTest '" +
                      (m_dir / "in.strings").string() + "' '" + (m_dir / "out.cpp").string() +
                      "' 2>&1";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return -1;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) messages->append(buf, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Output() {
    std::ifstream in(m_dir / "out.cpp");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  std::filesystem::path m_dir;
};

TEST_F(GenStrings, FailsOnDuplicateWithLineNumberAndWritesNothing) {
  std::string messages;
  EXPECT_NE(Run("# c\n5 a\n5 b\n", &messages), 0);
  EXPECT_NE(messages.find("line 3: duplicate id 5"), std::string::npos) << messages;
  EXPECT_FALSE(std::filesystem::exists(m_dir / "out.cpp"));
}

TEST_F(GenStrings, FailsOnMalformedLine) {
  std::string messages;
  EXPECT_NE(Run("5 a\n\nnope\n", &messages), 0);
  EXPECT_NE(messages.find("line 3:"), std::string::npos) << messages;
}

TEST_F(GenStrings, EscapesEveryOddByteInTheLiteral) {
  std::string messages;
  ASSERT_EQ(Run("7 a\\\"b\\\\c\\r\\n\\x00?\\x7f\n", &messages), 0) << messages;
  std::string cpp = Output();
  // Octal escapes cannot swallow a following digit or letter the way \x can.
  EXPECT_NE(cpp.find("{7u, \"a\\\"b\\\\c\\015\\012\\000\\077\\177\", 10u}"), std::string::npos)
      << cpp;
  EXPECT_NE(cpp.find("BuiltInStringSet BuiltInStringsTest()"), std::string::npos);
}

}  // namespace
