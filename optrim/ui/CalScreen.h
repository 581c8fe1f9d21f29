#pragma once
// The calibration run behind the full-screen window: marks at computed positions, one
// steady touch collected per mark, undo, retry and cancel by single keys, the computation,
// the upload and the flash write. A state machine: one handler per state, each event
// dispatched to the handler of the current state, every transition traced.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "optrim/calibration/SensorCalBlock.h"
#include "optrim/device/CalibrationGenSettings.h"
#include "optrim/device/MsgThrower.h"
#include "optrim/ui/CalInstPanel.h"
#include "optrim/ui/CalScreenView.h"
#include "optrim/ui/MarkLayout.h"
#include "optrim/ui/MessageBoxHost.h"
#include "optrim/ui/SensorLink.h"
#include "optrim/ui/TouchSampleTracker.h"
#include "platform/Clock.h"
#include "resources/StringTable.h"

namespace kv {

enum CalScreenState {
  CAL_STATE_IDLE = 0,
  CAL_STATE_COLLECTING = 1,
  CAL_STATE_ACCEPTED = 2,
  CAL_STATE_COMPUTING = 3,
  CAL_STATE_POINT_ERROR = 4,
  CAL_STATE_CALC_ERROR = 5,
  CAL_STATE_DONE = 6,
};
const char* CalScreenStateName(CalScreenState state);

enum CalScreenEventType { CAL_EV_TOUCH, CAL_EV_RELEASE, CAL_EV_TICK, CAL_EV_ACCEPT,
                          CAL_EV_ALL_COLLECTED, CAL_EV_COMMAND };
const char* CalScreenEventName(CalScreenEventType type);

struct CalScreenEvent {
  CalScreenEventType type;
  int x = 0, y = 0;      // touch
  int command = 0;       // PanelCommand
};

// How a mark is painted on the screen (the marker itself sits at the current mark).
enum MarkPaint { MARK_NONE = 0, MARK_ACCEPTED = 2, MARK_PENDING = 3, MARK_ERROR = 5 };

struct CalScreenSetup {
  bool basic = true;
  int rotation = 0;
  int screenWidth = 0;
  int screenHeight = 0;
};

class CCalScreen : public CMsgThrower {
 public:
  static constexpr uint32_t TIMER_MS = 100;
  static constexpr uint32_t RELEASE_WAIT_MS = 400;
  static constexpr uint32_t LOCKOUT_MS = 700;
  static constexpr uint32_t AUTO_CONFIRM_MS = 2600;
  static constexpr uint32_t FLASH_WAIT_MS = 5000;

  using Trace = std::function<void(const std::string&)>;

  CCalScreen(const CalScreenSetup& setup, SensorLink& device, CalScreenView& view,
             MessageBoxHost& boxes, Clock& clock, const CStringTable& strings,
             CBroadCaster* broadcaster, Trace trace = {});
  ~CCalScreen() override;

  // Lays out the marks, registers for touches and starts collecting.
  void Open();
  // Stops the run; the view then closes. Calls onClosed once.
  void Close();
  void SetOnClosed(std::function<void()> onClosed) { m_onClosed = std::move(onClosed); }

  void OnNotify(uint32_t code, uintptr_t payload) override;
  void OnTimer();  // every TIMER_MS
  void OnMessage(uint32_t message, int wParam);
  void OnPanelButton(PanelCommand command) { Dispatch({CAL_EV_COMMAND, 0, 0, command}); }

  CalScreenState State() const { return m_state; }
  bool Closed() const { return m_bClosed; }
  int Total() const { return m_iPerRow * m_iPerColumn; }
  int MarksPerRow() const { return m_iPerRow; }
  const std::vector<ScreenPoint>& Marks() const { return m_marks; }
  const std::vector<MarkPaint>& MarkPaints() const { return m_paints; }
  int MarkerIndex() const { return m_iMarker; }  // -1 while hidden
  // The mark the collecting panels sit beside: the marker's, or the point just accepted.
  int PanelAnchor() const {
    return m_iMarker >= 0 ? m_iMarker : m_points.empty() ? 0 : static_cast<int>(m_points.size()) - 1;
  }
  bool CursorHidden() const { return m_bCursorHidden; }
  const std::vector<DevPoint>& Points() const { return m_points; }
  const CCalInstPanel& Panel() const { return m_panel; }
  const CTouchSampleTracker& Tracker() const { return m_tracker; }
  const SensorCalBlock& Working() const { return m_working; }
  int LastResult() const { return m_iLastResult; }
  // The caption of this run's message boxes.
  std::string Caption() const;

 private:
  void Dispatch(const CalScreenEvent& e);
  void HandleIdle(const CalScreenEvent& e);
  void HandleCollecting(const CalScreenEvent& e);
  void HandleAccepted(const CalScreenEvent& e);
  void HandleComputing(const CalScreenEvent& e);
  void HandlePointError(const CalScreenEvent& e);
  void HandleCalcError(const CalScreenEvent& e);
  void HandleDone(const CalScreenEvent& e);
  void Enter(CalScreenState next);

  void Restart();
  void OnSample(int x, int y);
  void Accept();
  void DeleteLast();
  void NextMarkAfterRelease();
  void Compute();
  void ShowErrorMarks(const std::vector<GridNode>& nodes);
  void ApplyAndWriteFlash();
  void ResendBackup();
  // Polls the keys of the current panel; returns the command they give.
  PanelCommand PollKeys();
  bool LockedOut();
  void ShowPanel(int type);
  int CollectingPanel(bool accepted) const;

  CalScreenSetup m_setup;
  SensorLink& m_device;
  CalScreenView& m_view;
  MessageBoxHost& m_boxes;
  Clock& m_clock;
  const CStringTable& m_strings;
  Trace m_trace;
  std::function<void()> m_onClosed;

  CalibrationGenSettings m_settings;
  uint32_t m_uBaseline = 0;
  int m_iPerRow = 2;
  int m_iPerColumn = 2;
  CalScreenState m_state = CAL_STATE_IDLE;
  bool m_bClosed = false;
  bool m_bBusy = false;  // a modal question or the flash wait is under way
  std::vector<ScreenPoint> m_marks;
  std::vector<MarkPaint> m_paints;
  int m_iMarker = -1;
  bool m_bCursorHidden = false;
  std::vector<DevPoint> m_points;
  CTouchSampleTracker m_tracker;
  CCalInstPanel m_panel;
  SensorCalBlock m_working{};
  SensorCalBlock m_backup{};
  bool m_bLockout = false;
  uint32_t m_uLockoutStart = 0;
  uint32_t m_uLastTouchMs = 0;
  int m_iLastResult = 0;
};

}  // namespace kv
