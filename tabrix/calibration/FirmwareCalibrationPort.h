#pragma once
// The panel firmware commands the calibration store needs; the firmware command layer
// implements it. Each call is one synchronous firmware command, true when it succeeded.
// The panel keeps 16-bit words: a word read back is compared by its low 16 bits.
#include <cstdint>

namespace kv {

class FirmwareCalibrationPort {
 public:
  virtual ~FirmwareCalibrationPort() = default;
  virtual bool SetCalibrationData(int32_t w0, int32_t w1, int32_t w2, int32_t w3) = 0;
  virtual bool GetCalibrationData(int32_t* w0, int32_t* w1, int32_t* w2, int32_t* w3) = 0;
  // Four words each: left, top, right, bottom as the panel reports them.
  virtual bool GetDevicePosition(int32_t words[4]) = 0;
  virtual bool GetScreenPosition(int32_t words[4]) = 0;
};

}  // namespace kv
