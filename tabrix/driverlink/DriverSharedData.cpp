#include "tabrix/driverlink/DriverSharedData.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/LittleEndian.h"
#include "common/SystemError.h"

namespace kv {

uint32_t DriverSharedData::Create(const CPaths& paths) {
  uint32_t code = m_memory.Create(paths, NAME, SIZE);
  if (code != ERROR_CODE_SUCCESS && code != ERROR_CODE_ALREADY_EXISTS) m_memory.Close();
  else if (m_memory.Size() < SIZE) {
    m_memory.Close();
    return ERROR_CODE_INVALID_DATA;
  }
  return code;
}

uint32_t DriverSharedData::Open(const CPaths& paths) {
  uint32_t code = m_memory.Open(paths, NAME, SIZE);
  if (code != ERROR_CODE_SUCCESS) m_memory.Close();
  else if (m_memory.Size() < SIZE) {
    m_memory.Close();
    return ERROR_CODE_INVALID_DATA;
  }
  return code;
}

void DriverSharedData::Close() { m_memory.Close(); }

void DriverSharedData::Clear() {
  if (IsMapped()) std::memset(m_memory.Data(), 0, SIZE);
}

void DriverSharedData::PutU32(size_t offset, uint32_t value) {
  if (IsMapped()) WriteU32(m_memory.Data() + offset, value);
}

uint32_t DriverSharedData::GetU32(size_t offset) const {
  return IsMapped() ? ReadU32(m_memory.Data() + offset) : 0;
}

void DriverSharedData::PutF64(size_t offset, double value) {
  if (IsMapped()) WriteF64(m_memory.Data() + offset, value);
}

double DriverSharedData::GetF64(size_t offset) const {
  return IsMapped() ? ReadF64(m_memory.Data() + offset) : 0.0;
}

void DriverSharedData::PutText(size_t offset, std::string_view text) {
  if (!IsMapped()) return;
  uint8_t* field = m_memory.Data() + offset;
  size_t n = text.size() < TEXT_FIELD_SIZE - 1 ? text.size() : TEXT_FIELD_SIZE - 1;
  std::memset(field, 0, TEXT_FIELD_SIZE);
  if (n != 0) std::memcpy(field, text.data(), n);
}

std::string DriverSharedData::GetText(size_t offset) const {
  if (!IsMapped()) return {};
  // Another process may have filled all 12 bytes; never read past the field.
  const char* field = reinterpret_cast<const char*>(m_memory.Data() + offset);
  return std::string(field, strnlen(field, TEXT_FIELD_SIZE));
}

void DriverSharedData::SetCalibration(double ratioX, double ratioY, double offsetX,
                                      double offsetY) {
  PutU32(OFF_CALIBRATION_VALID, 1);
  PutF64(OFF_RATIO_X, ratioX);
  PutF64(OFF_RATIO_Y, ratioY);
  PutF64(OFF_OFFSET_X, offsetX);
  PutF64(OFF_OFFSET_Y, offsetY);
}

CalibrationBlock DriverSharedData::Calibration() const {
  CalibrationBlock block;
  block.m_uValid = GetU32(OFF_CALIBRATION_VALID);
  block.m_dRatioX = GetF64(OFF_RATIO_X);
  block.m_dRatioY = GetF64(OFF_RATIO_Y);
  block.m_dOffsetX = GetF64(OFF_OFFSET_X);
  block.m_dOffsetY = GetF64(OFF_OFFSET_Y);
  return block;
}

size_t DriverSharedData::PresetOffset(int preset) {
  // The blocks are laid out from the last preset to the first.
  return OFF_PRESET_2 + static_cast<size_t>(2 - preset) * CalibrationBlock::SIZE;
}

void DriverSharedData::SetPresetBlock(int preset, const CalibrationBlock& block) {
  if (preset < 0 || preset > 2) return;
  size_t base = PresetOffset(preset);
  PutU32(base, block.m_uValid);
  PutU32(base + 4, 0);
  PutF64(base + 8, block.m_dRatioX);
  PutF64(base + 16, block.m_dRatioY);
  PutF64(base + 24, block.m_dOffsetX);
  PutF64(base + 32, block.m_dOffsetY);
}

CalibrationBlock DriverSharedData::PresetBlock(int preset) const {
  CalibrationBlock block;
  if (preset < 0 || preset > 2 || !IsMapped()) return CalibrationBlock{0, 0, 0, 0, 0};
  size_t base = PresetOffset(preset);
  block.m_uValid = GetU32(base);
  block.m_dRatioX = GetF64(base + 8);
  block.m_dRatioY = GetF64(base + 16);
  block.m_dOffsetX = GetF64(base + 24);
  block.m_dOffsetY = GetF64(base + 32);
  return block;
}

std::string DriverSharedData::FormatFirmwareVersion(uint16_t word) {
  if (word == 0) return {};
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d%d%d%d", word >> 12, (word >> 8) & 0xF,
                (word >> 4) & 0xF, word & 0xF);
  double value = std::strtod(digits, nullptr) / 100.0;
  char text[32];
  std::snprintf(text, sizeof text, "%0.2f", value);
  return text;
}

}  // namespace kv
