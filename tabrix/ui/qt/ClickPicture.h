#pragma once
// A framed area showing one of our pictures (159: a mouse with its button, 252: a closed
// box, 253: the box open) 3 pixels in from its edge; a left button release inside it is
// reported as a click.
#include <QWidget>

namespace kv {

class CClickPicture : public QWidget {
  Q_OBJECT
 public:
  explicit CClickPicture(uint32_t picture, QWidget* parent = nullptr);
  void SetPicture(uint32_t picture);
  uint32_t Picture() const { return m_uPicture; }

 signals:
  void Clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void DrawMouse(QPainter& p, const QRectF& r);
  void DrawBox(QPainter& p, const QRectF& r, bool open);

  uint32_t m_uPicture;
};

}  // namespace kv
