#pragma once
// The optical sensor's firmware as sensor-sim plays it: answers the 8-byte command records
// that arrive in 9-byte feature reports, keeps a parameter store per camera and per sensor,
// the calibration tables, the flash state and the operating mode. Thread-safe: the HID
// service thread and the control channel both call in.
#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kv {

struct SensorSimModel {
  const char* m_pszName;
  uint16_t m_uVendorId;
  uint16_t m_uProductId;
  uint16_t m_uPixels;
};

const SensorSimModel* FindSensorSimModel(const std::string& name);
const SensorSimModel& DefaultSensorSimModel();

// One calibration table as it was uploaded between a begin and an end bracket.
struct SensorSimTables {
  uint8_t m_uBasicCols = 0, m_uBasicRows = 0;
  int16_t m_minX = 0, m_minY = 0, m_maxX = 0, m_maxY = 0;
  std::map<std::pair<uint8_t, uint8_t>, uint32_t> m_basic;  // (row, column) -> cell
  uint8_t m_uPreciseCols = 0, m_uPreciseRows = 0;
  std::map<std::pair<uint8_t, uint8_t>, uint32_t> m_precise;
  uint8_t m_uAngleEnable = 0;
  std::array<int16_t, 3> m_angle{};
};

class CSensorFirmware {
 public:
  explicit CSensorFirmware(const SensorSimModel& model);

  // Host side. Feature reports carry report id 0 in byte 0.
  bool OnSetFeature(std::span<const uint8_t> report);
  bool OnGetFeature(std::vector<uint8_t>* report);

  // Control side.
  void SetReady(bool ready);
  // Overrides the payload (bytes 2..7 of the answer) of command code for an AddressByte.
  void SetRawValue(uint8_t code, uint8_t address, std::span<const uint8_t> payload);
  void SetFlashState(uint16_t state);
  // A refused flash write leaves the state word non-zero and nothing written.
  void SetRefuseFlash(bool refuse);
  uint8_t Mode() const;
  uint32_t KeepAliveCount() const;
  uint32_t FeatureCount() const;
  bool FlashWritten() const;
  bool TablesUploaded() const;
  SensorSimTables LastUpload() const;
  std::string DescribeUpload(const std::string& which) const;
  // Codes of the reads since the last call, as "CODE/ADDR" words (hex), oldest first.
  std::string TakeReadLog();

 private:
  void HandleWrite(const uint8_t* c);  // c: the 8 command bytes
  std::array<uint8_t, 8> Answer(uint8_t code, uint8_t address, uint8_t col, uint8_t row);
  std::array<uint8_t, 6> DefaultPayload(uint8_t code, uint8_t address) const;

  const SensorSimModel& m_model;
  mutable std::mutex m_mutex;
  std::map<std::pair<uint8_t, uint8_t>, std::array<uint8_t, 6>> m_store;
  std::optional<std::array<uint8_t, 8>> m_pendingAnswer;
  SensorSimTables m_current;   // what the sensor holds (reads answer from here)
  SensorSimTables m_uploading;
  SensorSimTables m_lastUpload;
  bool m_bInBracket = false;
  bool m_bUploaded = false;
  bool m_bFlashWritten = false;
  bool m_bRefuseFlash = false;
  bool m_bReady = true;
  uint16_t m_uFlashState = 0;
  uint8_t m_uMode = 0;
  uint32_t m_uKeepAlive = 0;
  uint32_t m_uFeatures = 0;
  std::string m_sReadLog;
};

}  // namespace kv
