#pragma once
// How the sensor calibration tool is started for a model that calibrates its optical
// sensor itself: where it lies beside this program and the arguments that tell it the
// number of points, the screen rotation and the settings file of tall screens.
#include <cstdint>
#include <string>

namespace kv {

class CSensorCalibrationArgs {
 public:
  // The tool's folder and name under the program's folder.
  static constexpr const char* TOOL_FOLDER = "VT-R800A";
  static constexpr const char* TOOL_NAME = "Optrim";
  static constexpr const char* TALL_SETTINGS = "Optrim_y1200.ini";
  static constexpr int32_t TALL_FROM = 1081;

  // option 0: 4 points ("-b"), 1: 25 points ("-p"), other: the tool's own choice.
  static std::string Parameters(int option, int32_t rotationDegrees, int32_t width, int32_t height);
  static std::string ToolPath(const std::string& programDir);
};

}  // namespace kv
