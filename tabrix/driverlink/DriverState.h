#pragma once
// What the application knows of the driver, as the driver link last heard it: the driver
// version text, the three words of the driver information (the third is the panel firmware
// version), the last raw touch point, the status flags and the calibration-mode flag.
// The user-interface thread, the HID worker and the button watch thread all reach it, so
// every access takes the lock.
#include <cstdint>
#include <mutex>
#include <string>

namespace kv {

class CDriverState {
 public:
  static constexpr size_t VERSION_TEXT_SIZE = 16;  // at most 15 characters are kept

  void SetDriverVersion(const std::string& text);
  std::string DriverVersion() const;
  void SetInfoWords(uint16_t word1, uint16_t word2, uint16_t firmwareWord);
  uint16_t InfoWord(int index) const;  // 0..2; 0 for any other index
  uint16_t FirmwareVersionWord() const { return InfoWord(2); }
  void SetTouchPoint(int32_t x, int32_t y);
  int32_t TouchX() const;
  int32_t TouchY() const;
  void SetStatusFlags(uint32_t flags);
  uint32_t StatusFlags() const;
  void SetCalibrationMode(uint32_t on);
  uint32_t CalibrationMode() const;

 private:
  mutable std::mutex m_mutex;
  std::string m_sDriverVersion;
  uint16_t m_awInfo[3] = {};
  int32_t m_iTouchX = 0;
  int32_t m_iTouchY = 0;
  uint32_t m_uStatusFlags = 0;
  uint32_t m_uCalibrationMode = 0;
};

}  // namespace kv
