#include "tabrix/firmware/TPdrvServiceMode.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "tabrix/driverlink/MemoryLog.h"
#include "tabrix/firmware/TrafficLog.h"
#include "tabrix/driverlink/DriverSharedData.h"
#include "tabrix/driverlink/ModelTable.h"

namespace kv {

namespace {
uint64_t NowUs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}
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

void CTPdrvServiceMode::CAutoEvent::Set() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bSet = true;
  }
  m_cv.notify_one();
}
void CTPdrvServiceMode::CAutoEvent::Reset() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bSet = false;
}
bool CTPdrvServiceMode::CAutoEvent::Wait(int timeoutMs) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_bSet; }))
    return false;
  m_bSet = false;
  return true;
}

CTPdrvServiceMode::CTPdrvServiceMode(HidBus& bus, const CModelTable& models,
                                     CMemoryLog* memoryLog, CTrafficLog* trafficLog,
                                     DriverSharedData* shared, FirmwareLinkTimeouts timeouts,
                                     TouchReportContext touch)
    : m_bus(bus), m_models(models), m_pMemoryLog(memoryLog), m_pTrafficLog(trafficLog),
      m_pShared(shared), m_timeouts(timeouts), m_pPenState(touch.m_pState),
      m_touch(std::move(touch)) {
  m_checkData.resize(MAX_CHECK_RECORDS);
}

CTPdrvServiceMode::~CTPdrvServiceMode() { StopWorker(); }

void CTPdrvServiceMode::Trace(bool worker, const std::string& message) {
  if (m_pMemoryLog == nullptr) return;
  std::lock_guard<std::mutex> lock(m_traceMutex);
  uint64_t now = NowUs();
  uint64_t delta = m_uLastTraceUs == 0 ? 0 : now - m_uLastTraceUs;
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
  for (uint32_t index = 0; index < MAX_INTERFACES; ++index) {
    std::string path;
    bool remembered = index == 0 && !m_sRememberedPath.empty();
    if (remembered) {
      path = m_sRememberedPath;
    } else {
      uint32_t rc = m_bus.EnumerateInterface(remembered ? 0 : index, &path);
      if (rc == ERROR_CODE_NO_MORE_ITEMS) break;
      if (rc != ERROR_CODE_SUCCESS) continue;
    }
    std::unique_ptr<HidDevice> dev;
    if (m_bus.Open(path, true, &dev) != ERROR_CODE_SUCCESS || !dev) {
      if (remembered) {
        m_sRememberedPath.clear();
        --index;  // the remembered path took no enumeration slot; start the scan at 0
        if (index == UINT32_MAX) index = UINT32_MAX;  // wraps to 0 with ++index
      }
      continue;
    }
    HidAttributes attr;
    HidCaps caps;
    std::u16string product;
    bool ok = dev->GetAttributes(&attr) == ERROR_CODE_SUCCESS &&
              dev->GetCaps(&caps) == ERROR_CODE_SUCCESS && caps.m_uUsagePage == 0x0D &&
              caps.m_uUsage == 0x01 && caps.m_uInputReportByteLength >= 10 &&
              caps.m_uOutputReportByteLength >= 3;
    const ModelEntry* row = ok ? m_models.FindByDevice(attr.m_uVendorId, attr.m_uProductId, path)
                               : nullptr;
    if (row == nullptr) {
      dev->Close();
      if (remembered) {
        m_sRememberedPath.clear();
        index = UINT32_MAX;  // ++index gives 0: scan from the first interface
      }
      continue;
    }
    // The self-test answer is 558 reports in one burst; the default 32 would drop most of
    // it whenever the worker falls behind for a moment.
    if (dev->SetNumInputBuffers(INPUT_BUFFERS) != ERROR_CODE_SUCCESS)
      Trace(true, "HidD_SetNumInputBuffers()=FALSE");
    if (dev->GetProductString(&product) != ERROR_CODE_SUCCESS) product.clear();
    std::string narrow;
    for (char16_t c : product) {
      if (narrow.size() >= 63 || c == 0) break;
      narrow += static_cast<char>(c & 0xFF);
    }
    std::lock_guard<std::mutex> lock(m_portMutex);
    m_pPort = std::move(dev);
    m_sDevicePath = path;
    m_sRememberedPath = path;
    m_pModel = row;
    m_uModelType = row->m_uModelType;
    m_uVendorId = attr.m_uVendorId;
    m_uProductId = attr.m_uProductId;
    m_uVersionNumber = attr.m_uVersionNumber;
    m_uInputLength = caps.m_uInputReportByteLength;
    m_uOutputLength = caps.m_uOutputReportByteLength;
    m_inputBuffer.assign(m_uInputLength, 0);
    m_outputBuffer.assign(m_uOutputLength, 0);
    m_sProduct = narrow;
    Trace(true, "OpenPort()=TRUE " + path);
    return true;
  }
  m_sRememberedPath.clear();
  return false;
}

