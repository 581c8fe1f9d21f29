#include "optrim/ui/CalibrationPanel.h"

#include "optrim/ui/Format.h"
#include "optrim/ui/OptrimStrings.h"

namespace kv {

CCalibrationPanel::CCalibrationPanel(SensorLink& device, uintptr_t deviceId,
                                     CalibrationPanelView& view, OptrimHost& host,
                                     MessageBoxHost& boxes, Clock& clock,
                                     const CStringTable& strings, std::string startSwitch,
                                     PanelPlacement* placement, CBroadCaster* broadcaster)
    : CMsgThrower(broadcaster),
      m_device(device),
      m_deviceId(deviceId),
      m_view(view),
      m_host(host),
      m_boxes(boxes),
      m_clock(clock),
      m_strings(strings),
      m_sStartSwitch(std::move(startSwitch)),
      m_pPlacement(placement) {}

CCalibrationPanel::~CCalibrationPanel() { UnregisterListener(); }

void CCalibrationPanel::Open(int screenTop, int screenHeight) {
  const CalibrationGenSettings s = m_device.GenSettings();
  m_sPreciseCaption = FormatText(m_strings.Get(optrim_str::TITLE_PRECISE),
                                 (s.preciseNx + 1) * (s.preciseNy + 1));
  m_sBasicCaption = m_strings.Get(optrim_str::TITLE_BASIC);
  if (m_pPlacement && m_pPlacement->set) {
    m_iX = m_pPlacement->x;
    m_iY = m_pPlacement->y;
  } else {
    m_iX = FIRST_X;
    m_iY = screenTop + (screenHeight - SCREEN_SHARE) / 4;
  }
  RegisterListener();
  m_view.Changed();
  if (m_sStartSwitch == "-p") StartCalibration(false);
  if (m_sStartSwitch == "-b") StartCalibration(true);
}

bool CCalibrationPanel::StartCalibration(bool basic) {
  if (m_bScreenOpen || m_bClosed) return false;
  m_device.SetMode(5);
  m_device.StartInput();
  m_bScreenOpen = true;
  m_bEnabled = false;
  m_view.OpenScreen(basic);
  m_view.Changed();
  return true;
}

void CCalibrationPanel::OnScreenClosed() {
  if (!m_bScreenOpen) return;
  m_view.DestroyScreen();
  m_bScreenOpen = false;
  m_device.SetMode(0);
  m_bEnabled = true;
  m_view.Changed();
  m_view.BringToFront();
  // An unattended run ends with its calibration screen.
  if (!m_sStartSwitch.empty()) m_host.PostToMain(MAIN_MSG_END_PROGRAM, 0, nullptr);
}

void CCalibrationPanel::WriteFlash() {
  const std::string caption = m_strings.Get(optrim_str::APP_CAPTION);
  if (m_boxes.Show(caption, m_strings.Get(optrim_str::FLASH_QUESTION), MSG_ICON_WARNING,
                   MSG_BUTTONS_YES_NO) != MSG_ANSWER_YES)
    return;
  m_device.FlashOperation(1);
  m_clock.Sleep(FLASH_WAIT_MS);
  const bool written = m_device.ReadFlashState() == 0;
  m_boxes.Show(caption,
               m_strings.Get(written ? optrim_str::WRITING_COMPLETE : optrim_str::WRITING_FAILED),
               written ? MSG_ICON_INFORMATION : MSG_ICON_ERROR, MSG_BUTTONS_OK);
}

void CCalibrationPanel::OnClose(int x, int y) {
  if (m_bClosed) return;
  m_bClosed = true;
  UnregisterListener();
  if (m_bScreenOpen) OnScreenClosed();
  if (m_pPlacement) *m_pPlacement = {true, x, y};
}

void CCalibrationPanel::OnNotify(uint32_t code, uintptr_t payload) {
  if (code == NOTIFY_DEVICE_CLOSING && payload == m_deviceId && !m_bClosed)
    m_host.PostToMain(MAIN_MSG_CLOSE_PANEL, 7, nullptr);
}

}  // namespace kv
