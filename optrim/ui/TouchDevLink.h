#pragma once
// The calibration screen's view of a real connected sensor.
#include "optrim/device/TouchDevBase.h"
#include "optrim/ui/SensorLink.h"

namespace kv {

class CTouchDevLink final : public SensorLink {
 public:
  explicit CTouchDevLink(CTouchDevBase& device) : m_device(device) {}

  SensorCalBlock CalBlock() override { return m_device.m_calBlock; }
  CalibrationGenSettings GenSettings() override { return m_device.m_genSettings; }
  uint32_t Baseline() override { return m_device.Model().m_uBaseline; }
  void SetMode(uint8_t mode) override { m_device.SetMode(mode); }
  void StartInput() override { m_device.StartInputThread(); }
  void StopInput() override { m_device.StopInputThread(); }
  bool Upload(const SensorCalBlock& block, UploadParts parts) override;
  void MarkCalibrated() override { m_device.m_bCalibrated = true; }
  void FlashOperation(uint8_t sub) override { m_device.FlashOperation(sub); }
  uint16_t ReadFlashState() override { return m_device.ReadFlashState(); }

 private:
  CTouchDevBase& m_device;
};

}  // namespace kv
