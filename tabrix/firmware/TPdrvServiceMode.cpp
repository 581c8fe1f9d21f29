#include "tabrix/firmware/TPdrvServiceMode.h"

#include <algorithm>
#include <cstdio>

#include "common/SystemError.h"
#include "tabrix/driverlink/MemoryLog.h"
#include "tabrix/firmware/TrafficLog.h"
#include "tabrix/driverlink/DriverSharedData.h"
#include "tabrix/driverlink/ModelTable.h"

namespace kv {

namespace {

std::string Hex(const uint8_t* p, size_t n) {
  std::string s;
  char b[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%02x", p[i]);
    s += b;
  }
  return s;
}

}  // namespace

CTPdrvServiceMode::CTPdrvServiceMode(HidBus& bus, const CModelTable& models,
                                     CMemoryLog* memoryLog, CTrafficLog* trafficLog,
                                     DriverSharedData* shared, FirmwareLinkTimeouts timeouts,
                                     TouchReportContext touch, Clock* clock)
    : m_pMemoryLog(memoryLog), m_pTrafficLog(trafficLog), m_pShared(shared),
      m_timeouts(timeouts), m_clock(clock != nullptr ? *clock : m_systemClock),
      m_pPenState(touch.m_pState), m_touchActions(touch), m_touch(std::move(touch)),
      m_decoder(m_touch), m_finder(bus, models),
      m_machine(m_clock, timeouts.m_iPollMs, timeouts.m_iTouchAnswerMs,
                [this](FirmwareWorkerState from, Event event, FirmwareWorkerState to) {
                  OnTransition(from, event, to);
                }) {}

CTPdrvServiceMode::~CTPdrvServiceMode() { StopWorker(); }

void CTPdrvServiceMode::Trace(bool worker, const std::string& message) {
  if (m_pMemoryLog == nullptr) return;
  std::lock_guard<std::mutex> lock(m_traceMutex);
  const uint64_t now = m_clock.Microseconds();
  const uint64_t delta = m_uLastTraceUs == 0 ? 0 : now - m_uLastTraceUs;
  m_uLastTraceUs = now;
  std::string line = std::string(worker ? "sub," : "main,") + std::to_string(delta) + "us," +
                     message + "\n";
  m_pMemoryLog->Append(line.c_str());
}

bool CTPdrvServiceMode::StartWorker() {
  if (m_thread.joinable()) return false;
  m_bKeepRunning = true;
  // Running from here on, so a command right after start parks instead of failing.
  m_bRunning = true;
  try {
    m_thread = std::thread([this] { ThreadProc(); });
  } catch (...) {
    m_bKeepRunning = false;
    m_bRunning = false;
    return false;
  }
  return true;
}

void CTPdrvServiceMode::StopWorker() {
  m_bKeepRunning = false;
  {
    std::lock_guard<std::mutex> lock(m_section);
    m_iSelectFunction = 0;
  }
  m_hEventThread.Set();
  {
    std::lock_guard<std::mutex> lock(m_portMutex);
    if (m_pPort) m_pPort->CancelRead();
  }
  if (m_thread.joinable()) m_thread.join();
  ClosePort();
  m_inputBuffer.clear();
  m_outputBuffer.clear();
}

bool CTPdrvServiceMode::IsPortOpen() const {
  std::lock_guard<std::mutex> lock(m_portMutex);
  return m_pPort != nullptr;
}
std::string CTPdrvServiceMode::ProductString() const {
  std::lock_guard<std::mutex> lock(m_portMutex);
  return m_sProduct;
}
std::string CTPdrvServiceMode::ModelName() const {
  std::lock_guard<std::mutex> lock(m_portMutex);
  return m_pModel ? FixedText(m_pModel->m_szName) : std::string();
}

// ---- port -------------------------------------------------------------------------------

void CTPdrvServiceMode::ClosePort() {
  std::lock_guard<std::mutex> lock(m_portMutex);
  if (m_pPort) {
    m_pPort->Close();
    m_pPort.reset();
  }
}

bool CTPdrvServiceMode::OpenPort() {
  {
    std::lock_guard<std::mutex> lock(m_portMutex);
    if (m_pPort) return false;
    m_sProduct.clear();
  }
  PanelPort port;
  if (!m_finder.Open(&port)) return false;
  if (!port.m_bInputBuffersSet) Trace(true, "HidD_SetNumInputBuffers()=FALSE");
  std::lock_guard<std::mutex> lock(m_portMutex);
  m_pPort = std::move(port.m_pDevice);
  m_sDevicePath = port.m_sPath;
  m_pModel = port.m_pModel;
  m_uModelType = port.m_pModel->m_uModelType;
  m_uVendorId = port.m_attributes.m_uVendorId;
  m_uProductId = port.m_attributes.m_uProductId;
  m_uVersionNumber = port.m_attributes.m_uVersionNumber;
  m_uInputLength = port.m_caps.m_uInputReportByteLength;
  m_uOutputLength = port.m_caps.m_uOutputReportByteLength;
  m_inputBuffer.assign(m_uInputLength, 0);
  m_outputBuffer.assign(m_uOutputLength, 0);
  m_sProduct = port.m_sProduct;
  Trace(true, "OpenPort()=TRUE " + m_sDevicePath);
  return true;
}

void CTPdrvServiceMode::ThreadReadPort(int timeoutMs) {
  HidDevice* port = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_portMutex);
    if (!m_pPort) return;
    port = m_pPort.get();
  }
  std::fill(m_inputBuffer.begin(), m_inputBuffer.end(), 0);
  size_t got = 0;
  // Only the worker closes or replaces the port, so the pointer stays valid here.
  const uint32_t rc =
      port->ReadInputReport(m_inputBuffer, timeoutMs < 0 ? m_timeouts.m_iPollMs : timeoutMs, &got);
  if (rc == ERROR_CODE_TIMEOUT) {
    if (m_iTraceBudget > 0) Trace(true, "WaitForSingleObject=WAIT_TIMEOUT");
    return;
  }
  if (rc != ERROR_CODE_SUCCESS) {
    Trace(true, "ReadFile()=FALSE");
    FailRequest();
    ClosePort();
    return;
  }
  got = std::min(got, m_inputBuffer.size());
  if (m_pMemoryLog) Trace(true, "ReadFile Data=" + Hex(m_inputBuffer.data(), got));
  if (got >= PANEL_ANSWER_BYTES && m_inputBuffer[0] == PANEL_REPORT_ID) {
    std::copy_n(m_inputBuffer.begin(), m_lastReport.size(), m_lastReport.begin());
    // Only a read of a request's own pass can carry its answer: an idle or touch read
    // may race a caller that has just started a command whose report is not yet out.
    if (InterpretReport(m_inputBuffer.data(), got) && m_bCommand && m_iThreadFunction != 0) {
      const FirmwareWorkerState state = m_machine.State();
      if (state == FirmwareWorkerState::ANSWER_HOLD || state == FirmwareWorkerState::ANSWER_HELD)
        Dispatch(Event::ANSWER_COMPLETE);
      else
        SignalAnswer();
    }
  }
  if (m_pTrafficLog) m_pTrafficLog->WriteReceived(m_inputBuffer.data(), got);
}