void CTPdrvServiceMode::PostRequest(uint32_t code) {
  std::lock_guard<std::mutex> lock(m_section);
  m_iSelectFunction = code;
}
void CTPdrvServiceMode::ResetRequest() {
  m_iThreadFunction = 0;
  std::lock_guard<std::mutex> lock(m_section);
  m_iSelectFunction = 0;
}
uint32_t CTPdrvServiceMode::Selected() {
  std::lock_guard<std::mutex> lock(m_section);
  return m_iSelectFunction;
}

void CTPdrvServiceMode::FailRequest() {
  if (m_bCommand) {
    ResetRequest();
    m_iThreadOperation = 0;
    m_bResultThread = 0;
    m_hEventFunction.Set();
    Trace(true, "SetEvent(m_hEventFunction)");
  }
}

uint32_t CTPdrvServiceMode::OperationFor(uint32_t code) {
  switch (code) {
    case 2: return 1;
    case 3: return 2;
    case 9: return 4;
    case 10: return 5;
    case 14: return 6;
    case 20: return 7;
    case 21: return 8;
    default: return OPERATION_NO_READ_DATA;
  }
}

void CTPdrvServiceMode::ThreadProc() {
  while (m_bKeepRunning) {
    if (Selected() != 0) m_iTraceBudget = 3;
    if (m_iTraceBudget > 0) {
      Trace(true, "ThreadProc:while()");
      --m_iTraceBudget;
    }
    m_bParked = true;
    m_hEventThread.Wait(m_timeouts.m_iPollMs);
    m_bParked = false;
    if (!m_bKeepRunning) break;
    if (!m_bPause) ThreadOperation();
  }
  m_bRunning = false;
}

void CTPdrvServiceMode::ThreadOperation() {
  {
    std::lock_guard<std::mutex> lock(m_section);
    m_iThreadFunction = m_iSelectFunction;
  }
  if (!m_bPanelConnected) {
    ClosePort();
    FailRequest();
    return;
  }
  if (m_pShared != nullptr && m_pShared->IsMapped() && !m_bDeviceChange) {
    if (m_pShared->ReleaseRequestA() != 0 || m_pShared->ReleaseRequestB() != 0) {
      if (m_pShared->PortHeld() == 1) {
        ClosePort();
        m_pShared->SetPortHeld(0);
      }
      FailRequest();
      return;
    }
    m_pShared->SetPortHeld(1);
  }
  if (!IsPortOpen() && !OpenPort()) {
    FailRequest();
    return;
  }
  uint32_t code = m_iThreadFunction;
  if (m_bTouchLoop) {
    if (!m_touch.TouchInProgress())
      m_bTouchLoop = false;
    else if (code != 0 || m_bCommand)
      LeaveTouchReporting();  // the command came between two touch requests
  }
  if (m_iThreadOperation == 0 && code != 0) {
    uint8_t bytes[3] = {1, static_cast<uint8_t>(m_iSetCommand.load()),
                        static_cast<uint8_t>(m_iSetData.load())};
    if (!ThreadWritePort(bytes)) return;
    uint32_t op = m_iThreadOperation;
    if (op == OPERATION_NO_READ_DATA) {
      m_iThreadOperation = 0;
      return;
    }
    AwaitWriteTaken(code);
    while (m_bKeepRunning && Selected() == code && IsPortOpen()) ThreadReadPort();
    m_iThreadOperation = 0;
    return;
  }
  if (m_iThreadOperation == 0 && TouchReportingWanted(code)) {
    TouchReportPass();
    return;
  }
  ThreadReadPort();
}

