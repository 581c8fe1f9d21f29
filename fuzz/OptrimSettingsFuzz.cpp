// Arbitrary text as optrim's settings file and arbitrary lines as its start arguments: the
// calibration layout only ever takes values inside its ranges, and the arguments never give
// a rotation outside 0..3 or a switch other than the two.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "optrim/device/CalibrationGenSettings.h"
#include "optrim/device/StartArguments.h"
#include "platform/IniFile.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

bool MarginOk(int16_t v, int16_t kept) { return v == kept || (v >= kv::kMinMargin && v <= kv::kMaxMargin); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const kv::CalibrationGenSettings before = kv::DefaultCalibrationGenSettings(4, 2185);
  kv::CalibrationGenSettings s = before;
  kv::LoadCalibrationSettings(kv::CIniFile::FromText(text), &s);
  Require(s.enableAngle <= 1);
  Require(s.preciseNx == before.preciseNx ||
          (s.preciseNx >= kv::kMinPreciseSize && s.preciseNx <= kv::kMaxPreciseSize));
  Require(s.preciseNy == before.preciseNy ||
          (s.preciseNy >= kv::kMinPreciseSize && s.preciseNy <= kv::kMaxPreciseSize));
  Require(s.basicNx == before.basicNx && s.basicNy == before.basicNy);
  Require(MarginOk(s.marginX0, before.marginX0) && MarginOk(s.marginY0, before.marginY0) &&
          MarginOk(s.marginX1, before.marginX1) && MarginOk(s.marginY1, before.marginY1));

  // The same bytes, a line per argument, as the command line.
  std::vector<std::string> args{"optrim"};
  size_t start = 0;
  while (start <= text.size() && args.size() < 64) {
    const size_t end = text.find('\n', start);
    args.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  const kv::StartArguments a = kv::ParseStartArguments(args);
  Require(a.rotation >= 0 && a.rotation <= 3);
  Require(a.startSwitch.empty() || a.startSwitch == "-b" || a.startSwitch == "-p");
  return 0;
}