bool CTPdrvServiceMode::ThreadWritePort(const uint8_t* bytes, bool touchRequest) {
  HidDevice* port;
  {
    std::lock_guard<std::mutex> lock(m_portMutex);
    if (!m_pPort) return false;
    port = m_pPort.get();
  }
  std::fill(m_outputBuffer.begin(), m_outputBuffer.end(), 0);
  std::copy_n(bytes, PANEL_COMMAND_BYTES, m_outputBuffer.begin());
  Trace(true, "WriteFile(Before) Data=" + Hex(m_outputBuffer.data(), m_outputBuffer.size()));
  if (port->WriteOutputReport(m_outputBuffer) != ERROR_CODE_SUCCESS) {
    Trace(true, "ThreadWritePort()=FALSE");
    ClosePort();
    if (touchRequest) return false;
    if (m_bCommand) {
      ResetRequest();
      m_iThreadOperation = THREAD_OPERATION_NONE;
      m_bResultThread = 0;
    }
    m_hEventFunction.Set();
    return false;
  }
  m_iThreadOperation = touchRequest ? THREAD_OPERATION_TOUCH_REPORT : OperationFor(m_iThreadFunction);
  if (m_pTrafficLog) m_pTrafficLog->WriteSent(m_outputBuffer.data(), m_outputBuffer.size());
  if (m_bCommand && !touchRequest) {
    m_bResultThread = 1;
    m_hEventFunction.Set();
    Trace(true, "SetEvent(m_hEventFunction)");
  }
  return true;
}

