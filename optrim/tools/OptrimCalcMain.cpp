// optrim-calc: replays recorded calibration touches read from standard input through the
// calibration computation (see optrim/calibration/CalcTool.h for the format and the exit
// status).
#include <cstdio>
#include <string>

#include "optrim/calibration/CalcScript.h"
#include "optrim/calibration/CalcTool.h"
#include "resources/StringTable.h"

int main() {
  std::string input;
  char buf[4096];
  size_t n;
  // One byte past the limit is enough for the parser to refuse the input.
  while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) {
    input.append(buf, n);
    if (input.size() > kv::CCalcScript::kMaxInputBytes) break;
  }
  const kv::CStringTable strings = kv::CStringTable::BuiltIn("optrim");
  std::string out, err;
  int status = kv::CCalcTool::Run(strings, input, &out, &err);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
