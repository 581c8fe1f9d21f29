#pragma once
// One connected optical sensor: finds it by its HID identity, exchanges 8-byte command
// records through feature reports, keeps in-memory copies of its parameters and tables,
// keeps the link alive and posts what happens as numbered notifications.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "optrim/calibration/SensorCalBlock.h"
#include "optrim/device/CalibrationGenSettings.h"
#include "optrim/device/HidPort.h"
#include "optrim/device/MsgThrower.h"
#include "optrim/device/SensorCommand.h"
#include "optrim/device/SensorModel.h"
#include "platform/Clock.h"
#include "platform/HidBus.h"

namespace kv {

enum SensorNotify : uint32_t {
  NOTIFY_DEVICE_LOST = 2,
  NOTIFY_TOUCH = 12,
  NOTIFY_RELEASE = 13,
};

enum ConnectResult : int {
  CONNECT_OK = 0,
  CONNECT_NO_DEVICE = 11,
  CONNECT_NOT_READY = 15,
};

struct CameraImaging {
  int16_t gain = 0, offset = 0, integWidth = 0, vsmoother = 0, hrev = 0, word6 = 0, vrev = 0,
          ledOff = 0;
};

struct SensorParameter {
  int16_t first = 0, last = 0, vpos = 0, limit1 = 0, limit2 = 0, reserved = 0;
  float cp = 0, p_h = 0, theta0 = 0, phi0 = 0;
  std::array<float, 6> a{};
};

struct CalcParam {
  std::array<SensorParameter, 3> sensor{};
  std::array<int16_t, 5> words{};  // keys 13 to 17, opaque
};

struct TouchSample {
  uint16_t x = 0, y = 0, w = 0, h = 0;
};

// Paths and serial numbers of the present HID interfaces matching the identity; a zero id
// or usage matches anything.
size_t EnumerateHidDevices(HidBus& bus, uint16_t vendor, uint16_t product, uint16_t usagePage,
                           uint16_t usage, std::vector<std::string>* paths,
                           std::vector<std::u16string>* serials);

class CTouchDevBase : public CMsgThrower {
 public:
  static constexpr uint32_t KEEPALIVE_PERIOD_MS = 200;
  static constexpr uint32_t MAX_KEEPALIVE_FAILURES = 10;

  CTouchDevBase(const ModelDescriptor& model, HidBus& bus, Clock& clock,
                CBroadCaster* broadcaster);
  ~CTouchDevBase() override;

  virtual int Connect() = 0;

  bool IsConnected() const { return m_pPort != nullptr; }
  bool SendCommand(const SensorCommand& command);
  bool ReadValue(SensorCommand* out, uint8_t code, uint8_t index, uint8_t target, uint8_t sub);
  bool ReadTableCell(SensorCommand* out, uint8_t code, uint8_t column, uint8_t row, uint8_t sub);
  void SetMode(uint8_t mode);
  // Each keeps the table in memory and, when asked, sends it: false when a transfer failed
  // (nothing is sent without a port).
  bool SetBasicTable(const CalBasicParam& table, bool send);
  bool SetPreciseTable(const CalPreciseParam& table, bool send);
  bool SetAngleParameters(const CalAngleParam& angle, bool send);
  void ReadAllParameters();
  bool ReadCameraRecords();
  void FlashOperation(uint8_t sub);
  uint16_t ReadFlashState();
  void Poll();
  void StartInputThread();
  void StopInputThread();
  void Disconnect();
  // The program's settings file, read at the end of every connect.
  void SetSettingsPath(const std::string& path) { m_sSettingsPath = path; }

  const ModelDescriptor& Model() const { return m_model; }
  std::array<CameraImaging, 3> m_cameras{};
  CalcParam m_calcParam{};
  std::array<std::array<uint8_t, 2>, 3> m_offsetCorrection{};
  int16_t m_interval = 0;
  uint8_t m_key9 = 0;
  SensorCalBlock m_calBlock{};
  CalibrationGenSettings m_genSettings{};
  uint8_t Mode() const { return m_uMode; }
  uint32_t FailureCount() const { return m_uFailures; }
  bool m_bKeepAliveSuspended = false;
  bool m_bCalibrated = false;
  TouchSample LastTouch() const { return m_touch; }

 protected:
  int ConnectCommon();

 private:
  template <typename Table>
  bool SendCells(uint8_t opcode, const Table& t, uint8_t nx, uint8_t ny);
  void ReadKey(uint8_t key, uint8_t camera);
  bool DownloadTables(SensorCalBlock* block);
  void InputLoop();
  void DestroyPort();

  const ModelDescriptor& m_model;
  HidBus& m_bus;
  Clock& m_clock;
  std::unique_ptr<CHidPort> m_pPort;
  std::string m_sSettingsPath;
  uint8_t m_uMode = 0;
  uint32_t m_uFailures = 0;
  uint32_t m_uLastKeepAlive = 0;
  bool m_bKeepAliveSent = false;
  bool m_bTouching = false;
  TouchSample m_touch;
  // Written by the input thread under the port's sample lock.
  TouchSample m_sample;
  bool m_bNewSample = false;
  std::thread m_inputThread;
  std::atomic<bool> m_bStop{false};
};

}  // namespace kv
