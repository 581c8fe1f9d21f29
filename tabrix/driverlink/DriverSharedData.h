#pragma once
// The shared driver table "TBL_KV_TOUCH_PANEL_DRIVER_DATA" (912 bytes): the running instance
// mirrors here what it has sent to the driver, so that other processes can read it. Every
// field is read and written little-endian at its fixed offset; while the table is not
// mapped every accessor does nothing (readers get zero or an empty text).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Paths.h"
#include "platform/SharedMemory.h"
#include "tabrix/driverlink/CalibrationBlock.h"

namespace kv {

class DriverSharedData {
 public:
  static constexpr const char* NAME = "TBL_KV_TOUCH_PANEL_DRIVER_DATA";
  static constexpr size_t SIZE = 912;

  // Offsets of the fields.
  static constexpr size_t OFF_DRIVER_ON = 0;
  static constexpr size_t OFF_ROTATION = 8;
  static constexpr size_t OFF_CALIBRATION_VALID = 16;
  static constexpr size_t OFF_RATIO_X = 24;
  static constexpr size_t OFF_RATIO_Y = 32;
  static constexpr size_t OFF_OFFSET_X = 40;
  static constexpr size_t OFF_OFFSET_Y = 48;
  static constexpr size_t OFF_PRESET_2 = 56;  // then preset 1 at 96, preset 0 at 136
  static constexpr size_t OFF_PEN_BUTTON_MODE = 176;
  static constexpr size_t OFF_CALIB_DISP = 180;
  static constexpr size_t OFF_SINGLE_CLICK_TYPE = 184;
  static constexpr size_t OFF_PRODUCT_VERSION = 192;
  static constexpr size_t OFF_DRIVER_VERSION = 204;
  static constexpr size_t OFF_FIRMWARE_VERSION = 216;
  static constexpr size_t TEXT_FIELD_SIZE = 12;
  static constexpr size_t OFF_RELEASE_REQUEST_A = 228;
  static constexpr size_t OFF_PORT_HELD = 232;
  static constexpr size_t OFF_DRIVER_AVAILABILITY = 236;
  static constexpr size_t OFF_RELEASE_REQUEST_B = 244;
  static constexpr size_t OFF_PROCESS_ID = 908;

  DriverSharedData() = default;
  DriverSharedData(const DriverSharedData&) = delete;
  DriverSharedData& operator=(const DriverSharedData&) = delete;

  // Creates the zero-filled table, or maps the one that already exists: 0 when created,
  // ERROR_CODE_ALREADY_EXISTS when an existing table was mapped (left as it is), else the
  // error with the table unmapped.
  uint32_t Create(const CPaths& paths);
  // Maps the existing table only; 2 when there is none.
  uint32_t Open(const CPaths& paths);
  void Close();
  // Zero-fills the whole table (a table left behind by an instance that is gone).
  void Clear();
  bool IsMapped() const { return m_memory.IsMapped(); }
  bool IsCreator() const { return m_memory.IsMapped() && m_memory.Created(); }

  void SetDriverOn(uint32_t on) { PutU32(OFF_DRIVER_ON, on); }
  uint32_t DriverOn() const { return GetU32(OFF_DRIVER_ON); }
  void SetRotation(uint32_t degrees) { PutU32(OFF_ROTATION, degrees); }
  uint32_t Rotation() const { return GetU32(OFF_ROTATION); }
  // Marks the calibration valid together with its four values.
  void SetCalibration(double ratioX, double ratioY, double offsetX, double offsetY);
  CalibrationBlock Calibration() const;
  // preset 0 "WIDE", 1 "NORMAL", 2 "DOT_BY_DOT"; other numbers are ignored.
  void SetPresetBlock(int preset, const CalibrationBlock& block);
  CalibrationBlock PresetBlock(int preset) const;
  void SetPenButtonMode(uint32_t mode) { PutU32(OFF_PEN_BUTTON_MODE, mode); }
  uint32_t PenButtonMode() const { return GetU32(OFF_PEN_BUTTON_MODE); }
  void SetCalibDisp(uint32_t value) { PutU32(OFF_CALIB_DISP, value); }
  uint32_t CalibDisp() const { return GetU32(OFF_CALIB_DISP); }
  void SetSingleClickType(uint32_t value) { PutU32(OFF_SINGLE_CLICK_TYPE, value); }
  uint32_t SingleClickType() const { return GetU32(OFF_SINGLE_CLICK_TYPE); }
  // The texts keep at most 11 characters, so a reader always finds the terminator.
  void SetProductVersion(std::string_view text) { PutText(OFF_PRODUCT_VERSION, text); }
  std::string ProductVersion() const { return GetText(OFF_PRODUCT_VERSION); }
  void SetDriverVersion(std::string_view text) { PutText(OFF_DRIVER_VERSION, text); }
  std::string DriverVersion() const { return GetText(OFF_DRIVER_VERSION); }
  // The panel firmware version word, shown as FormatFirmwareVersion gives it.
  void SetFirmwareVersion(uint16_t word) { PutText(OFF_FIRMWARE_VERSION, FormatFirmwareVersion(word)); }
  std::string FirmwareVersion() const { return GetText(OFF_FIRMWARE_VERSION); }
  // Set by other processes to ask this program to let go of the panel's HID port.
  uint32_t ReleaseRequestA() const { return GetU32(OFF_RELEASE_REQUEST_A); }
  uint32_t ReleaseRequestB() const { return GetU32(OFF_RELEASE_REQUEST_B); }
  void SetPortHeld(uint32_t held) { PutU32(OFF_PORT_HELD, held); }
  uint32_t PortHeld() const { return GetU32(OFF_PORT_HELD); }
  uint32_t DriverAvailability() const { return GetU32(OFF_DRIVER_AVAILABILITY); }
  void SetProcessId(uint32_t pid) { PutU32(OFF_PROCESS_ID, pid); }
  uint32_t ProcessId() const { return GetU32(OFF_PROCESS_ID); }

  // The nibbles of the word as four decimal numbers joined, read as a number and divided
  // by 100: 0x0123 gives "1.23", 0x0205 "2.05"; 0 gives "" (no version known).
  static std::string FormatFirmwareVersion(uint16_t word);

 private:
  void PutU32(size_t offset, uint32_t value);
  uint32_t GetU32(size_t offset) const;
  void PutF64(size_t offset, double value);
  double GetF64(size_t offset) const;
  void PutText(size_t offset, std::string_view text);
  std::string GetText(size_t offset) const;
  static size_t PresetOffset(int preset);

  CSharedMemory m_memory;
};

}  // namespace kv
