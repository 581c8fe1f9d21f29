#pragma once
// The calibration surface on the desktop: a borderless, top-most window over the whole
// primary screen with the four crosses and the message panel. The pen's touch arrives as
// the mouse button's release; where it landed is asked from the driver by the logic.
#include <QLabel>
#include <QWidget>

#include "tabrix/app/CalibrationSurface.h"
#include "tabrix/app/CalibrationSurfaceView.h"

namespace kv {

class CCalibrationScreen : public QWidget, public CalibrationSurfaceView {
  Q_OBJECT
 public:
  CCalibrationScreen(CCalibrationSurface& logic, const QString& fontName, const QString& title);
  ~CCalibrationScreen() override;

  void ShowMaximized() override;
  void Hide() override;
  void Invalidate(const ScreenRect& area) override;
  void InvalidateAll() override;
  void SetCursorHidden(bool hidden) override;
  void SetMessage(const std::string& text) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The logic counts device pixels; Qt places widgets in logical ones.
  QRect ToLogical(const ScreenRect& r) const;
  void PlacePanel();

  CCalibrationSurface& m_logic;
  QLabel* m_pPanel;
  bool m_bCursorHidden = false;
};

}  // namespace kv
