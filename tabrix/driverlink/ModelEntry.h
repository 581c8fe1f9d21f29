#pragma once
// One supported display model: its driver, the USB identity of its touch controller and the
// layout of its sensor boards. Texts are NUL-terminated in fixed arrays whose unused bytes
// stay zero, so a row can be copied and compared as it is.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace kv {

// How settings reach the panel.
inline constexpr uint32_t MODEL_TYPE_DRIVER = 1;          // kernel driver, through the service
inline constexpr uint32_t MODEL_TYPE_FIRMWARE_3 = 3;      // panel firmware over HID
inline constexpr uint32_t MODEL_TYPE_FIRMWARE_4 = 4;      // panel firmware over HID
inline constexpr size_t MODEL_MAX_BOARDS = 32;

struct ModelEntry {
  char m_szName[64] = {};
  char m_szRegistry[64] = {};          // per-model preset subkey, with a leading backslash
  char m_szDriverRegistry[256] = {};   // the kernel driver's service key
  char m_szDriverFileName[32] = {};
  char m_szDriverDeviceName[32] = {};  // what the service opens (Set device path)
  uint32_t m_uVendorId = 0;
  uint32_t m_uProductId = 0;
  char m_szColNumber[32] = {};         // must occur in the HID path after its first character
  int16_t m_sVerticalPcb = 0;
  int16_t m_sHorizontalPcb = 0;
  char m_szPcbList[128] = {};          // "|"-separated board names, all boards twice
  uint8_t m_aSensors[MODEL_MAX_BOARDS] = {};
  uint32_t m_uModelType = 0;

  // Settings of types 3 and 4 go to the panel firmware; no pipe request is made for them.
  bool IsFirmwareManaged() const {
    return m_uModelType == MODEL_TYPE_FIRMWARE_3 || m_uModelType == MODEL_TYPE_FIRMWARE_4;
  }
  int TotalBoards() const { return m_sVerticalPcb + m_sHorizontalPcb; }
};

// Copies text into a fixed field: at most N - 1 characters, the rest zero.
template <size_t N>
void SetFixedText(char (&field)[N], std::string_view text) {
  size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memset(field, 0, N);
  if (n != 0) std::memcpy(field, text.data(), n);
}

// The text of a fixed field, never reading past its end.
template <size_t N>
std::string FixedText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

}  // namespace kv
