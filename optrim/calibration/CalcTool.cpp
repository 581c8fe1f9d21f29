#include "optrim/calibration/CalcTool.h"

#include <vector>

#include "optrim/calibration/CalcScript.h"
#include "optrim/calibration/SensorCalibration.h"

namespace kv {

int CCalcTool::Run(const CStringTable& strings, std::string_view text, std::string* out, std::string* err) {
  CalcInput in;
  std::string why;
  if (!CCalcScript(strings).Parse(text, &in, &why)) {
    *err += "optrim-calc: " + why + "\n";
    return kExitMalformed;
  }
  CSensorCalibration calc(strings, 0);
  SensorCalBlock block = in.block;
  int errorCount = 0;
  std::vector<GridNode> errorList;
  std::string message;
  int code = in.bPrecise
                 ? calc.PreciseCalibration(in.nx, in.ny, in.basicNx, in.basicNy, in.angle, in.baseL, in.margins,
                                           in.basicMargins, in.measured, &block, &errorCount, &errorList, &message)
                 : calc.BasicCalibration(in.nx, in.ny, in.baseL, in.margins, in.measured, &block, &errorCount,
                                         &errorList, &message);
  auto item = [out](std::string_view key, std::string_view value) {
    *out += key;
    if (!value.empty()) {
      *out += ' ';
      *out += value;
    }
    *out += '\n';
  };
  item("code", std::to_string(code));
  item("message", message);
  item("detail", calc.Detail());
  if (in.bPrecise && in.angle != 0 && code == 0) item("fit", std::to_string(calc.FitStatus()));
  const std::string& trace = calc.Trace();
  size_t start = 0;
  while (start < trace.size()) {
    size_t end = trace.find('\n', start);
    if (end == std::string::npos) end = trace.size();
    item("trace", std::string_view(trace).substr(start, end - start));
    start = end + 1;
  }
  item("block", SensorCalBlockToHex(block));
  return code;
}

}  // namespace kv
