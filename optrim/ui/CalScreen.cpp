#include "optrim/ui/CalScreen.h"

#include "optrim/calibration/SensorCalibration.h"
#include "optrim/device/TouchDevBase.h"
#include "optrim/ui/Format.h"
#include "optrim/ui/OptrimStrings.h"

namespace kv {

const char* CalScreenStateName(CalScreenState state) {
  switch (state) {
    case CAL_STATE_IDLE: return "IDLE";
    case CAL_STATE_COLLECTING: return "COLLECTING";
    case CAL_STATE_ACCEPTED: return "ACCEPTED";
    case CAL_STATE_COMPUTING: return "COMPUTING";
    case CAL_STATE_POINT_ERROR: return "POINT_ERROR";
    case CAL_STATE_CALC_ERROR: return "CALC_ERROR";
    case CAL_STATE_DONE: return "DONE";
  }
  return "?";
}

const char* CalScreenEventName(CalScreenEventType type) {
  switch (type) {
    case CAL_EV_TOUCH: return "TOUCH";
    case CAL_EV_RELEASE: return "RELEASE";
    case CAL_EV_TICK: return "TICK";
    case CAL_EV_ACCEPT: return "ACCEPT";
    case CAL_EV_ALL_COLLECTED: return "ALL_COLLECTED";
    case CAL_EV_COMMAND: return "COMMAND";
  }
  return "?";
}

CCalScreen::CCalScreen(const CalScreenSetup& setup, SensorLink& device, CalScreenView& view,
                       MessageBoxHost& boxes, Clock& clock, const CStringTable& strings,
                       CBroadCaster* broadcaster, Trace trace)
    : CMsgThrower(broadcaster),
      m_setup(setup),
      m_device(device),
      m_view(view),
      m_boxes(boxes),
      m_clock(clock),
      m_strings(strings),
      m_trace(std::move(trace)),
      m_panel(strings) {}

CCalScreen::~CCalScreen() { UnregisterListener(); }

std::string CCalScreen::Caption() const {
  return m_setup.basic ? m_strings.Get(optrim_str::TITLE_BASIC)
                       : FormatText(m_strings.Get(optrim_str::TITLE_PRECISE), Total());
}

void CCalScreen::Open() {
  m_settings = m_device.GenSettings();
  m_uBaseline = m_device.Baseline();
  // A size the computation would refuse still gets a drawable grid; it then reports it.
  auto marks = [](int n, int max) { return (n >= 1 && n <= max ? n : 1) + 1; };
  m_iPerRow = m_setup.basic ? marks(m_settings.basicNx, kMaxBasicCells)
                            : marks(m_settings.preciseNx, kMaxPreciseCells);
  m_iPerColumn = m_setup.basic ? marks(m_settings.basicNy, kMaxBasicCells)
                               : marks(m_settings.preciseNy, kMaxPreciseCells);
  const CalMargins margins{m_settings.marginX0, m_settings.marginY0, m_settings.marginX1,
                           m_settings.marginY1};
  m_marks = MarkPositions(m_setup.screenWidth, m_setup.screenHeight, margins, m_setup.rotation,
                          m_iPerRow, m_iPerColumn);
  m_paints.assign(m_marks.size(), MARK_PENDING);
  RegisterListener();
  Restart();
}

void CCalScreen::Close() {
  if (m_bClosed) return;
  m_bClosed = true;
  m_device.StopInput();
  UnregisterListener();
  m_bCursorHidden = false;
  if (m_trace) m_trace(std::string("CCalScreen: closed in ") + CalScreenStateName(m_state));
  if (m_onClosed) m_onClosed();
  m_view.CloseWindow();
}

void CCalScreen::OnNotify(uint32_t code, uintptr_t payload) {
  if (m_bClosed || m_bBusy) return;
  if (code == NOTIFY_TOUCH) {
    // The sensor's coordinates are signed 16-bit values carried in the low two words.
    const int x = static_cast<int16_t>(payload & 0xFFFF);
    const int y = static_cast<int16_t>((payload >> 16) & 0xFFFF);
    Dispatch({CAL_EV_TOUCH, x, y, 0});
  } else if (code == NOTIFY_RELEASE) {
    Dispatch({CAL_EV_RELEASE});
  }
}

void CCalScreen::OnTimer() {
  if (m_bClosed || m_bBusy) return;
  const bool locked = LockedOut();
  // Enter first, then the panel's keys; presses during the lockout are dropped.
  const bool enter = m_view.TakeKey(SCREEN_KEY_ENTER) && !locked;
  if (enter && m_state == CAL_STATE_COLLECTING) Dispatch({CAL_EV_ACCEPT});
  Dispatch({CAL_EV_TICK});
  if (m_bClosed) return;
  const PanelCommand command = PollKeys();
  if (locked || command == PANEL_COMMAND_NONE) return;
  if (command != PANEL_COMMAND_DELETE) m_panel.Hide();
  Dispatch({CAL_EV_COMMAND, 0, 0, command});
  if (!m_bClosed) m_view.Changed();
}

void CCalScreen::OnMessage(uint32_t message, int wParam) {
  if (m_bClosed) return;
  switch (message) {
    case CAL_MSG_ACCEPT: Dispatch({CAL_EV_ACCEPT}); break;
    case CAL_MSG_ALL_COLLECTED: Dispatch({CAL_EV_ALL_COLLECTED}); break;
    case CAL_MSG_COMMAND:
      if (wParam != PANEL_COMMAND_DELETE) m_panel.Hide();
      Dispatch({CAL_EV_COMMAND, 0, 0, wParam});
      break;
    default: break;
  }
}

PanelCommand CCalScreen::PollKeys() {
  static constexpr std::pair<ScreenKey, PanelKey> KEYS[] = {
      {SCREEN_KEY_Y, PANEL_KEY_Y}, {SCREEN_KEY_R, PANEL_KEY_R},
      {SCREEN_KEY_ESC, PANEL_KEY_ESC}, {SCREEN_KEY_DELETE, PANEL_KEY_DELETE}};
  PanelCommand result = PANEL_COMMAND_NONE;
  // Every key is taken on every tick, so that a press that meant nothing here does not
  // fire later on another panel.
  for (const auto& [screenKey, panelKey] : KEYS) {
    if (!m_view.TakeKey(screenKey)) continue;
    const PanelCommand c = CCalInstPanel::KeyCommand(m_panel.Type(), panelKey);
    if (result == PANEL_COMMAND_NONE) result = c;
  }
  return result;
}

bool CCalScreen::LockedOut() {
  if (m_bLockout && m_clock.TickCount() - m_uLockoutStart < LOCKOUT_MS) return true;
  m_bLockout = false;
  return false;
}

void CCalScreen::Dispatch(const CalScreenEvent& e) {
  switch (m_state) {
    case CAL_STATE_IDLE: HandleIdle(e); return;
    case CAL_STATE_COLLECTING: HandleCollecting(e); return;
    case CAL_STATE_ACCEPTED: HandleAccepted(e); return;
    case CAL_STATE_COMPUTING: HandleComputing(e); return;
    case CAL_STATE_POINT_ERROR: HandlePointError(e); return;
    case CAL_STATE_CALC_ERROR: HandleCalcError(e); return;
    case CAL_STATE_DONE: HandleDone(e); return;
  }
}

void CCalScreen::Enter(CalScreenState next) {
  if (m_trace)
    m_trace(std::string("CCalScreen: ") + CalScreenStateName(m_state) + " -> " +
            CalScreenStateName(next) + " points " + std::to_string(m_points.size()) + "/" +
            std::to_string(Total()));
  m_state = next;
  m_view.Changed();
}

void CCalScreen::HandleIdle(const CalScreenEvent&) {}

void CCalScreen::HandleCollecting(const CalScreenEvent& e) {
  switch (e.type) {
    case CAL_EV_TOUCH: OnSample(e.x, e.y); break;
    case CAL_EV_ACCEPT: Accept(); break;
    case CAL_EV_COMMAND:
      if (e.command == PANEL_COMMAND_CANCEL) Close();
      if (e.command == PANEL_COMMAND_DELETE) DeleteLast();
      break;
    case CAL_EV_RELEASE: case CAL_EV_TICK: case CAL_EV_ALL_COLLECTED: break;
  }
}

void CCalScreen::HandleAccepted(const CalScreenEvent& e) {
  switch (e.type) {
    case CAL_EV_TOUCH: m_uLastTouchMs = m_clock.TickCount(); break;
    case CAL_EV_TICK:
      if (m_clock.TickCount() - m_uLastTouchMs >= RELEASE_WAIT_MS) NextMarkAfterRelease();
      break;
    case CAL_EV_COMMAND:
      if (e.command == PANEL_COMMAND_CANCEL) Close();
      break;
    case CAL_EV_RELEASE: case CAL_EV_ACCEPT: case CAL_EV_ALL_COLLECTED: break;
  }
}

void CCalScreen::HandleComputing(const CalScreenEvent& e) {
  if (e.type == CAL_EV_ALL_COLLECTED) Compute();
}

void CCalScreen::HandlePointError(const CalScreenEvent& e) {
  if (e.type != CAL_EV_COMMAND) return;
  if (e.command == PANEL_COMMAND_RESTART) Restart();
  if (e.command == PANEL_COMMAND_CANCEL) Close();
}

void CCalScreen::HandleCalcError(const CalScreenEvent& e) { HandlePointError(e); }

void CCalScreen::HandleDone(const CalScreenEvent& e) {
  if (e.type != CAL_EV_COMMAND) return;
  switch (e.command) {
    case PANEL_COMMAND_APPLY: ApplyAndWriteFlash(); break;
    case PANEL_COMMAND_RECALIBRATE:
      ResendBackup();
      m_device.SetMode(5);
      m_device.StartInput();
      Restart();
      break;
    case PANEL_COMMAND_CANCEL_AFTER_SUCCESS:
      ResendBackup();
      Close();
      break;
    default: break;
  }
}

int CCalScreen::CollectingPanel(bool accepted) const {
  return (m_setup.basic ? 1 : 2) + (accepted ? 2 : 0);
}

void CCalScreen::ShowPanel(int type) { m_panel.Show(type, Total()); }

void CCalScreen::Restart() {
  m_working = m_device.CalBlock();
  m_points.clear();
  m_tracker.ClearAccepted();
  m_tracker.Reset();
  m_paints.assign(m_marks.size(), MARK_PENDING);
  ShowPanel(CollectingPanel(false));
  m_iMarker = 0;
  m_bCursorHidden = true;
  m_bLockout = false;
  Enter(CAL_STATE_COLLECTING);
}

void CCalScreen::OnSample(int x, int y) {
  const uint32_t now = m_clock.TickCount();
  m_tracker.OnSample(x, y, now);
  m_panel.SetCoordinates(x, y);
  m_panel.SetCountdown("");
  if (m_tracker.IsComplete()) {
    const uint32_t held = now - m_tracker.FirstMs();
    if (held >= AUTO_CONFIRM_MS) {
      Accept();
      return;
    }
    if (held >= CTouchSampleTracker::COMPLETE_MS)
      m_panel.SetCountdown(FormatText(m_strings.Get(optrim_str::AUTO_CONFIRM),
                                      static_cast<double>(AUTO_CONFIRM_MS - held) / 1000.0));
  }
  m_view.Changed();
}

void CCalScreen::Accept() {
  if (m_points.size() >= static_cast<size_t>(Total()) || !m_tracker.IsComplete()) return;
  const TrackerPoint avg = m_tracker.Average();
  const size_t index = m_points.size();
  m_points.push_back({static_cast<int16_t>(avg.x), static_cast<int16_t>(avg.y)});
  m_tracker.AddAccepted(avg);
  if (index < m_paints.size()) m_paints[index] = MARK_ACCEPTED;
  m_iMarker = -1;
  if (m_points.size() == static_cast<size_t>(Total()))
    m_panel.Hide();
  else
    ShowPanel(CollectingPanel(true));
  m_uLastTouchMs = m_clock.TickCount();
  Enter(CAL_STATE_ACCEPTED);
}

void CCalScreen::NextMarkAfterRelease() {
  if (m_points.size() == static_cast<size_t>(Total())) {
    Enter(CAL_STATE_COMPUTING);
    m_view.PostToScreen(CAL_MSG_ALL_COLLECTED, 0);
    return;
  }
  m_iMarker = static_cast<int>(m_points.size());
  ShowPanel(CollectingPanel(false));
  m_bLockout = true;
  m_uLockoutStart = m_clock.TickCount();
  m_tracker.Reset();
  Enter(CAL_STATE_COLLECTING);
}

void CCalScreen::DeleteLast() {
  if (m_points.empty()) return;
  m_points.pop_back();
  m_tracker.RemoveLastAccepted();
  m_tracker.Reset();
  const size_t index = m_points.size();
  if (index < m_paints.size()) m_paints[index] = MARK_PENDING;
  m_iMarker = static_cast<int>(index);
  m_bLockout = true;
  m_uLockoutStart = m_clock.TickCount();
  m_view.Changed();
}

void CCalScreen::Compute() {
  const int nx = m_iPerRow - 1, ny = m_iPerColumn - 1;
  const int stride = m_setup.basic ? kBasicStride : kPreciseStride;
  std::vector<DevPoint> grid(static_cast<size_t>(stride * stride));
  PlacePoints(m_points, m_setup.rotation, m_iPerRow, m_iPerColumn, stride, grid);
  const CalMargins m{m_settings.marginX0, m_settings.marginY0, m_settings.marginX1,
                     m_settings.marginY1};
  CSensorCalibration calc(m_strings, 0);
  SensorCalBlock block = m_working;
  int errors = 0;
  std::vector<GridNode> list;
  std::string message;
  m_iLastResult =
      m_setup.basic
          ? calc.BasicCalibration(nx, ny, m_uBaseline, m, grid, &block, &errors, &list, &message)
          : calc.PreciseCalibration(nx, ny, m_settings.basicNx, m_settings.basicNy,
                                    m_settings.enableAngle, m_uBaseline, m, m, grid, &block,
                                    &errors, &list, &message);
  if (m_trace) m_trace("CCalScreen: computation result " + std::to_string(m_iLastResult));
  if (m_iLastResult == CAL_ERR_POINT_ORDER || m_iLastResult == CAL_ERR_POINT_DEVIATION) {
    ShowErrorMarks(list);
    ShowPanel(8);
    m_panel.SetDetail(message);
    Enter(CAL_STATE_POINT_ERROR);
    return;
  }
  if (m_iLastResult != CAL_OK) {
    if (!calc.Detail().empty() && calc.Detail() != message) message += "\n" + calc.Detail();
    ShowPanel(9);
    m_panel.SetDetail(message);
    Enter(CAL_STATE_CALC_ERROR);
    return;
  }
  m_backup = m_device.CalBlock();
  const UploadParts parts = m_setup.basic ? UPLOAD_BASIC_ONLY : UPLOAD_ALL;
  if (!m_device.Upload(block, parts)) {
    // The sensor did not take the tables: say so instead of offering to write the flash.
    ShowPanel(9);
    m_panel.SetDetail(m_strings.Get(optrim_str::WRITING_FAILED));
    Enter(CAL_STATE_CALC_ERROR);
    return;
  }
  m_working = block;
  m_bCursorHidden = false;
  m_device.MarkCalibrated();
  m_device.StopInput();
  m_device.SetMode(0);
  ShowPanel(7);
  Enter(CAL_STATE_DONE);
}

void CCalScreen::ShowErrorMarks(const std::vector<GridNode>& nodes) {
  for (const GridNode& node : nodes) {
    const int mark = MarkOfNode(node, m_setup.rotation, m_iPerRow, m_iPerColumn);
    if (mark >= 0 && static_cast<size_t>(mark) < m_paints.size()) m_paints[mark] = MARK_ERROR;
  }
}

void CCalScreen::ResendBackup() {
  m_device.Upload(m_backup, m_setup.basic ? UPLOAD_BASIC_ONLY : UPLOAD_ALL);
}

void CCalScreen::ApplyAndWriteFlash() {
  m_bBusy = true;
  m_view.Changed();  // the panel goes before the question comes
  const MsgAnswer answer =
      m_boxes.Show(Caption(), m_strings.Get(optrim_str::FLASH_QUESTION), MSG_ICON_WARNING,
                   MSG_BUTTONS_YES_NO);
  if (answer != MSG_ANSWER_YES) {
    m_bBusy = false;
    ShowPanel(7);
    m_view.Changed();
    return;
  }
  m_device.FlashOperation(1);
  m_clock.Sleep(FLASH_WAIT_MS);
  const bool written = m_device.ReadFlashState() == 0;
  if (m_trace) m_trace(std::string("CCalScreen: flash ") + (written ? "written" : "failed"));
  m_boxes.Show(Caption(),
               m_strings.Get(written ? optrim_str::WRITING_COMPLETE : optrim_str::WRITING_FAILED),
               written ? MSG_ICON_INFORMATION : MSG_ICON_ERROR, MSG_BUTTONS_OK);
  m_bBusy = false;
  Close();
}

}  // namespace kv