bool CTPdrvServiceMode::TouchReportingWanted(uint32_t code) const {
  if (code != 0 || !m_touch.TouchInProgress() || m_bCommand || m_bPause || !m_bPanelConnected)
    return false;
  if (m_pPenState == nullptr) return true;
  return !m_pPenState->TestRunning() &&
         (m_pPenState->TouchMode() == 0 || m_pPenState->CompatibleMode() != 0);
}

// One touch report request and the reads until its answer; the next idle pass asks again.
void CTPdrvServiceMode::TouchReportPass() {
  const uint8_t bytes[3] = {1, OPCODE_TOUCH_REPORT, 0};
  if (!ThreadWritePort(bytes, true)) return;
  m_bTouchLoop = true;
  while (m_bKeepRunning && m_iThreadOperation == OPERATION_TOUCH_REPORT && IsPortOpen()) {
    ThreadReadPort();
    if (m_iThreadOperation != OPERATION_TOUCH_REPORT || !m_bPanelConnected) break;
    if (Selected() != 0 || m_bCommand || m_bPause) {
      LeaveTouchReporting();
      break;
    }
  }
  // A lost port or a stop leaves no answer to wait for.
  m_iThreadOperation = 0;
}

void CTPdrvServiceMode::LeaveTouchReporting() {
  // Take the answer to the request still out: arriving later, it would end a command's wait.
  const int poll = m_timeouts.m_iPollMs > 0 ? m_timeouts.m_iPollMs : 1;
  const int polls = m_timeouts.m_iTouchAnswerMs / poll;
  for (int i = 0; i < polls && m_bKeepRunning && m_iThreadOperation == OPERATION_TOUCH_REPORT &&
                  IsPortOpen();
       ++i)
    ThreadReadPort();
  m_touch.AbandonTouch();
  m_iThreadOperation = 0;
  m_bTouchLoop = false;
  Trace(true, "TouchReport:SetPanelState(3)");
}

CTouchReportHandler::LinkState CTPdrvServiceMode::CurrentLinkState() const {
  CTouchReportHandler::LinkState state;
  state.m_uModelType = m_uModelType;
  state.m_bCommand = m_bCommand;
  state.m_bPaused = m_bPause;
  return state;
}

// The caller must take the write result before the answer's completion is signalled
// (both use one auto-reset event). The panel answers at once, and the self test floods,
// so reports are read meanwhile and only the completion waits.
void CTPdrvServiceMode::AwaitWriteTaken(uint32_t code) {
  constexpr int STEP_MS = 2;
  m_bHoldAnswer = true;
  bool taken = false;
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timeouts.m_iPollMs);
  while (!taken && m_bKeepRunning && Selected() == code && IsPortOpen()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    until - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    if (m_bAnswerHeld) {
      taken = m_hEventThread.Wait(static_cast<int>(left));
      break;
    }
    ThreadReadPort(std::min<int>(STEP_MS, static_cast<int>(left)));
    taken = m_hEventThread.Wait(0);
  }
  m_bHoldAnswer = false;
  if (m_bAnswerHeld) {
    m_bAnswerHeld = false;
    if (m_bCommand) SignalAnswer();
  }
}

void CTPdrvServiceMode::SignalAnswer() {
  m_bResultThread = 1;
  Trace(true, "m_bResultThread=TRUE");
  m_hEventFunction.Set();
  Trace(true, "SetEvent(m_hEventFunction)");
}

