#pragma once
// A push button drawn in three settable colours (Windows COLORREF values, 0x00BBGGRR):
// text, frame and face; sunken while pressed, raised otherwise, a focus rectangle when
// it has the focus, the text centred.
#include <QPushButton>

#include <cstdint>

namespace kv {

class CMyColorButton : public QPushButton {
  Q_OBJECT
 public:
  static constexpr uint32_t DEFAULT_TEXT = 0x000000;
  static constexpr uint32_t DEFAULT_FRAME = 0x969696;
  static constexpr uint32_t DEFAULT_FACE = 0xC8C8C8;

  explicit CMyColorButton(const QString& text, QWidget* parent = nullptr);
  void SetColors(uint32_t text, uint32_t frame, uint32_t face);
  static QColor FromColorRef(uint32_t value);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  uint32_t m_uText = DEFAULT_TEXT;
  uint32_t m_uFrame = DEFAULT_FRAME;
  uint32_t m_uFace = DEFAULT_FACE;
};

}  // namespace kv
