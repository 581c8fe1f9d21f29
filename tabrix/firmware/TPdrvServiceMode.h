#pragma once
// The panel firmware link: one HID port to the panel's own firmware and a worker thread
// that does all port I/O. Callers hand the worker one request at a time (park, post, wait
// for the result) and block until it is written and, where the command has one, answered.
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/HidBus.h"
#include "platform/HidDevice.h"
#include "tabrix/calibration/FirmwareCalibrationPort.h"
#include "tabrix/driverlink/ModelEntry.h"
#include "tabrix/firmware/TouchReportContext.h"
#include "tabrix/firmware/TouchReportHandler.h"

namespace kv {

class CMemoryLog;
class CTrafficLog;
class CModelTable;
class DriverSharedData;

// Waits of the link; tests shorten them.
struct FirmwareLinkTimeouts {
  int m_iPollMs = 40;        // worker wait on its event and on one read
  int m_iWriteMs = 3000;     // one output report
  int m_iCommandMs = 8000;   // caller wait for the write and for the answer
  int m_iParkSleepMs = 11;
  int m_iParkTries = 800;
  // Leaving touch reporting for a command, the worker still takes the answer to the touch
  // request it sent (up to this long), so that it cannot end the command's wait instead.
  int m_iTouchAnswerMs = 1000;
};

class CTPdrvServiceMode : public FirmwareCalibrationPort {
 public:
  static constexpr size_t MAX_CHECK_RECORDS = 1280;
  static constexpr uint32_t MAX_INTERFACES = 129;
  static constexpr size_t INPUT_BUFFERS = 512;  // the most the HID class keeps per handle
  static constexpr uint32_t OPERATION_NO_READ_DATA = 65535;
  static constexpr uint32_t OPERATION_TOUCH_REPORT = 3;
  static constexpr uint8_t OPCODE_TOUCH_REPORT = 5;
  using Record = std::array<uint8_t, 10>;

  // shared and logs may be null (no release protocol, no trace, no report logs); touch
  // reporting reaches only what `touch` holds.
  CTPdrvServiceMode(HidBus& bus, const CModelTable& models, CMemoryLog* memoryLog,
                    CTrafficLog* trafficLog, DriverSharedData* shared,
                    FirmwareLinkTimeouts timeouts = {}, TouchReportContext touch = {});
  ~CTPdrvServiceMode() override;
  CTPdrvServiceMode(const CTPdrvServiceMode&) = delete;
  CTPdrvServiceMode& operator=(const CTPdrvServiceMode&) = delete;

  bool StartWorker();
  void StopWorker();
  // The application's panel-connected flag; the worker holds the port only while set.
  void SetPanelConnected(bool connected) { m_bPanelConnected = connected; }
  void SetDeviceChangeInProgress(bool busy) { m_bDeviceChange = busy; }
  // The region window publishes itself once it exists; null withdraws it.
  void PublishRegionWindow(std::shared_ptr<RegionWindow> window) {
    m_touch.PublishRegionWindow(std::move(window));
  }
  // A touch announced by the panel and not yet over (or abandoned for a command).
  bool TouchInProgress() const { return m_touch.TouchInProgress(); }

  bool GetDipSWStatus(uint8_t* value);
  bool GetCheckData(std::vector<Record>* list);
  bool SetInputMode(uint32_t value) { return WriteOnly("SetInputMode", 5, 3, value, NotType4()); }
  bool SetRegionDetection(uint32_t value) {
    return WriteOnly("SetRegionDetection", 6, 4, value, NotType4());
  }
  bool GetCheckSum(uint32_t* checksum, uint32_t* flag, uint32_t* version);
  bool SetCompatibleMode(uint32_t value);
  bool SetChangeAreaMode(uint32_t value) {
    return WriteOnly("SetChangeAreaMode", 11, 14, value, TypeIs(MODEL_TYPE_DRIVER));
  }
  bool SetCalibrationData(int32_t w0, int32_t w1, int32_t w2, int32_t w3) override;
  bool GetCalibrationData(int32_t* w0, int32_t* w1, int32_t* w2, int32_t* w3) override;
  bool SetButton1Mode(uint32_t v) { return WriteOnly("SetButton1Mode", 15, 25, v, Type3()); }
  bool SetButton2Mode(uint32_t v) { return WriteOnly("SetButton2Mode", 16, 26, v, Type3()); }
  bool SetScreenRotate(uint32_t v) { return WriteOnly("SetScreenRotate", 17, 27, v, Type3()); }
  bool SetOSType(uint32_t v) { return WriteOnly("SetOSType", 18, 28, v, Type3()); }
  bool SetTouchPanel(uint32_t v) { return WriteOnly("SetTouchPanel", 19, 29, v, Type3()); }
  bool GetDevicePosition();
  bool GetScreenPosition();
  bool GetDevicePosition(int32_t words[4]) override;
  bool GetScreenPosition(int32_t words[4]) override;

  // Decodes one input report (at least 10 bytes, report id 1); true when it completes the
  // awaited answer. Worker thread, or tests.
  bool InterpretReport(const uint8_t* report, size_t length);

