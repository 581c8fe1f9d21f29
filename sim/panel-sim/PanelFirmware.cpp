#include "sim/panel-sim/PanelFirmware.h"

#include "common/LittleEndian.h"
#include "common/PanelFirmwareCodes.h"

namespace kv {

CPanelFirmware::CPanelFirmware(const PanelModel& model)
    : m_model(model),
      m_uDip(model.m_uDipSwitch),
      m_uCheckSum(model.m_uCheckSum),
      m_uCheckSumFlag(model.m_uCheckSumFlag),
      m_uVersion(model.m_uFirmwareVersion),
      m_devicePosition(model.m_devicePosition),
      m_screenPosition(model.m_screenPosition) {
  LoadDefaultRecords();
}

std::array<uint8_t, 10> CPanelFirmware::Report(uint8_t type) {
  std::array<uint8_t, 10> r{};
  r[0] = PANEL_REPORT_ID;
  r[1] = type;
  return r;
}

std::array<uint8_t, 10> CPanelFirmware::WordsReport(uint8_t type,
                                                    const std::array<uint16_t, 4>& w) const {
  auto r = Report(type);
  for (size_t i = 0; i < 4; ++i) WriteU16(r.data() + 2 + 2 * i, w[i]);
  return r;
}

std::vector<PanelAnswer> CPanelFirmware::HandleOutput(std::span<const uint8_t> report) {
  // The firmware listens to report id 1 only, and needs the opcode and parameter bytes.
  if (report.size() < PANEL_COMMAND_BYTES || report[0] != PANEL_REPORT_ID) return {};
  uint8_t op = report[1], param = report[2];
  std::lock_guard<std::mutex> lock(m_mutex);
  m_lastParameter[op] = param;
  ++m_received[op];
  if (op >= PANEL_OP_SET_CALIBRATION_FIRST && op <= PANEL_OP_SET_CALIBRATION_LAST)
    m_calibration[op - PANEL_OP_SET_CALIBRATION_FIRST] = param;

  std::vector<PanelAnswer> answers;
  auto answer = [&](const std::array<uint8_t, 10>& r, uint32_t extra = 0) {
    answers.push_back({r, m_uDelayMs + extra});
  };
  switch (op) {
    case PANEL_OP_GET_DIP_SW_STATUS: {
      auto r = Report(PANEL_ANSWER_DIP_SW);
      r[7] = m_uDip;
      answer(r);
      break;
    }
    case PANEL_OP_GET_CHECK_DATA: {
      uint32_t k = 0;
      for (const auto& rec : m_records) {
        auto r = Report(PANEL_ANSWER_CHECK_DATA);
        std::copy(rec.begin(), rec.end(), r.begin() + 2);
        answer(r, m_uPaceMs * k++);
      }
      auto end = Report(PANEL_ANSWER_CHECK_DATA);
      end[2] = end[3] = PANEL_CHECK_DATA_END;
      answer(end, m_uPaceMs * k);
      break;
    }
    case PANEL_OP_TOUCH_REPORT:
      if (m_bPenDown) {
        auto r = Report(PANEL_ANSWER_TOUCH_POSITION);
        WriteU16(r.data() + 6, m_uPenX);
        WriteU16(r.data() + 8, m_uPenY);
        answer(r);
      } else {
        auto r = Report(PANEL_ANSWER_TOUCH_PRESENCE);
        r[2] = PANEL_PRESENCE_RELEASED;  // the touch is over
        answer(r);
      }
      break;
    case PANEL_OP_GET_CHECK_SUM: {
      auto r = Report(PANEL_ANSWER_CHECK_SUM);
      WriteU16(r.data() + 2, m_uCheckSum);
      r[4] = m_uCheckSumFlag;
      r[5] = static_cast<uint8_t>(m_uVersion >> 16);
      r[6] = static_cast<uint8_t>(m_uVersion >> 8);
      r[7] = static_cast<uint8_t>(m_uVersion);
      answer(r);
      break;
    }
    case PANEL_OP_SET_COMPATIBLE_MODE:
      answer(Report(PANEL_ANSWER_COMPATIBLE_MODE));
      break;
    case PANEL_OP_GET_CALIBRATION_DATA: {
      auto r = Report(PANEL_ANSWER_CALIBRATION);
      std::copy(m_calibration.begin(), m_calibration.end(), r.begin() + 2);
      // A muted panel sends nothing, so a read-back it swallows is not a corrupted one.
      if (m_uCorruptReads > 0 && !m_bMuted) {
        --m_uCorruptReads;
        r[2] ^= 0x01;
      }
      answer(r);
      break;
    }
    case PANEL_OP_GET_DEVICE_POSITION:
      answer(WordsReport(PANEL_ANSWER_DEVICE_POSITION, m_devicePosition));
      break;
    case PANEL_OP_GET_SCREEN_POSITION:
      answer(WordsReport(PANEL_ANSWER_SCREEN_POSITION, m_screenPosition));
      break;
    default:
      break;  // settings (3, 4, 14, 25..29, 64..71) and unknown opcodes: no answer
  }
  if (m_bMuted) answers.clear();
  return answers;
}

std::vector<std::array<uint8_t, 10>> CPanelFirmware::PenDown(uint16_t x, uint16_t y) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bPenDown = true;
  m_uPenX = x;
  m_uPenY = y;
  auto state = Report(PANEL_ANSWER_TOUCH_STATE);
  state[2] = PANEL_STATE_TOUCHING;
  auto presence = Report(PANEL_ANSWER_TOUCH_PRESENCE);
  presence[2] = PANEL_PRESENCE_TOUCHING;
  WriteU16(presence.data() + 6, x);
  WriteU16(presence.data() + 8, y);
  return {state, presence};
}

