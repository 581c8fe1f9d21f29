#include "platform/posix/SimHidFrame.h"

#include "common/LittleEndian.h"

namespace kv {

bool DecodeSimHidHostFrame(std::span<const uint8_t> frame, SimHidFrameView* view) {
  *view = SimHidFrameView{};
  if (frame.empty() || frame.size() > SIM_HID_MAX_FRAME) return false;
  view->m_uKind = frame[0];
  switch (frame[0]) {
    case SIM_HID_OUTPUT:
      if (frame.size() < 2) return false;
      view->m_report = frame.subspan(1);
      return true;
    case SIM_HID_SET_FEATURE:
      if (frame.size() < 3) return false;
      view->m_uSeq = frame[1];
      view->m_report = frame.subspan(2);
      return true;
    case SIM_HID_GET_FEATURE:
      if (frame.size() != 5) return false;
      view->m_uSeq = frame[1];
      view->m_uReportId = frame[2];
      view->m_uLength = ReadU16(&frame[3]);
      return view->m_uLength != 0 && view->m_uLength <= SIM_HID_MAX_REPORT;
    default:
      return false;
  }
}

bool DecodeSimHidDeviceFrame(std::span<const uint8_t> frame, SimHidFrameView* view) {
  *view = SimHidFrameView{};
  if (frame.empty() || frame.size() > SIM_HID_MAX_FRAME) return false;
  view->m_uKind = frame[0];
  switch (frame[0]) {
    case SIM_HID_HELLO:
      return frame.size() == 1;
    case SIM_HID_INPUT:
      if (frame.size() < 2) return false;
      view->m_report = frame.subspan(1);
      return true;
    case SIM_HID_FEATURE_ACK:
      if (frame.size() < 2) return false;
      view->m_uSeq = frame[1];
      view->m_uStatus = frame.size() >= 3 ? frame[2] : 1;
      return true;
    case SIM_HID_FEATURE_REPORT:
      if (frame.size() < 2) return false;
      view->m_uSeq = frame[1];
      view->m_report = frame.subspan(2);
      return true;
    default:
      return false;
  }
}

}  // namespace kv
