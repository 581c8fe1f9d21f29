#pragma once
// The main window as the calibration surface: four crosses, the red one due next, touched
// one after the other with the pen. Each touch is the driver's raw pen position, asked for
// through the service on the button release (never the mouse position, which the driver
// has already corrected). The touches are checked, the user confirms, and the ratio and
// offset go to the driver and into the store for the current resolution.
#include <cstdint>

#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/app/CalibrationSurfaceView.h"
#include "tabrix/calibration/CalibrationGeometry.h"

namespace kv {

class CCalibrationWnd;

class CCalibrationSurface {
 public:
  static constexpr uint32_t TOUCH_TEXT_ID = 57350;
  static constexpr uint32_t ERROR_TEXT_ID = 57353;
  static constexpr uint32_t ASK_APPLY_ID = 57351;
  static constexpr uint32_t ASK_EXIT_ID = 57348;
  static constexpr uint32_t NOT_CONNECTED_ID = 57734;
  static constexpr uint32_t FONT_NAME_ID = 57730;
  static constexpr int FONT_POINTS = 14;
  static constexpr uint32_t ESCAPE = 27;
  static constexpr uint32_t TOUCH_MODE_BITS = 0xF0;

  // The collection as states over the target index: four targets, then the check of the
  // four touches, then the apply question.
  enum TargetState : int {
    TARGET_TOP_LEFT = 0,
    TARGET_BOTTOM_LEFT = 1,
    TARGET_BOTTOM_RIGHT = 2,
    TARGET_TOP_RIGHT = 3,
    CHECKING_TOUCHES = 4,
    ASKING_APPLY = 5,
  };
  static const char* StateName(TargetState state);

  CCalibrationSurface(CAppShell& shell, AppViews& views, CCalibrationWnd& window)
      : m_shell(shell), m_views(views), m_window(window) {}

  void SetView(CalibrationSurfaceView* view) { m_pView = view; }
  // The advanced choice of the selection: collection starts over at the first target.
  void Restart();
  // Driver models: single touch, the driver's calibration mode, then the surface; false
  // when the driver did not enter calibration mode.
  bool Open();

  void OnLeftButtonUp();
  // WM_CHAR: Esc asks whether to leave calibration.
  void OnChar(uint32_t code);

  // What a paint draws: the screen as it is now, the due target, the panel's text.
  CCalibrationGeometry Geometry() const;
  TargetState State() const { return m_state; }
  uint32_t MessageId() const { return m_uMessageId; }
  std::string MessageText() const { return m_shell.Text(m_uMessageId); }
  const CCalibrationGeometry::Points& Touches() const { return m_touches; }
  ScreenPoint LastTouch() const { return m_lastTouch; }

 private:
  void MoveTo(TargetState next);
  void OnTargetTouched(const CCalibrationGeometry& geometry, ScreenPoint p);
  void CheckTouches(const CCalibrationGeometry& geometry);
  void ComputeAndApply();
  void ApplyAnswered();
  void SetMessage(uint32_t id);
  void ShowSurface(bool shown);
  void SetCursorHidden(bool hidden);
  void RestoreTouchMode();
  int Ask(uint32_t textId);
  void Invalidate(const ScreenRect& area);

  CAppShell& m_shell;
  AppViews& m_views;
  CCalibrationWnd& m_window;
  CalibrationSurfaceView* m_pView = nullptr;
  TargetState m_state = TARGET_TOP_LEFT;
  uint32_t m_uMessageId = TOUCH_TEXT_ID;
  CCalibrationGeometry::Points m_touches{};
  ScreenPoint m_lastTouch;
};

}  // namespace kv