void CTPdrvServiceMode::ThreadReadPort(int timeoutMs) {
  std::unique_ptr<HidDevice>* port = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_portMutex);
    if (!m_pPort) return;
    port = &m_pPort;
  }
  std::fill(m_inputBuffer.begin(), m_inputBuffer.end(), 0);
  size_t got = 0;
  // Only the worker closes or replaces the port, so the pointer stays valid here.
  uint32_t rc = (*port)->ReadInputReport(m_inputBuffer, timeoutMs < 0 ? m_timeouts.m_iPollMs
                                                                      : timeoutMs, &got);
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
  if (got > m_inputBuffer.size()) got = m_inputBuffer.size();
  if (m_pMemoryLog) Trace(true, "ReadFile Data=" + Hex(m_inputBuffer.data(), got));
  if (got >= 10 && m_inputBuffer[0] == 1) {
    std::copy(m_inputBuffer.begin(), m_inputBuffer.begin() + 10, m_lastReport.begin());
    // Only a read of a request's own pass can carry its answer: an idle or touch read
    // may race a caller that has just started a command whose report is not yet out.
    if (InterpretReport(m_inputBuffer.data(), got) && m_bCommand && m_iThreadFunction != 0) {
      if (m_bHoldAnswer) m_bAnswerHeld = true;
      else SignalAnswer();
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
  std::copy(bytes, bytes + 3, m_outputBuffer.begin());
  Trace(true, "WriteFile(Before) Data=" + Hex(m_outputBuffer.data(), m_outputBuffer.size()));
  uint32_t rc = port->WriteOutputReport(m_outputBuffer);
  if (rc != ERROR_CODE_SUCCESS) {
    Trace(true, "ThreadWritePort()=FALSE");
    ClosePort();
    if (touchRequest) return false;
    if (m_bCommand) {
      ResetRequest();
      m_iThreadOperation = 0;
      m_bResultThread = 0;
    }
    m_hEventFunction.Set();
    return false;
  }
  m_iThreadOperation = touchRequest ? OPERATION_TOUCH_REPORT : OperationFor(m_iThreadFunction);
  if (m_pTrafficLog) m_pTrafficLog->WriteSent(m_outputBuffer.data(), m_outputBuffer.size());
  if (m_bCommand && !touchRequest) {
    m_bResultThread = 1;
    m_hEventFunction.Set();
    Trace(true, "SetEvent(m_hEventFunction)");
  }
  return true;
}

bool CTPdrvServiceMode::InterpretReport(const uint8_t* r, size_t length) {
  if (r == nullptr || length < 10 || r[0] != 1) return false;
  CTouchReportHandler::Report report;
  std::copy(r, r + report.size(), report.begin());
  switch (r[1]) {
    case 1:
      m_uDip = r[7];
      m_bDipValid = true;
      return true;
    case 2:
      if (m_iThreadFunction != 3 || m_uCheckCount >= MAX_CHECK_RECORDS) return false;
      std::copy(r, r + 10, m_checkData[m_uCheckCount].begin());
      if (r[2] == 255 && r[3] == 255) {
        m_bCheckComplete = true;
        return true;
      }
      ++m_uCheckCount;
      return false;
    case 3:
      m_touch.TouchState(report);
      return false;
    case 5:
      m_uCheckSum = ReadU16(r + 2);
      m_uCheckSumFlag = r[4] == 0 ? 1 : 0;
      m_uVersion = static_cast<uint32_t>(r[5]) * 65536 + static_cast<uint32_t>(r[6]) * 256 + r[7];
      m_bSumValid = true;
      return true;
    case 7:
      m_bCompatValid = true;
      return true;
    case 11:
      for (int i = 0; i < 4; ++i) m_aCalib[i] = ReadU16(r + 2 + 2 * i);
      m_bCalibValid = true;
      return true;
    case 4:
      m_touch.TouchPosition(report, CurrentLinkState());
      if (m_iThreadOperation == OPERATION_TOUCH_REPORT) m_iThreadOperation = 0;
      return true;
    case 6:
      if (m_touch.TouchPresence(report, CurrentLinkState()) &&
          m_iThreadOperation == OPERATION_TOUCH_REPORT)
        m_iThreadOperation = 0;
      return true;
    case 15:
      m_touch.Button(report);
      return true;
    case 16:
      for (int i = 0; i < 4; ++i) {
        uint16_t w = ReadU16(r + 2 + 2 * i);
        if ((i == 0 || i == 2) && (w & 0x8000) != 0) w ^= 0xFFFF;
        m_aDevicePos[i] = w;
      }
      m_bDevPosValid = true;
      return true;
    case 17:
      for (int i = 0; i < 4; ++i) m_aScreenPos[i] = ReadU16(r + 2 + 2 * i);
      m_bScrPosValid = true;
      return true;
    default:
      return true;
  }
}

bool CTPdrvServiceMode::ParkWorker() {
  if (!m_bRunning) return false;
  m_bPause = true;
  for (int i = 0; i < m_timeouts.m_iParkTries; ++i) {
    m_hEventThread.Set();
    if (m_bParked) {
      m_bPause = false;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(m_timeouts.m_iParkSleepMs));
  }
  m_bPause = false;
  return false;
}

bool CTPdrvServiceMode::AnswerValid(Answer a) const {
  switch (a) {
    case Answer::DIP: return m_bDipValid;
    case Answer::CHECK: return m_bCheckComplete;
    case Answer::SUM: return m_bSumValid;
    case Answer::COMPAT: return m_bCompatValid;
    case Answer::CALIB: return m_bCalibValid;
    case Answer::DEVPOS: return m_bDevPosValid;
    case Answer::SCRPOS: return m_bScrPosValid;
    default: return true;
  }
}
void CTPdrvServiceMode::ClearAnswer(Answer a) {
  switch (a) {
    case Answer::DIP: m_bDipValid = false; break;
    case Answer::CHECK: m_bCheckComplete = false; m_uCheckCount = 0; break;
    case Answer::SUM: m_bSumValid = false; break;
    case Answer::COMPAT: m_bCompatValid = false; break;
    case Answer::CALIB: m_bCalibValid = false; break;
    case Answer::DEVPOS: m_bDevPosValid = false; break;
    case Answer::SCRPOS: m_bScrPosValid = false; break;
    default: break;
  }
}

// One request: park, post, wait for the write and (with an answer) for the answer.
// The caller holds m_callerMutex.
bool CTPdrvServiceMode::Request(const char* name, uint32_t code, uint32_t opcode,
                                uint32_t value, Answer answer, bool firstWrite) {
  if (!firstWrite) m_hEventThread.Set();
  if (!ParkWorker()) return false;
  m_bCommand = true;
  ClearAnswer(answer);
  m_bResultThread = 0;
  m_hEventFunction.Reset();
  m_iSetCommand = opcode;
  m_iSetData = value & 0xFF;
  PostRequest(code);
  bool ok = m_hEventFunction.Wait(m_timeouts.m_iCommandMs) && m_bResultThread == 1;
  if (ok && answer != Answer::NONE) {
    m_hEventThread.Set();
    if (answer == Answer::CHECK) {
      // Records come one per report; each completion is only the end marker.
      while (!m_bCheckComplete && m_hEventFunction.Wait(m_timeouts.m_iCommandMs)) {
      }
    } else {
      m_hEventFunction.Wait(m_timeouts.m_iCommandMs);
    }
    ok = m_bResultThread == 1 && AnswerValid(answer);
  }
  ResetRequest();
  // Wait until the worker has left the answer loop so the next request starts clean.
  for (int i = 0; i < 200 && m_iThreadOperation != 0 && m_bRunning; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  m_bCommand = false;
  Trace(false, std::string(name) + (ok ? "()=TRUE" : "()=FALSE"));
  return ok;
}

bool CTPdrvServiceMode::WriteOnly(const char* name, uint32_t code, uint32_t opcode,
                                  uint32_t value, bool acts) {
  if (!acts) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, std::string(name) + "(" + std::to_string(value) + ")");
  return Request(name, code, opcode, value, Answer::NONE);
}

bool CTPdrvServiceMode::GetDipSWStatus(uint8_t* value) {
  if (!TypeIs(MODEL_TYPE_DRIVER)) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "GetDipSWStatus()");
  if (!Request("GetDipSWStatus", 2, 0, 0, Answer::DIP)) return false;
  if (value) *value = ConvertDip(m_uDip);
  return true;
}

