#include "tabrix/driverlink/DriverState.h"

namespace kv {

void CDriverState::SetDriverVersion(const std::string& text) {
  std::lock_guard lock(m_mutex);
  m_sDriverVersion = text.substr(0, VERSION_TEXT_SIZE - 1);
}

std::string CDriverState::DriverVersion() const {
  std::lock_guard lock(m_mutex);
  return m_sDriverVersion;
}

void CDriverState::SetInfoWords(uint16_t word1, uint16_t word2, uint16_t firmwareWord) {
  std::lock_guard lock(m_mutex);
  m_awInfo[0] = word1;
  m_awInfo[1] = word2;
  m_awInfo[2] = firmwareWord;
}

uint16_t CDriverState::InfoWord(int index) const {
  std::lock_guard lock(m_mutex);
  return index >= 0 && index < 3 ? m_awInfo[index] : 0;
}

void CDriverState::SetTouchPoint(int32_t x, int32_t y) {
  std::lock_guard lock(m_mutex);
  m_iTouchX = x;
  m_iTouchY = y;
}

int32_t CDriverState::TouchX() const {
  std::lock_guard lock(m_mutex);
  return m_iTouchX;
}

int32_t CDriverState::TouchY() const {
  std::lock_guard lock(m_mutex);
  return m_iTouchY;
}

void CDriverState::SetStatusFlags(uint32_t flags) {
  std::lock_guard lock(m_mutex);
  m_uStatusFlags = flags;
}

uint32_t CDriverState::StatusFlags() const {
  std::lock_guard lock(m_mutex);
  return m_uStatusFlags;
}

void CDriverState::SetCalibrationMode(uint32_t on) {
  std::lock_guard lock(m_mutex);
  m_uCalibrationMode = on;
}

uint32_t CDriverState::CalibrationMode() const {
  std::lock_guard lock(m_mutex);
  return m_uCalibrationMode;
}

}  // namespace kv
