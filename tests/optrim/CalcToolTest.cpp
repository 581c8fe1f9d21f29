#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "optrim/calibration/CalcScript.h"
#include "optrim/calibration/CalcTool.h"
#include "optrim/calibration/DefaultTables.h"
#include "tests/support/ChildProcess.h"

namespace kv {
namespace {

// A 4 by 4 precise grid, evenly spaced: the computation gives it back as the table.
std::string PreciseInput(const std::string& extra = std::string()) {
  std::string s = "mode precise            # or: basic\ngrid 4 4\nbasic 1 1\nangle 1\nbaseL 32767\n"
                  "margins 2185 2185 2185 2185\n" + extra;
  for (int j = 0; j <= 4; ++j) {
    for (int i = 0; i <= 4; ++i) s += "point " + std::to_string(-20000 + 10000 * i) + " " + std::to_string(2000 + 7000 * j) + "\n";
  }
  return s;
}

std::string Value(const std::string& out, const std::string& key) {
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (line == key) return std::string();
    if (line.rfind(key + " ", 0) == 0) return line.substr(key.size() + 1);
  }
  return "<absent>";
}

class CalcToolTest : public ::testing::Test {
 protected:
  CStringTable strings = CStringTable::BuiltIn("optrim");
  std::string out, err;
};

TEST_F(CalcToolTest, PreciseRunPrintsCodeTraceAndTheBlock) {
  ASSERT_EQ(CCalcTool::Run(strings, PreciseInput(), &out, &err), 0) << err;
  EXPECT_EQ(err, "");
  EXPECT_EQ(Value(out, "code"), "0");
  EXPECT_EQ(Value(out, "message"), "");
  EXPECT_EQ(Value(out, "fit"), "0");
  EXPECT_NE(out.find("trace nx1, ny1 : 4, 4\n"), std::string::npos);
  SensorCalBlock block;
  ASSERT_TRUE(SensorCalBlockFromHex(Value(out, "block"), &block));
  EXPECT_EQ(block.angle.bAngleEnb, 1);
  EXPECT_EQ(block.precise.At(4, 4), (DevPoint{20000, 30000}));
  EXPECT_EQ(block.basic.devMin, (DevPoint{-20000, 2000}));
}

TEST_F(CalcToolTest, BasicRunTakesTheStoredBlockAndKeepsItOnError) {
  ASSERT_EQ(CCalcTool::Run(strings, PreciseInput(), &out, &err), 0);
  const std::string stored = Value(out, "block");
  std::string basic = "mode basic\ngrid 1 1\nbaseL 32767\nmargins 2185 2185 2185 2185\nblock " + stored +
                      "\npoint -20000 2000\npoint 20000 2000\npoint -20000 30000\npoint 20000 30000\n";
  out.clear();
  ASSERT_EQ(CCalcTool::Run(strings, basic, &out, &err), 0) << err;
  EXPECT_EQ(Value(out, "block"), stored);  // the same corners give the same tables
  EXPECT_EQ(Value(out, "fit"), "<absent>");

  // Corners swapped: code 10, exit status 10, block printed unchanged.
  std::string swapped = basic;
  swapped.replace(swapped.find("point -20000 2000"), 17, "point 25000 2000");
  out.clear();
  EXPECT_EQ(CCalcTool::Run(strings, swapped, &out, &err), 10);
  EXPECT_EQ(Value(out, "code"), "10");
  EXPECT_EQ(Value(out, "message"), "ERR : minimum x is greater than maximum x.");
  EXPECT_EQ(Value(out, "detail"), "Error: xmin > xmax");
  EXPECT_EQ(Value(out, "block"), stored);
}

struct BadInput {
  const char* name;
  std::string text;
  std::string error;
};

class CalcScriptErrors : public ::testing::TestWithParam<BadInput> {};

TEST_P(CalcScriptErrors, NameTheLine) {
  const CStringTable strings = CStringTable::BuiltIn("optrim");
  std::string out, err;
  EXPECT_EQ(CCalcTool::Run(strings, GetParam().text, &out, &err), CCalcTool::kExitMalformed);
  EXPECT_EQ(err, "optrim-calc: " + GetParam().error + "\n");
  EXPECT_EQ(out, "");
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  s.replace(s.find(from), from.size(), to);
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, CalcScriptErrors,
    ::testing::Values(
        BadInput{"unknown", Replace(PreciseInput(), "grid 4 4\n", "grid 4 4\ngird 4 4\n"),
                 "line 3: unknown keyword \"gird\"."},
        BadInput{"count", Replace(PreciseInput(), "baseL 32767", "baseL 32767 1"), "line 5: \"baseL\" needs 1 value(s)."},
        BadInput{"number", Replace(PreciseInput(), "point 0 16000", "point 0 16000x"),
                 "line 19: \"point\" is not a number in range."},
        BadInput{"short range", Replace(PreciseInput(), "point 0 16000", "point 0 40000"),
                 "line 19: \"point\" is not a number in range."},
        BadInput{"grid range", Replace(PreciseInput(), "grid 4 4", "grid 10 4"), "line 2: \"grid\" is not a number in range."},
        BadInput{"twice", Replace(PreciseInput(), "angle 1\n", "angle 1\nangle 0\n"), "line 5: \"angle\" given twice."},
        BadInput{"mode", Replace(PreciseInput(), "mode precise", "mode fine"),
                 "line 1: mode must be \"precise\" or \"basic\"."},
        BadInput{"missing", Replace(PreciseInput(), "baseL 32767\n", ""), "missing \"baseL\" line."},
        BadInput{"basic in basic mode", Replace(PreciseInput(), "mode precise", "mode basic"),
                 "line 3: \"basic\" is not used in basic mode."},
        BadInput{"too many", PreciseInput() + "point 1 1\n", "line 32: more point lines than the grid has."},
        BadInput{"too few", Replace(PreciseInput(), "point 20000 30000\n", ""), "expected 25 point lines, found 24."},
        BadInput{"block", Replace(PreciseInput(), "margins", "block 00FF\nmargins"),
                 "line 6: the block must be 1038 hexadecimal digits."}),
    [](const ::testing::TestParamInfo<BadInput>& info) {
      std::string n = info.param.name;
      for (char& ch : n) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return n;
    });

TEST(CalcScript, CommentsBlankLinesAndCarriageReturnsAreSkipped) {
  const CStringTable strings = CStringTable::BuiltIn("optrim");
  std::string text = "# recorded on site\r\n\r\n   \n" + Replace(PreciseInput(), "grid 4 4", "grid 4 4 # cells") +
                     "basicmargins 4370 4370 4370 4370\t# wider\n";
  CalcInput in;
  std::string error;
  ASSERT_TRUE(CCalcScript(strings).Parse(text, &in, &error)) << error;
  EXPECT_TRUE(in.bPrecise);
  EXPECT_EQ(in.nx, 4);
  EXPECT_EQ(in.angle, 1);
  EXPECT_EQ(in.basicMargins, (CalMargins{4370, 4370, 4370, 4370}));
  EXPECT_EQ(in.margins, (CalMargins{2185, 2185, 2185, 2185}));
  // Rows of the measured grid are 10 nodes apart for the precise computation.
  EXPECT_EQ(in.measured[10], (DevPoint{-20000, 9000}));
  EXPECT_EQ(in.measured[44], (DevPoint{20000, 30000}));
}

// Runs optrim-calc as a real process with the given standard input.
int RunProcess(const std::string& input, std::string* out, std::string* err) {
  const std::string dir = ::testing::TempDir();
  const std::string tag = std::to_string(::getpid());
  const std::string inPath = dir + "optrim_calc_in_" + tag, outPath = dir + "optrim_calc_out_" + tag,
                    errPath = dir + "optrim_calc_err_" + tag;
  std::ofstream(inPath, std::ios::binary) << input;
  const std::string program = test::CChildProcess::BinaryPath("optrim-calc");
  pid_t pid = fork();
  if (pid == 0) {
    int in = open(inPath.c_str(), O_RDONLY);
    int o = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int e = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || o < 0 || e < 0) _exit(126);
    dup2(in, 0);
    dup2(o, 1);
    dup2(e, 2);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  std::ifstream o(outPath), e(errPath);
  std::stringstream so, se;
  so << o.rdbuf();
  se << e.rdbuf();
  *out = so.str();
  *err = se.str();
  std::remove(inPath.c_str());
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OptrimCalcProcess, ReplaysStandardInput) {
  std::string out, err;
  ASSERT_EQ(RunProcess(PreciseInput(), &out, &err), 0) << err;
  EXPECT_EQ(out.rfind("code 0\nmessage\ndetail\nfit 0\ntrace ", 0), 0u) << out;
  EXPECT_EQ(Value(out, "block").size(), 1038u);

  // A middle node 60 % of a cell off: the exit status is the code.
  ASSERT_EQ(RunProcess(Replace(PreciseInput(), "point 0 16000", "point 6000 16000"), &out, &err), 13);
  EXPECT_EQ(Value(out, "message"), "(2, 2) -> (6000, 16000) ");
}

TEST(OptrimCalcProcess, MalformedLineGivesItsNumberAndTheInputStatus) {
  std::string out, err;
  EXPECT_EQ(RunProcess(Replace(PreciseInput(), "baseL 32767", "baseL many"), &out, &err), CCalcTool::kExitMalformed);
  EXPECT_EQ(err, "optrim-calc: line 5: \"baseL\" is not a number in range.\n");
  EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace kv