bool CTPdrvServiceMode::GetCheckData(std::vector<Record>* list) {
  if (!TypeIs(MODEL_TYPE_DRIVER)) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  if (list) list->clear();
  Trace(false, "GetCheckData()");
  bool ok = Request("GetCheckData", 3, 1, 0, Answer::CHECK);
  // The board layout of the row matched when the port opened, which may have been for this
  // very request.
  std::vector<uint8_t> sensors;
  {
    std::lock_guard<std::mutex> plock(m_portMutex);
    if (m_pModel)
      for (uint8_t s : m_pModel->m_aSensors) {
        if (s == 0) break;
        sensors.push_back(s);
      }
  }
  size_t expected = 0;
  for (uint8_t s : sensors) expected += s;
  size_t added = 0;
  if (ok && m_bCheckComplete && list) {
    size_t count = m_uCheckCount < MAX_CHECK_RECORDS ? m_uCheckCount : MAX_CHECK_RECORDS;
    for (size_t k = 0; k < count; ++k) {
      const Record& rec = m_checkData[k];
      uint32_t id = rec[2] * 100u + rec[3];
      bool drop = false;
      for (size_t i = 0; i < sensors.size() && !drop; ++i)
        drop = id > (i + 1) * 100 + sensors[i] && id < (i + 2) * 100;
      if (!drop) {
        list->push_back(rec);
        ++added;
      }
    }
  }
  Trace(false, "iAddData=" + std::to_string(added) + " iCountCheckData=" +
                   std::to_string(expected));
  if (!ok || added != expected) {
    if (list) list->clear();
    return false;
  }
  return true;
}

