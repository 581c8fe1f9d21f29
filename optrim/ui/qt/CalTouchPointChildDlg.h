#pragma once
// The 41 by 41 pixel marker over the current mark. State 1 animates (a cycle of pictures
// with their own durations); the other states hold one picture. The pictures are ours:
// a plus in a ring whose size and colour change.
#include <QTimer>
#include <QWidget>

namespace kv {

class CCalTouchPointChildDlg : public QWidget {
  Q_OBJECT
 public:
  static constexpr int SIZE = 41;

  explicit CCalTouchPointChildDlg(QWidget* parent);
  // 0 idle, 1 animated, 2 accepted, 3 pending, 4 pressed, 5 error.
  void SetState(int state);
  int State() const { return m_iState; }
  // Draws the picture of a state centred on (x, y).
  static void PaintMark(QPainter& p, int state, int frame, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void NextFrame();

  QTimer m_timer;
  int m_iState = 0;
  int m_iFrame = 0;
};

}  // namespace kv
