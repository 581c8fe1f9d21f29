// Feeds arbitrary text to optrim-calc: the input parser and, for every input it accepts,
// the calibration computation with whatever points and block the text names. The
// computation must answer with a code, never with a NaN, an overflow or a stray access.
#include <cstddef>
#include <cstdint>
#include <string>

#include "optrim/calibration/CalcTool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const kv::CStringTable strings = kv::CStringTable::BuiltIn("optrim");
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string out, err;
  int status = kv::CCalcTool::Run(strings, text, &out, &err);
  // Either a result (code and block printed) or a malformed input (only the error).
  if (status == kv::CCalcTool::kExitMalformed) {
    if (!out.empty() || err.empty()) __builtin_trap();
  } else if (out.rfind("code ", 0) != 0 || out.find("\nblock ") == std::string::npos) {
    __builtin_trap();
  }
  return 0;
}
