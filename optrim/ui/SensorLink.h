#pragma once
// What the calibration screen needs of the connected sensor. The program hands in the
// device itself (CTouchDevLink); tests hand in a fake that records what was sent.
#include <cstdint>

#include "optrim/calibration/SensorCalBlock.h"
#include "optrim/device/CalibrationGenSettings.h"

namespace kv {

enum UploadParts { UPLOAD_BASIC_ONLY, UPLOAD_ALL };

class SensorLink {
 public:
  virtual ~SensorLink() = default;
  // The block and settings the device read at connect (or last stored).
  virtual SensorCalBlock CalBlock() = 0;
  virtual CalibrationGenSettings GenSettings() = 0;
  virtual uint32_t Baseline() = 0;
  virtual void SetMode(uint8_t mode) = 0;
  virtual void StartInput() = 0;
  virtual void StopInput() = 0;
  // Stores the block on the device and sends the parts; false when a transfer failed.
  virtual bool Upload(const SensorCalBlock& block, UploadParts parts) = 0;
  virtual void MarkCalibrated() = 0;
  virtual void FlashOperation(uint8_t sub) = 0;
  virtual uint16_t ReadFlashState() = 0;
};

}  // namespace kv
