#pragma once
// optrim-calc: replays recorded touches (CCalcScript text) through the calibration
// computation offline and prints, one item a line:
//   code N / message TEXT / detail TEXT / fit N (precise with angle only) /
//   trace LINE (each trace line) / block HEX (the resulting sensor block, packed)
// Exit status: 0 when the computation succeeds, else its result code (1..23); a malformed
// input gives kExitMalformed, with the line named on the error stream and nothing printed.
#include <string>
#include <string_view>

#include "resources/StringTable.h"

namespace kv {

class CCalcTool {
 public:
  static constexpr int kExitMalformed = 65;  // above every result code of the computation

  static int Run(const CStringTable& strings, std::string_view input, std::string* out, std::string* err);
};

}  // namespace kv
