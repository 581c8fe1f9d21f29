#include "tabrix/calibration/SensorCalibrationArgs.h"

#include <vector>

namespace kv {

std::string CSensorCalibrationArgs::Parameters(int option, int32_t rotation, int32_t width,
                                               int32_t height) {
  std::vector<std::string> parts;
  if (option == 0) parts.push_back("-b");
  if (option == 1) parts.push_back("-p");
  if (rotation == 90) parts.push_back("-r1");
  if (rotation == 180) parts.push_back("-r2");
  if (rotation == 270) parts.push_back("-r3");
  // A screen whose shorter side exceeds full HD uses the tool's settings for 1200 lines.
  if ((width > height && height >= TALL_FROM) || (height > width && width >= TALL_FROM))
    parts.push_back(TALL_SETTINGS);
  std::string joined;
  for (const std::string& part : parts) joined += (joined.empty() ? "" : " ") + part;
  return joined;
}

std::string CSensorCalibrationArgs::ToolPath(const std::string& programDir) {
  return programDir + "/" + TOOL_FOLDER + "/" + TOOL_NAME;
}

}  // namespace kv
