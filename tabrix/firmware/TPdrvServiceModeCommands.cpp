// The firmware command functions of CTPdrvServiceMode, on the caller's thread: each parks
// the worker, posts its request, waits for the write and, where the command has one, for
// the answer, then withdraws the request.
#include <cstdio>

#include "tabrix/firmware/TPdrvServiceMode.h"

namespace kv {

bool CTPdrvServiceMode::ParkWorker() {
  if (!m_bRunning) return false;
  m_bPause = true;
  for (int i = 0; i < m_timeouts.m_iParkTries; ++i) {
    m_hEventThread.Set();
    if (m_bParked) {
      m_bPause = false;
      return true;
    }
    m_clock.Sleep(static_cast<uint32_t>(m_timeouts.m_iParkSleepMs));
  }
  m_bPause = false;
  return false;
}

// One request: park, post, wait for the write and (with an answer) for the answer.
// The caller holds m_callerMutex.
bool CTPdrvServiceMode::Request(const char* name, uint32_t code, uint8_t opcode,
                                uint32_t value, Answer answer, bool firstWrite) {
  if (!firstWrite) m_hEventThread.Set();
  if (!ParkWorker()) return false;
  m_bCommand = true;
  m_decoder.Clear(answer);
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
      while (!m_decoder.Valid(Answer::CHECK) && m_hEventFunction.Wait(m_timeouts.m_iCommandMs)) {
      }
    } else {
      m_hEventFunction.Wait(m_timeouts.m_iCommandMs);
    }
    ok = m_bResultThread == 1 && m_decoder.Valid(answer);
  }
  ResetRequest();
  // Wait until the worker has left the answer loop so the next request starts clean.
  for (int i = 0; i < 200 && m_iThreadOperation != THREAD_OPERATION_NONE && m_bRunning; ++i)
    m_clock.Sleep(1);
  m_bCommand = false;
  Trace(false, std::string(name) + (ok ? "()=TRUE" : "()=FALSE"));
  return ok;
}

bool CTPdrvServiceMode::WriteOnly(const char* name, uint32_t code, uint8_t opcode,
                                  uint32_t value, bool acts) {
  if (!acts) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, std::string(name) + "(" + std::to_string(value) + ")");
  return Request(name, code, opcode, value, Answer::NONE);
}

bool CTPdrvServiceMode::GetDipSWStatus(uint8_t* value) {
  if (!DriverModel()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "GetDipSWStatus()");
  if (!Request("GetDipSWStatus", SELECT_FUNCTION_WRITE_GET_DIP_SW_STATUS,
               PANEL_OP_GET_DIP_SW_STATUS, 0, Answer::DIP))
    return false;
  if (value) *value = ConvertDip(m_decoder.Dip());
  return true;
}

bool CTPdrvServiceMode::GetCheckData(std::vector<Record>* list) {
  if (!DriverModel()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  if (list) list->clear();
  Trace(false, "GetCheckData()");
  const bool ok = Request("GetCheckData", SELECT_FUNCTION_WRITE_GET_CHECK_DATA,
                          PANEL_OP_GET_CHECK_DATA, 0, Answer::CHECK);
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
  if (ok && m_decoder.Valid(Answer::CHECK) && list) {
    for (size_t k = 0; k < m_decoder.CheckCount(); ++k) {
      const Record& rec = m_decoder.CheckRecord(k);
      const uint32_t id = rec[2] * 100u + rec[3];
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
  if (!Request("GetCheckSum", SELECT_FUNCTION_WRITE_GET_CHECK_SUM, PANEL_OP_GET_CHECK_SUM, 0,
               Answer::SUM))
    return false;
  if (checksum) *checksum = m_decoder.CheckSum();
  if (flag) *flag = m_decoder.CheckSumFlag();
  if (version) *version = m_decoder.Version();
  return true;
}

bool CTPdrvServiceMode::SetCompatibleMode(uint32_t value) {
  if (!NotType4()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "SetCompatibleMode(" + std::to_string(value) + ")");
  return Request("SetCompatibleMode", SELECT_FUNCTION_WRITE_SET_COMPATIBLE_MODE,
                 PANEL_OP_SET_COMPATIBLE_MODE, value, Answer::COMPAT);
}

bool CTPdrvServiceMode::SetCalibrationData(int32_t w0, int32_t w1, int32_t w2, int32_t w3) {
  if (!NotType4()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  char text[96];
  std::snprintf(text, sizeof text, "SetCalibrationData(%d,%d,%d,%d)", w0, w1, w2, w3);
  Trace(false, text);
  const int32_t w[4] = {w0, w1, w2, w3};
  for (uint8_t i = 0; i < 8; ++i) {
    const auto word = static_cast<uint32_t>(w[i / 2]);
    const uint32_t byte = (i % 2 == 0) ? (word & 0xFF) : ((word >> 8) & 0xFF);
    if (!Request("SetCalibrationData", SELECT_FUNCTION_WRITE_SET_CALIBRATION_DATA,
                 static_cast<uint8_t>(PANEL_OP_SET_CALIBRATION_FIRST + i), byte, Answer::NONE,
                 i == 0))
      return false;
  }
  return true;
}

bool CTPdrvServiceMode::GetCalibrationData(int32_t* w0, int32_t* w1, int32_t* w2, int32_t* w3) {
  if (!NotType4()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "GetCalibrationData()");
  if (!Request("GetCalibrationData", SELECT_FUNCTION_WRITE_GET_CALIBRATION_DATA,
               PANEL_OP_GET_CALIBRATION_DATA, 0, Answer::CALIB))
    return false;
  const std::array<uint16_t, 4>& w = m_decoder.Calibration();
  if (w0) *w0 = w[0];
  if (w1) *w1 = w[1];
  if (w2) *w2 = w[2];
  if (w3) *w3 = w[3];
  return true;
}

bool CTPdrvServiceMode::GetDevicePosition() {
  if (!Type3()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "GetDevicePosition()");
  return Request("GetDevicePosition", SELECT_FUNCTION_WRITE_GET_DEVICE_POSITION,
                 PANEL_OP_GET_DEVICE_POSITION, 0, Answer::DEVPOS);
}
bool CTPdrvServiceMode::GetScreenPosition() {
  if (!Type3()) return true;
  std::lock_guard<std::mutex> lock(m_callerMutex);
  Trace(false, "GetScreenPosition()");
  return Request("GetScreenPosition", SELECT_FUNCTION_WRITE_GET_SCREEN_POSITION,
                 PANEL_OP_GET_SCREEN_POSITION, 0, Answer::SCRPOS);
}
bool CTPdrvServiceMode::GetDevicePosition(int32_t words[4]) {
  const bool ok = GetDevicePosition();
  const std::array<uint16_t, 4> w = m_decoder.DevicePosition();
  for (int i = 0; i < 4; ++i) words[i] = w[i];
  return ok;
}
bool CTPdrvServiceMode::GetScreenPosition(int32_t words[4]) {
  const bool ok = GetScreenPosition();
  const std::array<uint16_t, 4> w = m_decoder.ScreenPosition();
  for (int i = 0; i < 4; ++i) words[i] = w[i];
  return ok;
}

}  // namespace kv