bool CTPdrvServiceMode::InterpretReport(const uint8_t* report, size_t length) {
  CFirmwareReportDecoder::Result result = m_decoder.Decode(
      report, length, m_iThreadFunction == SELECT_FUNCTION_WRITE_GET_CHECK_DATA,
      CurrentLinkState());
  m_touchActions.Run(result.m_actions);
  // The answer to the worker's touch report request: the next idle pass asks again.
  if (result.m_bTouchAnswered && m_iThreadOperation == THREAD_OPERATION_TOUCH_REPORT)
    m_iThreadOperation = THREAD_OPERATION_NONE;
  return result.m_bComplete;
}

CTouchReportHandler::LinkState CTPdrvServiceMode::CurrentLinkState() const {
  CTouchReportHandler::LinkState state;
  state.m_uModelType = m_uModelType;
  state.m_bCommand = m_bCommand;
  state.m_bPaused = m_bPause;
  return state;
}

// ---- request slot, shared by callers and the worker -----------------------------------------

void CTPdrvServiceMode::PostRequest(uint32_t code) {
  std::lock_guard<std::mutex> lock(m_section);
  m_iSelectFunction = code;
}
void CTPdrvServiceMode::ResetRequest() {
  m_iThreadFunction = SELECT_FUNCTION_NONE;
  std::lock_guard<std::mutex> lock(m_section);
  m_iSelectFunction = SELECT_FUNCTION_NONE;
}
uint32_t CTPdrvServiceMode::Selected() {
  std::lock_guard<std::mutex> lock(m_section);
  return m_iSelectFunction;
}

void CTPdrvServiceMode::FailRequest() {
  if (!m_bCommand) return;
  ResetRequest();
  m_iThreadOperation = THREAD_OPERATION_NONE;
  m_bResultThread = 0;
  m_hEventFunction.Set();
  Trace(true, "SetEvent(m_hEventFunction)");
}

void CTPdrvServiceMode::SignalAnswer() {
  m_bResultThread = 1;
  Trace(true, "m_bResultThread=TRUE");
  m_hEventFunction.Set();
  Trace(true, "SetEvent(m_hEventFunction)");
}

uint32_t CTPdrvServiceMode::OperationFor(uint32_t code) {
  switch (code) {
    case SELECT_FUNCTION_WRITE_GET_DIP_SW_STATUS: return THREAD_OPERATION_GET_DIP_SW_STATUS;
    case SELECT_FUNCTION_WRITE_GET_CHECK_DATA: return THREAD_OPERATION_GET_CHECK_DATA;
    case SELECT_FUNCTION_WRITE_GET_CHECK_SUM: return THREAD_OPERATION_GET_CHECK_SUM;
    case SELECT_FUNCTION_WRITE_SET_COMPATIBLE_MODE: return THREAD_OPERATION_GET_COMPATIBLE_MODE;
    case SELECT_FUNCTION_WRITE_GET_CALIBRATION_DATA: return THREAD_OPERATION_GET_CALIBRATION_DATA;
    case SELECT_FUNCTION_WRITE_GET_DEVICE_POSITION: return THREAD_OPERATION_GET_DEVICE_POSITON_DATA;
    case SELECT_FUNCTION_WRITE_GET_SCREEN_POSITION: return THREAD_OPERATION_GET_SCREEN_POSITON_DATA;
    default: return THREAD_OPERATION_NO_READ_DATA;  // every setting: the write is all
  }
}

}  // namespace kv