bool CTPdrvServiceMode::GetCheckSum(uint32_t* checksum, uint32_t* flag, uint32_t* version) {
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "GetCheckSum()");
  if (!Request("GetCheckSum", 9, 7, 0, Answer::SUM)) return false;
  if (checksum) *checksum = m_uCheckSum;
  if (flag) *flag = m_uCheckSumFlag;
  if (version) *version = m_uVersion;
  return true;
}

bool CTPdrvServiceMode::SetCompatibleMode(uint32_t value) {
  if (!NotType4()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "SetCompatibleMode(" + std::to_string(value) + ")");
  return Request("SetCompatibleMode", 10, 10, value, Answer::COMPAT);
}

bool CTPdrvServiceMode::SetCalibrationData(int32_t w0, int32_t w1, int32_t w2, int32_t w3) {
  if (!NotType4()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  char text[96];
  std::snprintf(text, sizeof text, "SetCalibrationData(%d,%d,%d,%d)", w0, w1, w2, w3);
  Trace(false, text);
  const int32_t w[4] = {w0, w1, w2, w3};
  for (uint32_t i = 0; i < 8; ++i) {
    uint32_t word = static_cast<uint32_t>(w[i / 2]);
    uint32_t byte = (i % 2 == 0) ? (word & 0xFF) : ((word >> 8) & 0xFF);
    if (!Request("SetCalibrationData", 13, 64 + i, byte, Answer::NONE, i == 0)) return false;
  }
  return true;
}

bool CTPdrvServiceMode::GetCalibrationData(int32_t* w0, int32_t* w1, int32_t* w2, int32_t* w3) {
  if (!NotType4()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "GetCalibrationData()");
  if (!Request("GetCalibrationData", 14, 16, 0, Answer::CALIB)) return false;
  if (w0) *w0 = m_aCalib[0];
  if (w1) *w1 = m_aCalib[1];
  if (w2) *w2 = m_aCalib[2];
  if (w3) *w3 = m_aCalib[3];
  return true;
}

bool CTPdrvServiceMode::GetDevicePosition() {
  if (!Type3()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "GetDevicePosition()");
  return Request("GetDevicePosition", 20, 30, 0, Answer::DEVPOS);
}
bool CTPdrvServiceMode::GetScreenPosition() {
  if (!Type3()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "GetScreenPosition()");
  return Request("GetScreenPosition", 21, 31, 0, Answer::SCRPOS);
}
bool CTPdrvServiceMode::GetDevicePosition(int32_t words[4]) {
  bool ok = GetDevicePosition();
  for (int i = 0; i < 4; ++i) words[i] = m_aDevicePos[i];
  return ok;
}
bool CTPdrvServiceMode::GetScreenPosition(int32_t words[4]) {
  bool ok = GetScreenPosition();
  for (int i = 0; i < 4; ++i) words[i] = m_aScreenPos[i];
  return ok;
}

}  // namespace kv
