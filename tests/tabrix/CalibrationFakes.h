#pragma once
// A screen of chosen size and rotation, and a panel firmware that keeps the calibration
// words it was given (optionally answering a wrong word for the first reads).
#include <cstdint>
#include <vector>

#include "platform/Display.h"
#include "tabrix/calibration/FirmwareCalibrationPort.h"

namespace kv::test {

class CFakeDisplay final : public Display {
 public:
  void PrimaryScreenSize(uint32_t* w, uint32_t* h) override {
    *w = m_uWidth;
    *h = m_uHeight;
  }
  int32_t RotationDegrees() override { return m_iRotation; }
  uint32_t m_uWidth = 1920;
  uint32_t m_uHeight = 1080;
  int32_t m_iRotation = 0;
};

class CFakeFirmware final : public FirmwareCalibrationPort {
 public:
  bool SetCalibrationData(int32_t a, int32_t b, int32_t c, int32_t d) override {
    m_sent.push_back({a, b, c, d});
    if (m_iSetFailures > 0) {
      --m_iSetFailures;
      return false;
    }
    m_aHeld[0] = static_cast<uint16_t>(a);
    m_aHeld[1] = static_cast<uint16_t>(b);
    m_aHeld[2] = static_cast<uint16_t>(c);
    m_aHeld[3] = static_cast<uint16_t>(d);
    return true;
  }
  bool GetCalibrationData(int32_t* a, int32_t* b, int32_t* c, int32_t* d) override {
    ++m_iReads;
    *a = m_aHeld[0];
    *b = m_aHeld[1];
    *c = m_aHeld[2];
    *d = m_aHeld[3];
    if (m_iWrongReads > 0) {
      --m_iWrongReads;
      *b ^= 1;
    }
    return true;
  }
  bool GetDevicePosition(int32_t w[4]) override {
    for (int i = 0; i < 4; ++i) w[i] = m_aDevice[i];
    return true;
  }
  bool GetScreenPosition(int32_t w[4]) override {
    for (int i = 0; i < 4; ++i) w[i] = m_aScreen[i];
    return true;
  }

  struct Words {
    int32_t a, b, c, d;
  };
  std::vector<Words> m_sent;
  int32_t m_aHeld[4] = {};
  int m_iWrongReads = 0;
  int m_iSetFailures = 0;
  int m_iReads = 0;
  int32_t m_aDevice[4] = {};
  int32_t m_aScreen[4] = {};
};

}  // namespace kv::test
