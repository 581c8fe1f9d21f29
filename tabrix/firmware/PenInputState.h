#pragma once
// What the application knows of the pen as the panel firmware reports it (touching flag
// with its start tick, function button bits) and the settings the firmware link's touch
// reporting depends on (size factors, touch mode, "CompatibleMode", a running test). The
// HID worker writes the first part while the user-interface thread reads it, and the other
// way round for the rest, so every field is atomic.
#include <atomic>
#include <cstdint>
#include <mutex>

namespace kv {

class CPenInputState {
 public:
  static constexpr uint32_t BUTTON_1 = 1u << 0;
  static constexpr uint32_t BUTTON_2 = 1u << 1;

  void SetTouching(bool touching, uint32_t startTick) {
    m_uTouchStartTick = startTick;
    m_bTouching = touching;
  }
  bool Touching() const { return m_bTouching; }
  // 0 while no touch is timed.
  uint32_t TouchStartTick() const { return m_uTouchStartTick; }
  void ClearTouchStart() { m_uTouchStartTick = 0; }

  uint32_t ButtonState() const { return m_uButtons; }
  void SetButton(uint32_t bit, bool pressed) {
    if (pressed)
      m_uButtons.fetch_or(bit);
    else
      m_uButtons.fetch_and(~bit);
  }

  // The ratios of the preset values last looked up; applied to type 3 panel positions.
  void SetSizeFactors(double x, double y) {
    std::lock_guard<std::mutex> lock(m_factorMutex);
    m_dFactorX = x;
    m_dFactorY = y;
  }
  void SizeFactors(double* x, double* y) const {
    std::lock_guard<std::mutex> lock(m_factorMutex);
    *x = m_dFactorX;
    *y = m_dFactorY;
  }

  // Bits 4-7 of "InputMode": 0 single, 1 single2, 2 dual.
  uint32_t TouchMode() const { return m_uTouchMode; }
  void SetTouchMode(uint32_t mode) { m_uTouchMode = mode; }
  // The "CompatibleMode" switch of Tabrix.ini as read at start.
  int32_t CompatibleMode() const { return m_iCompatibleMode; }
  void SetCompatibleMode(int32_t mode) { m_iCompatibleMode = mode; }
  // Set while the test display runs a firmware test.
  bool TestRunning() const { return m_bTestRunning; }
  void SetTestRunning(bool running) { m_bTestRunning = running; }

 private:
  std::atomic<bool> m_bTouching{false};
  std::atomic<uint32_t> m_uTouchStartTick{0};
  std::atomic<uint32_t> m_uButtons{0};
  mutable std::mutex m_factorMutex;
  double m_dFactorX = 1.0;
  double m_dFactorY = 1.0;
  std::atomic<uint32_t> m_uTouchMode{0};
  std::atomic<int32_t> m_iCompatibleMode{1};
  std::atomic<bool> m_bTestRunning{false};
};

}  // namespace kv
