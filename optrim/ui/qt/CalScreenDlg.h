#pragma once
// The full-screen calibration window: paints the marks, carries the marker and the
// instruction panel, runs the 100 ms timer and remembers key presses for the logic's
// polling. All decisions are CCalScreen's.
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "optrim/device/TouchDevBase.h"
#include "optrim/ui/CalScreen.h"
#include "optrim/ui/TouchDevLink.h"
#include "optrim/ui/qt/CalInstChildDlg.h"
#include "optrim/ui/qt/CalTouchPointChildDlg.h"

namespace kv {

class CCalScreenDlg : public QWidget, public CalScreenView {
  Q_OBJECT
 public:
  // onClosed runs (posted) once the run has closed.
  CCalScreenDlg(const CalScreenSetup& setup, SensorLink& device, MessageBoxHost& boxes,
                Clock& clock, const CStringTable& strings, CBroadCaster* broadcaster,
                std::function<void()> onClosed, CCalScreen::Trace trace);
  ~CCalScreenDlg() override;

  // Ends the run if it still goes (the owner destroys the screen).
  void Shutdown();
  CCalScreen& Logic() { return *m_pLogic; }

  void Changed() override;
  void PostToScreen(uint32_t message, int wParam) override;
  bool TakeKey(ScreenKey key) override;
  void CloseWindow() override;

  // The setup for the primary screen in device pixels.
  static CalScreenSetup SetupForScreen(bool basic, int rotation);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  static int KeyIndex(int qtKey);
  QPoint ToLogical(const ScreenPoint& p) const;
  void PlaceChildren();

  std::unique_ptr<CCalScreen> m_pLogic;
  CCalTouchPointChildDlg* m_pMarker;
  CCalInstChildDlg* m_pPanel;
  QTimer m_timer;
  std::array<bool, 5> m_down{};
  std::array<bool, 5> m_pressed{};
  bool m_bCursorHidden = false;
};

}  // namespace kv
