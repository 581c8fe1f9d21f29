#pragma once
// The constants of each sensor model: its HID identity and geometry (ModelDescriptor), the
// parameters it supports with their accepted ranges (ParameterKeyTable) and its default
// calibration.
#include <cstdint>
#include <span>

#include "optrim/calibration/DefaultTables.h"

namespace kv {

struct ParameterKey {
  uint8_t m_uKey;    // 0 ends a table
  uint8_t m_uWidth;  // 1..3 are read; any other class is skipped
  int32_t m_iMin;
  int32_t m_iMax;
};

struct ModelDescriptor {
  uint16_t m_uVendorId;
  uint16_t m_uProductId;
  uint16_t m_uUsagePage;
  uint16_t m_uUsage;
  uint32_t m_uModelCode;
  uint32_t m_uGeneration;
  uint16_t m_uPixels;
  uint16_t m_uLedIntensity;
  uint16_t m_uCameraCount;
  uint16_t m_uBaseline;
  uint16_t m_aWords[3];     // opaque model constants 1, 13, 20
  uint16_t m_aLineWords[3]; // opaque model constants before the line length
  CalDefaults m_calDefaults;
  const ParameterKey* m_pKeys;
};

// Model type codes 1..6 (MQB-V2, MQBP, PML-CC, MQA, MQAR410, MQA-KV); nullptr otherwise.
const ModelDescriptor* FindModelDescriptor(int type);
// The row of key in the table, nullptr when the model does not support it.
const ParameterKey* FindParameterKey(const ParameterKey* table, uint8_t key);

}  // namespace kv
