#pragma once
// The panel firmware link: one HID port to the panel's own firmware and a worker thread
// that does all port I/O. Callers hand the worker one request at a time (park, post, wait
// for the result) and block until it is written and, where the command has one, answered.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/PanelFirmwareCodes.h"
#include "platform/Clock.h"
#include "platform/Event.h"
#include "platform/HidBus.h"
#include "platform/HidDevice.h"
#include "tabrix/calibration/FirmwareCalibrationPort.h"
#include "tabrix/driverlink/ModelEntry.h"
#include "tabrix/firmware/FirmwareReportDecoder.h"
#include "tabrix/firmware/FirmwareWorkerMachine.h"
#include "tabrix/firmware/PanelPortFinder.h"
#include "tabrix/firmware/TouchActionRunner.h"
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
  static constexpr size_t MAX_CHECK_RECORDS = CFirmwareReportDecoder::MAX_CHECK_RECORDS;
  static constexpr uint32_t MAX_INTERFACES = CPanelPortFinder::MAX_INTERFACES;
  static constexpr size_t INPUT_BUFFERS = CPanelPortFinder::INPUT_BUFFERS;
  static constexpr uint8_t OPCODE_TOUCH_REPORT = PANEL_OP_TOUCH_REPORT;
  using Record = CFirmwareReportDecoder::Record;

  // Request codes a caller posts in m_iSelectFunction (0: none).
  enum : uint32_t {
    SELECT_FUNCTION_NONE = 0,
    SELECT_FUNCTION_WRITE_GET_DIP_SW_STATUS = 2,
    SELECT_FUNCTION_WRITE_GET_CHECK_DATA = 3,
    SELECT_FUNCTION_WRITE_SET_INPUT_MODE = 5,
    SELECT_FUNCTION_WRITE_SET_REGION_DETECTION = 6,
    SELECT_FUNCTION_WRITE_GET_CHECK_SUM = 9,
    SELECT_FUNCTION_WRITE_SET_COMPATIBLE_MODE = 10,
    SELECT_FUNCTION_WRITE_CHANGE_AREA_MODE = 11,
    SELECT_FUNCTION_WRITE_SET_CALIBRATION_DATA = 13,
    SELECT_FUNCTION_WRITE_GET_CALIBRATION_DATA = 14,
    SELECT_FUNCTION_WRITE_SET_BUTTON1_MODE = 15,
    SELECT_FUNCTION_WRITE_SET_BUTTON2_MODE = 16,
    SELECT_FUNCTION_WRITE_SET_SCREEN_ROTATE = 17,
    SELECT_FUNCTION_WRITE_SET_OS_TYPE = 18,
    SELECT_FUNCTION_WRITE_SET_TOUCH_PANEL = 19,
    SELECT_FUNCTION_WRITE_GET_DEVICE_POSITION = 20,
    SELECT_FUNCTION_WRITE_GET_SCREEN_POSITION = 21,
  };
  // What the worker does after a request's write (m_iThreadOperation).
  enum : uint32_t {
    THREAD_OPERATION_NONE = 0,
    THREAD_OPERATION_GET_DIP_SW_STATUS = 1,
    THREAD_OPERATION_GET_CHECK_DATA = 2,
    THREAD_OPERATION_TOUCH_REPORT = 3,
    THREAD_OPERATION_GET_CHECK_SUM = 4,
    THREAD_OPERATION_GET_COMPATIBLE_MODE = 5,
    THREAD_OPERATION_GET_CALIBRATION_DATA = 6,
    THREAD_OPERATION_GET_DEVICE_POSITON_DATA = 7,
    THREAD_OPERATION_GET_SCREEN_POSITON_DATA = 8,
    THREAD_OPERATION_NO_READ_DATA = 65535,
  };
  static constexpr uint32_t OPERATION_NO_READ_DATA = THREAD_OPERATION_NO_READ_DATA;
  static constexpr uint32_t OPERATION_TOUCH_REPORT = THREAD_OPERATION_TOUCH_REPORT;

  // shared and logs may be null (no release protocol, no trace, no report logs); touch
  // reporting reaches only what `touch` holds. The clock paces the worker's waits and the
  // trace; null takes the system clock.
  CTPdrvServiceMode(HidBus& bus, const CModelTable& models, CMemoryLog* memoryLog,
                    CTrafficLog* trafficLog, DriverSharedData* shared,
                    FirmwareLinkTimeouts timeouts = {}, TouchReportContext touch = {},
                    Clock* clock = nullptr);
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
  bool SetInputMode(uint32_t value) {
    return WriteOnly("SetInputMode", SELECT_FUNCTION_WRITE_SET_INPUT_MODE,
                     PANEL_OP_SET_INPUT_MODE, value, NotType4());
  }
  bool SetRegionDetection(uint32_t value) {
    return WriteOnly("SetRegionDetection", SELECT_FUNCTION_WRITE_SET_REGION_DETECTION,
                     PANEL_OP_SET_REGION_DETECTION, value, NotType4());
  }
  bool GetCheckSum(uint32_t* checksum, uint32_t* flag, uint32_t* version);
  bool SetCompatibleMode(uint32_t value);
  bool SetChangeAreaMode(uint32_t value) {
    return WriteOnly("SetChangeAreaMode", SELECT_FUNCTION_WRITE_CHANGE_AREA_MODE,
                     PANEL_OP_CHANGE_AREA_MODE, value, DriverModel());
  }
  bool SetCalibrationData(int32_t w0, int32_t w1, int32_t w2, int32_t w3) override;
  bool GetCalibrationData(int32_t* w0, int32_t* w1, int32_t* w2, int32_t* w3) override;
  bool SetButton1Mode(uint32_t v) {
    return WriteOnly("SetButton1Mode", SELECT_FUNCTION_WRITE_SET_BUTTON1_MODE,
                     PANEL_OP_SET_BUTTON1_MODE, v, Type3());
  }
  bool SetButton2Mode(uint32_t v) {
    return WriteOnly("SetButton2Mode", SELECT_FUNCTION_WRITE_SET_BUTTON2_MODE,
                     PANEL_OP_SET_BUTTON2_MODE, v, Type3());
  }
  bool SetScreenRotate(uint32_t v) {
    return WriteOnly("SetScreenRotate", SELECT_FUNCTION_WRITE_SET_SCREEN_ROTATE,
                     PANEL_OP_SET_SCREEN_ROTATE, v, Type3());
  }
  bool SetOSType(uint32_t v) {
    return WriteOnly("SetOSType", SELECT_FUNCTION_WRITE_SET_OS_TYPE, PANEL_OP_SET_OS_TYPE, v,
                     Type3());
  }
  bool SetTouchPanel(uint32_t v) {
    return WriteOnly("SetTouchPanel", SELECT_FUNCTION_WRITE_SET_TOUCH_PANEL,
                     PANEL_OP_SET_TOUCH_PANEL, v, Type3());
  }
  bool GetDevicePosition();
  bool GetScreenPosition();
  bool GetDevicePosition(int32_t words[4]) override;
  bool GetScreenPosition(int32_t words[4]) override;

  // Decodes one input report (at least 10 bytes, report id 1) and carries out what its pen
  // reports call for; true when it completes the awaited answer. Worker thread, or tests.
  bool InterpretReport(const uint8_t* report, size_t length);

  // The model matched when the port was last opened (nullptr before); its type decides
  // which commands act. Tests may force a type.
  uint32_t ModelType() const { return m_uModelType; }
  void SetModelTypeForTest(uint32_t type) { m_uModelType = type; }
  std::string ModelName() const;
  std::string ProductString() const;
  bool IsPortOpen() const;
  std::array<uint16_t, 4> DevicePositionWords() const { return m_decoder.DevicePosition(); }
  std::array<uint16_t, 4> ScreenPositionWords() const { return m_decoder.ScreenPosition(); }
  // Where the worker stands; for tests and the trace.
  FirmwareWorkerState WorkerState() const { return m_workerState; }
  static uint8_t ConvertDip(uint8_t b) {
    uint8_t n = static_cast<uint8_t>(~b);
    return static_cast<uint8_t>(((n & 0x0F) << 4) | ((n & 0xF0) >> 4));
  }

 private:
  using Answer = CFirmwareReportDecoder::Answer;
  using Event = FirmwareWorkerEvent;

  bool NotType4() const { return m_uModelType != MODEL_TYPE_FIRMWARE_4; }
  bool Type3() const { return m_uModelType == MODEL_TYPE_FIRMWARE_3; }
  // The driver models: neither firmware-managed type.
  bool DriverModel() const { return !Type3() && NotType4(); }

  // Caller side.
  bool WriteOnly(const char* name, uint32_t code, uint8_t opcode, uint32_t value, bool acts);
  bool Request(const char* name, uint32_t code, uint8_t opcode, uint32_t value, Answer answer,
               bool firstWrite = true);
  bool ParkWorker();
  void PostRequest(uint32_t code);
  void ResetRequest();
  uint32_t Selected();
  static uint32_t OperationFor(uint32_t code);

  // Worker side: one pass, then the steps of each state until the worker rests again.
  void ThreadProc();
  void ThreadOperation();
  bool PassChecks();
  void WriteRequest(uint32_t code);
  void StartTouchReport();
  void RunUntilResting();
  void StepAnswerHold();
  void StepAnswerWait();
  void StepTouchReport();
  void StepTouchLeave();
  void Dispatch(Event event);
  void OnTransition(FirmwareWorkerState from, Event event, FirmwareWorkerState to);
  bool TouchReportingWanted(uint32_t code) const;
  CTouchReportHandler::LinkState CurrentLinkState() const;

  // Port I/O (worker).
  bool OpenPort();
  void ClosePort();
  void ThreadReadPort(int timeoutMs = -1);  // -1: the poll time
  // touchRequest: the worker's own touch report request, which no caller waits for.
  bool ThreadWritePort(const uint8_t* bytes, bool touchRequest = false);
  void FailRequest();
  void SignalAnswer();
  void Trace(bool worker, const std::string& message);

  CMemoryLog* m_pMemoryLog;
  CTrafficLog* m_pTrafficLog;
  DriverSharedData* m_pShared;
  FirmwareLinkTimeouts m_timeouts;
  CSystemClock m_systemClock;
  Clock& m_clock;
  CPenInputState* m_pPenState;
  CTouchActionRunner m_touchActions;
  CTouchReportHandler m_touch;
  CFirmwareReportDecoder m_decoder;
  CPanelPortFinder m_finder;
  CFirmwareWorkerMachine m_machine;  // worker only
  std::atomic<FirmwareWorkerState> m_workerState{FirmwareWorkerState::IDLE};
  uint32_t m_uWrittenCode = 0;       // worker only: the request whose answer is awaited

  mutable std::mutex m_portMutex;  // port handle between worker and Close/inspectors
  std::unique_ptr<HidDevice> m_pPort;
  std::string m_sDevicePath;
  uint16_t m_uVendorId = 0, m_uProductId = 0, m_uVersionNumber = 0;
  uint16_t m_uInputLength = 0, m_uOutputLength = 0;
  const ModelEntry* m_pModel = nullptr;
  std::atomic<uint32_t> m_uModelType{0};
  std::string m_sProduct;
  std::vector<uint8_t> m_inputBuffer, m_outputBuffer;

  CEvent m_hEventThread{false}, m_hEventFunction{false};  // auto-reset
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
  std::mutex m_traceMutex;
  uint64_t m_uLastTraceUs = 0;
  std::mutex m_callerMutex;  // one command function at a time (parking alone can interleave)
  Record m_lastReport{};
};

}  // namespace kv
