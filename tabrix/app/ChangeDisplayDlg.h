#pragma once
// The question that follows a change of the screen resolution. A stored calibration only
// fits the resolution it was made at, so after a change the notice either applies the
// user's values for the new size silently (notices off) or asks whether to calibrate now
// or apply the best stored values. It does not ask too early: not while the system's
// display settings window is open, and a return to the previous size within 60 s (the
// system reverting an unconfirmed change) counts as no change at all.
#include <cstdint>
#include <string>

#include "tabrix/app/ChangeDisplayView.h"
#include "tabrix/calibration/CalibrationValues.h"
#include "tabrix/calibration/ScreenSizePreset.h"

namespace kv {

class CAppShell;
class CCalibrationWnd;

struct DisplaySize {
  uint32_t m_uWidth = 0;
  uint32_t m_uHeight = 0;
  bool operator==(const DisplaySize&) const = default;
};

class CChangeDisplayDlg {
 public:
  static constexpr uint32_t TIMER_WAIT = 1;    // the display settings window is still open
  static constexpr uint32_t TIMER_SETTLE = 2;  // counting the settle period
  static constexpr uint32_t WAIT_MS = 10;
  static constexpr uint32_t SETTLE_TICK_MS = 5000;
  static constexpr uint32_t SETTLE_PERIOD_MS = 60000;
  static constexpr uint32_t ASK_PRESET_ID = 57681;
  static constexpr uint32_t CLOSE_SELECTION_ID = 57685;
  static constexpr uint32_t ASK_ADVANCED_ID = 57715;
  static constexpr uint32_t ASK_READJUST_ID = 57716;
  static constexpr uint32_t ASK_CALIBRATE_ID = 57717;
  static constexpr uint32_t SIZE_FORMAT_ID = 57724;  // "%dX%d"
  static constexpr uint32_t SETTINGS_TITLE_OLD_ID = 57726;
  static constexpr uint32_t SETTINGS_TITLE_ID = 57727;
  static constexpr uint32_t SETTINGS_TITLE_VISTA_ID = 57732;
  static constexpr uint32_t CALIBRATION_COMMAND = 57401;

  // Created with its window; the accepted size is the screen's size now.
  CChangeDisplayDlg(CAppShell& shell, CCalibrationWnd& window, ChangeDisplayView& view);
  CChangeDisplayDlg(const CChangeDisplayDlg&) = delete;
  CChangeDisplayDlg& operator=(const CChangeDisplayDlg&) = delete;

  // WM_DISPLAYCHANGE: the primary screen's new size in pixels.
  void OnDisplayChange(uint32_t width, uint32_t height);
  void OnTimer(uint32_t id);
  // The buttons (Esc and the close box count as "No"); ignored while nothing is shown.
  void OnYes();
  void OnNo();
  // After a successful rotation: what "No" would apply, recomputed; nothing is shown.
  void RefreshAnswers();
  // On every tray icon update: with the driver off a change is settled without a question.
  void CheckDriverState();
  // WM_DESTROY: the timers go with the window.
  void OnDestroy();

  bool Shown() const { return m_bShown; }
  DisplaySize AcceptedSize() const { return m_accepted; }
  DisplaySize PendingSize() const { return m_pending; }
  ScreenSizePreset AnswerPreset() const { return m_iAnswerPreset; }
  bool AnswerUsePreset() const { return m_bAnswerUsePreset; }
  // The English title of the system's display settings window for an OS type.
  static uint32_t SettingsTitleId(int32_t osType);
  // The question with the size filled in ("%s" of message, "%dX%d" of the size).
  static std::string Compose(const std::string& message, const std::string& sizeFormat,
                             DisplaySize size);

 private:
  void Settle();
  void Decide();
  bool SilentCheck();
  void ComposeQuestion();
  void ChooseAnswers(bool forQuestion);
  void PrepareText();
  void StartTimer(uint32_t id);
  void KillTimer(uint32_t id);
  // The four values stored for a resolution, each missing one read as its default.
  CalibrationValues StoredValues(DisplaySize size, const CalibrationValues& defaults);
  bool Answerable();
  void ApplyStoredAnswer();

  CAppShell& m_shell;
  CCalibrationWnd& m_window;
  ChangeDisplayView& m_view;
  DisplaySize m_accepted;
  DisplaySize m_pending;
  DisplaySize m_new;
  bool m_bDeciding = false;
  bool m_bTelling = false;  // the "cancel the selection first" box is up
  bool m_bShown = false;
  bool m_bSettingsWindowSeen = false;
  bool m_bWaitTimer = false;
  bool m_bSettleTimer = false;
  uint32_t m_uSettleStart = 0;
  std::string m_sMessage;  // the question, "%s" where the size goes
  std::string m_sSettingsTitle;
  ScreenSizePreset m_iAnswerPreset = PRESET_NONE;
  bool m_bAnswerUsePreset = false;
};

}  // namespace kv