  // The model matched when the port was last opened (nullptr before); its type decides
  // which commands act. Tests may force a type.
  uint32_t ModelType() const { return m_uModelType; }
  void SetModelTypeForTest(uint32_t type) { m_uModelType = type; }
  std::string ModelName() const;
  std::string ProductString() const;
  bool IsPortOpen() const;
  std::array<uint16_t, 4> DevicePositionWords() const { return m_aDevicePos; }
  std::array<uint16_t, 4> ScreenPositionWords() const { return m_aScreenPos; }
  static uint8_t ConvertDip(uint8_t b) {
    uint8_t n = static_cast<uint8_t>(~b);
    return static_cast<uint8_t>(((n & 0x0F) << 4) | ((n & 0xF0) >> 4));
  }

 private:
  // Auto-reset event; Set() before Wait() is not lost.
  class CAutoEvent {
   public:
    void Set();
    void Reset();
    bool Wait(int timeoutMs);
   private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bSet = false;
  };

  enum class Answer { DIP, CHECK, SUM, COMPAT, CALIB, DEVPOS, SCRPOS, NONE };

  bool NotType4() const { return m_uModelType != MODEL_TYPE_FIRMWARE_4; }
  bool Type3() const { return m_uModelType == MODEL_TYPE_FIRMWARE_3; }
  bool TypeIs(uint32_t t) const { return m_uModelType != MODEL_TYPE_FIRMWARE_3 &&
                                         m_uModelType != MODEL_TYPE_FIRMWARE_4 && (t != 0); }

  bool WriteOnly(const char* name, uint32_t code, uint32_t opcode, uint32_t value, bool acts);
  bool Request(const char* name, uint32_t code, uint32_t opcode, uint32_t value, Answer answer,
               bool firstWrite = true);
  bool ParkWorker();
  void PostRequest(uint32_t code);
  void ResetRequest();
  uint32_t Selected();
  void FailRequest();
  bool AnswerValid(Answer answer) const;
  void ClearAnswer(Answer answer);

  void ThreadProc();
  void ThreadOperation();
  bool OpenPort();
  void ClosePort();
  void ThreadReadPort(int timeoutMs = -1);  // -1: the poll time
  void AwaitWriteTaken(uint32_t code);
  void SignalAnswer();
  // touchRequest: the worker's own touch report request, which no caller waits for.
  bool ThreadWritePort(const uint8_t* bytes, bool touchRequest = false);
  bool TouchReportingWanted(uint32_t code) const;
  void TouchReportPass();
  void LeaveTouchReporting();
  CTouchReportHandler::LinkState CurrentLinkState() const;
  void Trace(bool worker, const std::string& message);
  static uint32_t OperationFor(uint32_t code);

  HidBus& m_bus;
  const CModelTable& m_models;
  CMemoryLog* m_pMemoryLog;
  CTrafficLog* m_pTrafficLog;
  DriverSharedData* m_pShared;
  FirmwareLinkTimeouts m_timeouts;
  CPenInputState* m_pPenState;
  CTouchReportHandler m_touch;
  bool m_bTouchLoop = false;  // worker only: touch requests went out for the current touch

  mutable std::mutex m_portMutex;  // port handle between worker and Close/inspectors
  std::unique_ptr<HidDevice> m_pPort;
  std::string m_sDevicePath;
  std::string m_sRememberedPath;
  uint16_t m_uVendorId = 0, m_uProductId = 0, m_uVersionNumber = 0;
  uint16_t m_uInputLength = 0, m_uOutputLength = 0;
  const ModelEntry* m_pModel = nullptr;
  std::atomic<uint32_t> m_uModelType{0};
  std::string m_sProduct;
  std::vector<uint8_t> m_inputBuffer, m_outputBuffer;

  CAutoEvent m_hEventThread, m_hEventFunction;
  std::mutex m_section;
  uint32_t m_iSelectFunction = 0;
  std::atomic<uint32_t> m_iThreadFunction{0};
  std::atomic<uint32_t> m_iThreadOperation{0};
  std::atomic<uint32_t> m_iSetCommand{0}, m_iSetData{0};
  std::atomic<uint32_t> m_bResultThread{0};
  std::atomic<bool> m_bCommand{false}, m_bPause{false}, m_bParked{false};
  std::atomic<bool> m_bKeepRunning{false}, m_bRunning{false};
  std::atomic<bool> m_bPanelConnected{true}, m_bDeviceChange{false};
  std::thread m_thread;
  int m_iTraceBudget = 0;
  bool m_bHoldAnswer = false, m_bAnswerHeld = false;  // worker only
  std::mutex m_traceMutex;
  uint64_t m_uLastTraceUs = 0;
  std::mutex m_callerMutex;  // one command function at a time (parking alone can interleave)

  Record m_lastReport{};
  std::atomic<bool> m_bDipValid{false}, m_bCheckComplete{false}, m_bSumValid{false},
      m_bCompatValid{false}, m_bCalibValid{false}, m_bDevPosValid{false},
      m_bScrPosValid{false};
  uint8_t m_uDip = 0;
  std::vector<Record> m_checkData;
  size_t m_uCheckCount = 0;
  uint32_t m_uCheckSum = 0, m_uCheckSumFlag = 0, m_uVersion = 0;
  std::array<uint16_t, 4> m_aCalib{}, m_aDevicePos{}, m_aScreenPos{};
};

}  // namespace kv
