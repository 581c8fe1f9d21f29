#include "tabrix/firmware/FirmwareReportDecoder.h"

#include <algorithm>

#include "common/LittleEndian.h"
#include "common/PanelFirmwareCodes.h"

namespace kv {

CFirmwareReportDecoder::CFirmwareReportDecoder(CTouchReportHandler& touch) : m_touch(touch) {
  m_checkData.resize(MAX_CHECK_RECORDS);
}

std::array<uint16_t, 4> CFirmwareReportDecoder::Words(const uint8_t* r) {
  std::array<uint16_t, 4> w;
  for (size_t i = 0; i < w.size(); ++i) w[i] = ReadU16(r + 2 + 2 * i);
  return w;
}

// One record per report; only the end marker completes the answer.
bool CFirmwareReportDecoder::CheckData(const uint8_t* r, bool checkDataRequest) {
  if (!checkDataRequest || m_uCheckCount >= MAX_CHECK_RECORDS) return false;
  std::copy(r, r + PANEL_ANSWER_BYTES, m_checkData[m_uCheckCount].begin());
  if (r[2] == PANEL_CHECK_DATA_END && r[3] == PANEL_CHECK_DATA_END) {
    m_bCheckComplete = true;
    return true;
  }
  ++m_uCheckCount;
  return false;
}

CFirmwareReportDecoder::Result CFirmwareReportDecoder::Decode(
    const uint8_t* r, size_t length, bool checkDataRequest,
    const CTouchReportHandler::LinkState& link) {
  Result result;
  if (r == nullptr || length < PANEL_ANSWER_BYTES || r[0] != PANEL_REPORT_ID) return result;
  CTouchReportHandler::Report report;
  std::copy(r, r + report.size(), report.begin());
  result.m_bComplete = true;  // every answer type but two ends a wait
  switch (r[1]) {
    case PANEL_ANSWER_DIP_SW:
      m_uDip = r[7];
      m_bDipValid = true;
      break;
    case PANEL_ANSWER_CHECK_DATA:
      result.m_bComplete = CheckData(r, checkDataRequest);
      break;
    case PANEL_ANSWER_TOUCH_STATE:
      m_touch.TouchState(report, &result.m_actions);
      result.m_bComplete = false;
      break;
    case PANEL_ANSWER_TOUCH_POSITION:
      m_touch.TouchPosition(report, link, &result.m_actions);
      result.m_bTouchAnswered = true;
      break;
    case PANEL_ANSWER_CHECK_SUM:
      m_uCheckSum = ReadU16(r + 2);
      m_uCheckSumFlag = r[4] == 0 ? 1 : 0;
      m_uVersion = static_cast<uint32_t>(r[5]) * 65536 + static_cast<uint32_t>(r[6]) * 256 + r[7];
      m_bSumValid = true;
      break;
    case PANEL_ANSWER_TOUCH_PRESENCE:
      result.m_bTouchAnswered = m_touch.TouchPresence(report, link, &result.m_actions);
      break;
    case PANEL_ANSWER_COMPATIBLE_MODE:
      m_bCompatValid = true;
      break;
    case PANEL_ANSWER_CALIBRATION:
      m_aCalib = Words(r);
      m_bCalibValid = true;
      break;
    case PANEL_ANSWER_BUTTON:
      m_touch.Button(report, &result.m_actions);
      break;
    case PANEL_ANSWER_DEVICE_POSITION:
      m_aDevicePos = Words(r);
      // The panel sends the first and third word inverted when their top bit is set.
      for (size_t i : {0u, 2u})
        if ((m_aDevicePos[i] & 0x8000) != 0) m_aDevicePos[i] ^= 0xFFFF;
      m_bDevPosValid = true;
      break;
    case PANEL_ANSWER_SCREEN_POSITION:
      m_aScreenPos = Words(r);
      m_bScrPosValid = true;
      break;
    default:
      break;  // unknown answers still end a wait; the caller sees its own flag unset
  }
  return result;
}

bool CFirmwareReportDecoder::Valid(Answer a) const {
  switch (a) {
    case Answer::DIP: return m_bDipValid;
    case Answer::CHECK: return m_bCheckComplete;
    case Answer::SUM: return m_bSumValid;
    case Answer::COMPAT: return m_bCompatValid;
    case Answer::CALIB: return m_bCalibValid;
    case Answer::DEVPOS: return m_bDevPosValid;
    case Answer::SCRPOS: return m_bScrPosValid;
    case Answer::NONE: return true;
  }
  return true;
}

void CFirmwareReportDecoder::Clear(Answer a) {
  switch (a) {
    case Answer::DIP: m_bDipValid = false; return;
    case Answer::CHECK:
      m_bCheckComplete = false;
      m_uCheckCount = 0;
      return;
    case Answer::SUM: m_bSumValid = false; return;
    case Answer::COMPAT: m_bCompatValid = false; return;
    case Answer::CALIB: m_bCalibValid = false; return;
    case Answer::DEVPOS: m_bDevPosValid = false; return;
    case Answer::SCRPOS: m_bScrPosValid = false; return;
    case Answer::NONE: return;
  }
}

}  // namespace kv
