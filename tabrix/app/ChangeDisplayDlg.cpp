#include "tabrix/app/ChangeDisplayDlg.h"

#include <cstdlib>

#include "resources/TextFormat.h"
#include "tabrix/app/AppShell.h"
#include "tabrix/app/CalibrationWnd.h"
#include "tabrix/app/HotKeyDispatcher.h"
#include "tabrix/app/PanelSettingsSender.h"

namespace kv {

namespace {

constexpr uint32_t WORD_MAX = 0xFFFF;  // the message carries each side in 16 bits

bool Neutral(const CalibrationValues& v) {
  return v.m_dRatioX == 1.0 && v.m_dRatioY == 1.0 && v.m_dOffsetX == 0.0 && v.m_dOffsetY == 0.0;
}

bool AllZero(const CalibrationValues& v) {
  return v.m_dRatioX == 0.0 && v.m_dRatioY == 0.0 && v.m_dOffsetX == 0.0 && v.m_dOffsetY == 0.0;
}

}  // namespace

CChangeDisplayDlg::CChangeDisplayDlg(CAppShell& shell, CCalibrationWnd& window,
                                     ChangeDisplayView& view)
    : m_shell(shell), m_window(window), m_view(view) {
  shell.Services().m_display.PrimaryScreenSize(&m_accepted.m_uWidth, &m_accepted.m_uHeight);
  m_sSettingsTitle = shell.Strings().Get(SettingsTitleId(shell.Services().m_iOsType));
}

uint32_t CChangeDisplayDlg::SettingsTitleId(int32_t osType) {
  if (osType >= OS_TYPE_WIN7) return SETTINGS_TITLE_ID;
  return osType == OS_TYPE_VISTA ? SETTINGS_TITLE_VISTA_ID : SETTINGS_TITLE_OLD_ID;
}

std::string CChangeDisplayDlg::Compose(const std::string& message, const std::string& sizeFormat,
                                       DisplaySize size) {
  // Both texts may come from a language module: filled as texts, never as printf formats.
  const std::string resolution = CTextFormat::Printf(
      sizeFormat, {std::to_string(size.m_uWidth), std::to_string(size.m_uHeight)});
  return CTextFormat::Printf(message, {resolution});
}

void CChangeDisplayDlg::StartTimer(uint32_t id) {
  m_view.StartTimer(id, id == TIMER_WAIT ? WAIT_MS : SETTLE_TICK_MS);
  (id == TIMER_WAIT ? m_bWaitTimer : m_bSettleTimer) = true;
}

void CChangeDisplayDlg::KillTimer(uint32_t id) {
  m_view.StopTimer(id);
  (id == TIMER_WAIT ? m_bWaitTimer : m_bSettleTimer) = false;
}

void CChangeDisplayDlg::Settle() {
  m_accepted = m_new;
  m_pending = {};
  if (!m_bShown) return;
  m_view.Hide();
  m_bShown = false;
  m_window.SetDisplayChangeShown(false);
}

void CChangeDisplayDlg::OnDisplayChange(uint32_t width, uint32_t height) {
  // A side that does not fit the message's word means no usable screen.
  m_new = (width > WORD_MAX || height > WORD_MAX) ? DisplaySize{} : DisplaySize{width, height};
  if (m_bDeciding) return;
  if (!m_window.DriverOn()) {
    KillTimer(TIMER_WAIT);
    KillTimer(TIMER_SETTLE);
    Settle();
    return;
  }
  if (m_window.SelectionOpen()) {
    Settle();
    // One box is enough however many changes arrive while it is up.
    if (m_bTelling) return;
    m_bTelling = true;
    m_shell.Box(m_shell.Text(CLOSE_SELECTION_ID),
                MBF_ICON_HAND | MBF_SET_FOREGROUND | MBF_TOPMOST);
    m_bTelling = false;
    return;
  }
  if (m_bWaitTimer) return;
  m_bSettingsWindowSeen = false;
  StartTimer(TIMER_WAIT);
}

void CChangeDisplayDlg::OnTimer(uint32_t id) {
  if (id == TIMER_WAIT) {
    if (!m_bWaitTimer) return;
    if (m_shell.Services().m_windows.FindWindow(nullptr, &m_sSettingsTitle) == 0) {
      KillTimer(TIMER_WAIT);
      Decide();
    }
    // Set after deciding: it tells whether the window was there on an earlier tick.
    m_bSettingsWindowSeen = true;
  } else if (id == TIMER_SETTLE) {
    if (!m_bSettleTimer) return;
    const uint32_t elapsed = m_shell.Services().m_clock.TickCount() - m_uSettleStart;
    if (elapsed < SETTLE_PERIOD_MS) return;
    KillTimer(TIMER_SETTLE);
    m_accepted = m_new;
    m_pending = {};
  }
}

void CChangeDisplayDlg::Decide() {
  m_bDeciding = true;
  if (m_new == DisplaySize{}) {
    m_bDeciding = false;
    return;
  }
  if (m_new == m_accepted) {
    KillTimer(TIMER_SETTLE);
    Settle();
    m_bDeciding = false;
    return;
  }
  if (m_new == m_pending) {
    m_bDeciding = false;
    return;
  }
  KillTimer(TIMER_SETTLE);
  m_sMessage.clear();
  if (m_shell.Settings().GetCalibDisp() == 0) {
    if (!SilentCheck()) {
      Settle();
      CPanelSettingsSender(m_shell).ApplyRotation(m_shell.Settings().GetRotationAngle());
      m_window.SwitchDriver(true);
      m_bDeciding = false;
      return;
    }
  } else {
    ComposeQuestion();
  }
  if (!(m_pending == DisplaySize{})) m_accepted = m_pending;
  m_pending = m_new;
  PrepareText();
  if (!m_sMessage.empty() && !m_bShown) {
    m_view.Show();
    m_bShown = true;
    m_window.SetDisplayChangeShown(true);
    if (m_bSettingsWindowSeen) {
      // The user chose the size in the settings window: nothing left to revert.
      m_accepted = m_new;
      m_pending = {};
    } else {
      StartTimer(TIMER_SETTLE);
      m_uSettleStart = m_shell.Services().m_clock.TickCount();
    }
  }
  m_bDeciding = false;
}

CalibrationValues CChangeDisplayDlg::StoredValues(DisplaySize size,
                                                  const CalibrationValues& defaults) {
  const std::string key = m_shell.Calibration().ResolutionKey(
      static_cast<int32_t>(size.m_uWidth), static_cast<int32_t>(size.m_uHeight));
  const char* const names[4] = {CCalibrationStore::RATIO_X, CCalibrationStore::RATIO_Y,
                                CCalibrationStore::OFFSET_X, CCalibrationStore::OFFSET_Y};
  const double fallback[4] = {defaults.m_dRatioX, defaults.m_dRatioY, defaults.m_dOffsetX,
                              defaults.m_dOffsetY};
  double v[4];
  for (int i = 0; i < 4; ++i) {
    // Read as the store reads it, so that what is found here is what gets applied.
    const std::string text = m_shell.Settings().ReadString(key, names[i], "");
    v[i] = text.empty() ? fallback[i] : std::atof(text.c_str());
  }
  return {v[0], v[1], v[2], v[3]};
}

bool CChangeDisplayDlg::SilentCheck() {
  const CalibrationValues stored = StoredValues(m_new, {0.0, 0.0, 0.0, 0.0});
  CCalibrationStore& store = m_shell.Calibration();
  if (AllZero(stored)) {
    const ScreenSizePreset p = store.BestPreset();
    m_sMessage = m_shell.Text(p != PRESET_NONE ? ASK_PRESET_ID : ASK_ADVANCED_ID, "%s");
    m_iAnswerPreset = p;
    m_bAnswerUsePreset = p == PRESET_NONE;
    return true;
  }
  const CalibrationValues previous = store.Current();
  store.Current() = stored;
  if (!store.ApplyCalibration(true)) store.Current() = previous;
  return false;
}

void CChangeDisplayDlg::ChooseAnswers(bool forQuestion) {
  m_window.Keys().ResetRotating();
  const ScreenSizePreset p = m_shell.Calibration().BestPreset();
  if (p != PRESET_NONE) {
    if (forQuestion) m_sMessage = m_shell.Text(ASK_PRESET_ID, "%s");
    m_iAnswerPreset = p;
    m_bAnswerUsePreset = false;
    return;
  }
  DisplaySize current;
  m_shell.Services().m_display.PrimaryScreenSize(&current.m_uWidth, &current.m_uHeight);
  const bool nothingStored = m_shell.CurrentModelType() == MODEL_TYPE_FIRMWARE_3 ||
                             Neutral(StoredValues(current, CalibrationValues{}));
  m_iAnswerPreset = PRESET_NONE;
  m_bAnswerUsePreset = nothingStored;
  if (!forQuestion) return;
  m_sMessage = nothingStored ? m_shell.Text(ASK_ADVANCED_ID, "%s")
                             : m_shell.Text(ASK_READJUST_ID, "%s") +
                                   m_shell.Strings().Get(ASK_CALIBRATE_ID);
}

void CChangeDisplayDlg::ComposeQuestion() { ChooseAnswers(true); }

void CChangeDisplayDlg::RefreshAnswers() { ChooseAnswers(false); }

void CChangeDisplayDlg::PrepareText() {
  if (m_sMessage.empty()) return;
  m_view.SetText(Compose(m_sMessage, m_shell.Strings().Get(SIZE_FORMAT_ID), m_new));
}

bool CChangeDisplayDlg::Answerable() {
  if (!m_bShown) return false;
  Settle();
  KillTimer(TIMER_SETTLE);
  return m_window.DriverOn() && !m_window.SelectionOpen();
}

void CChangeDisplayDlg::OnYes() {
  if (Answerable()) m_window.PostCommand(CALIBRATION_COMMAND);
}

void CChangeDisplayDlg::OnNo() {
  if (Answerable()) ApplyStoredAnswer();
}

void CChangeDisplayDlg::ApplyStoredAnswer() {
  CCalibrationStore& store = m_shell.Calibration();
  if (m_iAnswerPreset != PRESET_NONE)
    store.LoadCalibration(m_iAnswerPreset, true);
  else
    store.LoadCalibration(PRESET_WIDE, m_bAnswerUsePreset);
  if (!store.ApplyCalibration(true)) {
    // Nothing reached the driver: the preset is not recorded as the one in force.
    if (m_window.DriverOn()) m_window.DeviceLostGuide(true);
    return;
  }
  if (m_iAnswerPreset != PRESET_NONE) store.WriteOsdMode(m_iAnswerPreset);
}

void CChangeDisplayDlg::CheckDriverState() {
  if (m_window.DriverOn()) return;
  KillTimer(TIMER_WAIT);
  KillTimer(TIMER_SETTLE);
  Settle();
}

void CChangeDisplayDlg::OnDestroy() {
  KillTimer(TIMER_WAIT);
  KillTimer(TIMER_SETTLE);
}

}  // namespace kv