void CPanelFirmware::PenMove(uint16_t x, uint16_t y) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_uPenX = x;
  m_uPenY = y;
}

std::vector<std::array<uint8_t, 10>> CPanelFirmware::PenUp() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bPenDown = false;
  auto presence = Report(PANEL_ANSWER_TOUCH_PRESENCE);
  presence[2] = PANEL_PRESENCE_RELEASED;
  auto state = Report(PANEL_ANSWER_TOUCH_STATE);
  state[2] = PANEL_STATE_RELEASED;
  return {presence, state};
}

std::array<uint8_t, 10> CPanelFirmware::Button(unsigned button, bool pressed) {
  auto r = Report(PANEL_ANSWER_BUTTON);
  size_t at = button == 1 ? 2 : 4;
  r[at] = 1;
  r[at + 1] = pressed ? 1 : 0;
  return r;
}

void CPanelFirmware::SetDipSwitch(uint8_t value) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_uDip = value;
}

void CPanelFirmware::SetCheckSum(uint16_t sum, uint8_t flag) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_uCheckSum = sum;
  m_uCheckSumFlag = flag;
}

void CPanelFirmware::SetFirmwareVersion(uint32_t version) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_uVersion = version & 0xFFFFFF;
}

void CPanelFirmware::SetCalibration(const std::array<uint16_t, 4>& words) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (size_t i = 0; i < 4; ++i) WriteU16(m_calibration.data() + 2 * i, words[i]);
}

std::array<uint16_t, 4> CPanelFirmware::Calibration() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::array<uint16_t, 4> w;
  for (size_t i = 0; i < 4; ++i) w[i] = ReadU16(m_calibration.data() + 2 * i);
  return w;
}

void CPanelFirmware::CorruptCalibrationReads(uint32_t count) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_uCorruptReads = count;
}

void CPanelFirmware::SetDevicePosition(const std::array<uint16_t, 4>& words) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_devicePosition = words;
}

void CPanelFirmware::SetScreenPosition(const std::array<uint16_t, 4>& words) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_screenPosition = words;
}

void CPanelFirmware::ClearRecords() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_records.clear();
}

void CPanelFirmware::AddRecord(const std::array<uint8_t, 8>& data) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_records.push_back(data);
}

void CPanelFirmware::LoadDefaultRecords() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_records.clear();
  // One record per sensor: board number (from 1) and sensor number (from 1) identify it,
  // then a level word that varies from sensor to sensor.
  for (size_t board = 0; board < 32 && m_model.m_sensors[board] != 0; ++board) {
    for (unsigned s = 1; s <= m_model.m_sensors[board]; ++s) {
      std::array<uint8_t, 8> rec{};
      rec[0] = static_cast<uint8_t>(board + 1);
      rec[1] = static_cast<uint8_t>(s);
      WriteU16(rec.data() + 2, static_cast<uint16_t>(600 + (board * 37 + s * 11) % 200));
      m_records.push_back(rec);
    }
  }
}

size_t CPanelFirmware::RecordCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_records.size();
}

void CPanelFirmware::SetMuted(bool muted) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bMuted = muted;
}

void CPanelFirmware::SetDelay(uint32_t ms) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_uDelayMs = ms;
}

void CPanelFirmware::SetRecordPace(uint32_t ms) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_uPaceMs = ms;
}

bool CPanelFirmware::LastParameter(uint8_t opcode, uint8_t* parameter) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_received[opcode] == 0) return false;
  *parameter = m_lastParameter[opcode];
  return true;
}

uint32_t CPanelFirmware::ReceivedCount(uint8_t opcode) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_received[opcode];
}

}  // namespace kv
