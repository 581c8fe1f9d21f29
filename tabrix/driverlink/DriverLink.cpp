#include "tabrix/driverlink/DriverLink.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/CommandCodes.h"
#include "common/DriverInfoRecord.h"
#include "common/DriverSettings.h"
#include "common/DriverStatusRecord.h"
#include "common/LittleEndian.h"
#include "common/PipeNames.h"
#include "common/PipeRequest.h"
#include "common/SystemError.h"
#include "common/TouchPointRecord.h"

namespace kv {

namespace {

// The driver takes whole numbers; truncate toward zero, and keep values that do not fit
// (or are not numbers) from becoming undefined conversions.
int32_t TruncateToI32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

uint16_t ClampU16(uint32_t value) { return value > UINT16_MAX ? UINT16_MAX : static_cast<uint16_t>(value); }

}  // namespace

uint32_t DriverLink::Transact(PipeTransport& transport, const std::string& pipeName,
                              uint8_t* buffer, size_t length, size_t* answered) {
  *answered = 0;
  std::unique_ptr<PipeConnection> pipe = transport.NewConnection(pipeName);
  if (!pipe) return ERROR_CODE_NOT_ENOUGH_MEMORY;
  bool open = false;
  for (int attempt = 0; attempt < PIPE_OPEN_TRIES && !open; ++attempt) {
    uint32_t code = pipe->Open();
    if (code == ERROR_CODE_SUCCESS) {
      open = true;
    } else if (code != ERROR_CODE_PIPE_BUSY) {
      return code;
    } else if ((code = pipe->WaitForServer(PIPE_WAIT_MS)) != ERROR_CODE_SUCCESS) {
      return code;
    }
  }
  if (!open) return ERROR_CODE_PIPE_BUSY;

  size_t written = 0;
  uint32_t code = pipe->Write(buffer, length, &written);
  if (code == ERROR_CODE_SUCCESS && written != length) code = ERROR_CODE_GEN_FAILURE;
  if (code == ERROR_CODE_SUCCESS) {
    size_t read = 0;
    code = pipe->Read(buffer, length, &read);
    if (code == ERROR_CODE_SUCCESS) *answered = read < length ? read : length;
  }
  pipe->Close();
  return code;
}

bool DriverLink::Send(uint32_t command, const uint8_t* in, uint32_t inSize, uint8_t* out,
                      uint32_t outSize, uint32_t* outReturned, uint32_t* error) const {
  if (outReturned) *outReturned = 0;
  std::vector<uint8_t> message;
  if (!PipeRequest::Build(command, std::span<const uint8_t>(in, inSize), outSize, &message)) {
    if (error) *error = ERROR_CODE_INVALID_PARAMETER;
    return false;
  }
  const char* pipeName = command == COMMAND_WAIT_STATUS ? STATUS_PIPE_NAME : CONTROL_PIPE_NAME;
  size_t answered = 0;
  uint32_t code =
      Transact(m_context.m_transport, pipeName, message.data(), message.size(), &answered);
  if (code == ERROR_CODE_SUCCESS) {
    // The answer must be the whole request echoed with the same layout, and may not claim
    // more output than its out area holds.
    PipeRequest answer(std::span<uint8_t>(message.data(), answered));
    uint32_t total = 0, answerInSize = 0, answerOutSize = 0, returned = 0;
    std::span<uint8_t> area;
    if (answered != message.size() || !answer.TotalLength(&total) || total != answered ||
        !answer.InSize(&answerInSize) || answerInSize != inSize ||
        !answer.OutSize(&answerOutSize) || answerOutSize != outSize ||
        !answer.OutReturned(&returned) || returned > outSize || !answer.OutArea(&area)) {
      code = ERROR_CODE_INVALID_DATA;
    } else {
      if (returned != 0 && out) std::memcpy(out, area.data(), returned);
      if (outReturned) *outReturned = returned;
    }
  }
  if (error) *error = code;
  return code == ERROR_CODE_SUCCESS;
}

bool DriverLink::Open() {
  m_bOk = false;
  m_bUsePipe = false;
  const ModelEntry* model = m_context.m_pCurrentModel;
  if (model && model->IsFirmwareManaged()) {
    m_bOk = true;
    return true;
  }
  uint8_t in[RECORD_SIZE] = {};
  uint8_t out[RECORD_SIZE] = {};
  uint32_t returned = 0;
  DriverSharedData& shared = m_context.m_sharedData;
  if (!Send(COMMAND_GET_DRIVER_INFO, in, sizeof in, out, sizeof out, &returned, nullptr) ||
      returned == 0) {
    shared.SetDriverVersion({});
    shared.SetFirmwareVersion(0);
    return false;
  }
  DriverInfoRecord info;
  DriverInfoRecord::Decode(out, &info);
  CDriverState& state = m_context.m_state;
  bool anyText = false;
  for (size_t i = 0; i < 8; ++i) anyText = anyText || info.m_aVersionText[i] != 0;
  if (anyText) state.SetDriverVersion(info.VersionText());
  state.SetInfoWords(info.m_uInfoWord1, info.m_uInfoWord2, info.m_uFirmwareVersion);
  shared.SetDriverVersion(state.DriverVersion());
  shared.SetFirmwareVersion(info.m_uFirmwareVersion);
  m_bOk = true;
  m_bUsePipe = true;
  return true;
}

bool DriverLink::SendSettings(uint32_t command, const DriverSettings& settings,
                              DriverSettings* answer, bool* whole) {
  const std::array<uint8_t, DriverSettings::SIZE> in = settings.Encode();
  std::array<uint8_t, DriverSettings::SIZE> out{};
  uint32_t returned = 0;
  if (!Send(command, in.data(), SETTINGS_SIZE, out.data(), SETTINGS_SIZE, &returned, nullptr))
    return false;
  // Without the whole record from the driver the caller's copy stays as it was.
  bool decoded = answer && returned == SETTINGS_SIZE && DriverSettings::Decode(out, answer);
  if (whole) *whole = decoded;
  return true;
}

bool DriverLink::SetDevicePath(const std::string& path) {
  if (!m_bUsePipe) return true;
  uint8_t in[DEVICE_PATH_SIZE] = {};
  const size_t n = path.size() < DEVICE_PATH_SIZE ? path.size() : DEVICE_PATH_SIZE - 1;
  if (n != 0) std::memcpy(in, path.data(), n);
  uint8_t out[DEVICE_PATH_SIZE] = {};
  return Send(COMMAND_SET_DEVICE_PATH, in, sizeof in, out, sizeof out, nullptr, nullptr);
}

bool DriverLink::SetInputEnable(uint32_t value) {
  if (!m_bUsePipe) return true;
  DriverSettings settings;
  settings.m_uInputEnable = static_cast<uint8_t>(value);
  return SendSettings(COMMAND_SET_INPUT_ENABLE, settings);
}

bool DriverLink::SetRotation(uint32_t degrees) {
  if (!m_bUsePipe) return true;
  DriverSettings settings;
  settings.m_uRotation = static_cast<uint16_t>(degrees);
  if (!SendSettings(COMMAND_SET_ROTATION, settings)) return false;
  m_context.m_sharedData.SetRotation(degrees);
  return true;
}

bool DriverLink::SetPenButtonMode(uint32_t mode) {
  if (!m_bUsePipe) return true;
  uint32_t word = mode;
  if (m_context.m_iOsType >= OS_TYPE_WIN7) word |= PEN_BUTTON_MODE_WIN7;
  DriverSettings settings;
  settings.m_uPenButtonMode = static_cast<uint16_t>(word);
  if (!SendSettings(COMMAND_SET_PEN_BUTTON_MODE, settings)) return false;
  m_context.m_sharedData.SetPenButtonMode(mode & ~PEN_BUTTON_MODE_WIN7);
  return true;
}

bool DriverLink::TakeTouchPoint(bool discard) {
  if (!m_bUsePipe) return true;
  uint8_t in[RECORD_SIZE] = {};
  uint8_t out[RECORD_SIZE] = {};
  uint32_t returned = 0;
  if (!Send(COMMAND_TAKE_TOUCH_POINT, in, sizeof in, out, sizeof out, &returned, nullptr))
    return false;
  // Without a point from the driver the last one stays as it was.
  TouchPointRecord point;
  if (!discard && returned >= 8 && TouchPointRecord::Decode(out, &point))
    m_context.m_state.SetTouchPoint(point.m_iX, point.m_iY);
  return true;
}

bool DriverLink::WaitStatus() {
  if (!m_bUsePipe) return true;
  uint8_t in[RECORD_SIZE] = {};
  uint8_t out[RECORD_SIZE] = {};
  uint32_t returned = 0;
  if (!Send(COMMAND_WAIT_STATUS, in, sizeof in, out, sizeof out, &returned, nullptr))
    return false;
  DriverStatusRecord status;
  if (returned >= 20 && DriverStatusRecord::Decode(out, &status))
    m_context.m_state.SetStatusFlags(status.m_uFlags);
  return true;
}

bool DriverLink::CancelStatusWait() {
  if (!m_bUsePipe) return true;
  uint8_t in[RECORD_SIZE] = {};
  uint8_t out[RECORD_SIZE] = {};
  return Send(COMMAND_CANCEL_STATUS_WAIT, in, sizeof in, out, sizeof out, nullptr, nullptr);
}

bool DriverLink::SetCalibration(double ratioX, double ratioY, double offsetX, double offsetY) {
  if (!m_bUsePipe) return true;
  uint32_t width = 0, height = 0;
  m_context.m_screen.PrimaryScreenSize(&width, &height);
  DriverSettings settings;
  settings.m_uCalibrationSwitch = 1;
  settings.m_uScreenWidth = ClampU16(width);
  settings.m_uScreenHeight = ClampU16(height);
  settings.m_iRatioX = TruncateToI32(ratioX * 1000.0);
  settings.m_iOffsetX = TruncateToI32(offsetX);
  settings.m_iRatioY = TruncateToI32(ratioY * 1000.0);
  settings.m_iOffsetY = TruncateToI32(offsetY);
  if (!SendSettings(COMMAND_SET_CALIBRATION, settings)) return false;
  m_context.m_sharedData.SetCalibration(ratioX, ratioY, offsetX, offsetY);
  return true;
}

bool DriverLink::SetCalibrationMode(bool calibrating) {
  if (!m_bUsePipe) return true;
  // Calibrating turns the driver's own calibration off; the service takes bytes 1 to 23
  // of this otherwise zero record, so size, ratios and offsets are zero until the next
  // Set calibration.
  DriverSettings settings;
  settings.m_uCalibrationSwitch = calibrating ? 0 : 1;
  if (!SendSettings(COMMAND_SET_CALIBRATION, settings)) return false;
  m_context.m_state.SetCalibrationMode(calibrating ? 1 : 0);
  return true;
}

bool DriverLink::SetPanelState(uint32_t code, uint32_t* flag) {
  if (!m_bUsePipe) return true;
  DriverSettings settings;
  settings.m_uPanelStateCode = static_cast<uint16_t>(code);
  settings.m_uPanelStateFlag = flag && *flag != 0 ? 1 : 0;
  DriverSettings answer;
  bool whole = false;
  if (!SendSettings(COMMAND_SET_PANEL_STATE, settings, &answer, &whole)) return false;
  if (flag && whole) *flag = answer.m_uPanelStateFlag;
  return true;
}

bool DriverLink::SetTouchMode(uint32_t on) {
  if (!m_bUsePipe) return true;
  uint8_t in[2];
  WriteU16(in, static_cast<uint16_t>(on));
  return Send(COMMAND_SET_TOUCH_MODE, in, sizeof in, nullptr, 0, nullptr, nullptr);
}

bool DriverLink::ConnectLoop(const DriverLinkContext& context, uint32_t intervalMs,
                             uint32_t limitMs, DriverLink* opened) {
  Clock& clock = context.m_clock;
  const uint32_t start = clock.TickCount();
  for (;;) {
    const ModelEntry* model = context.m_pCurrentModel;
    if (!model) return false;
    DriverLink pathLink(context);
    pathLink.SetUsePipe(!model->IsFirmwareManaged());
    pathLink.SetDevicePath(FixedText(model->m_szDriverDeviceName));
    // Gives the service time to take the device path before the driver is asked.
    clock.Sleep(10);
    opened->Open();
    if (opened->Ok()) return true;
    if (clock.TickCount() - start > limitMs) return false;
    clock.Sleep(intervalMs);
  }
}

bool DriverLink::QuickConnect(const DriverLinkContext& context) {
  const ModelEntry* model = context.m_pCurrentModel;
  if (!model || model->m_szDriverDeviceName[0] == '\0') return false;
  DriverLink link(context);
  return ConnectLoop(context, 100, 1000, &link);
}

bool DriverLink::StartupConnect(const DriverLinkContext& context) {
  if (!context.m_pCurrentModel) return false;
  DriverLink link(context);
  if (!ConnectLoop(context, 500, 5000, &link)) return false;
  return link.SetInputEnable(1);
}

void DriverLink::Disconnect(const DriverLinkContext& context) {
  DriverLink link(context);
  if (!link.Open()) return;
  link.SetInputEnable(0);
  link.SetDevicePath({});
}

}  // namespace kv
