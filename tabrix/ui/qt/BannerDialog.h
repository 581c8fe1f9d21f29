#pragma once
// A full-screen banner: the text bold and centred on its colour, 70 % opaque, above every
// other window, gone when its time is up. Shows both the start guide and the guide
// message; clicking it does nothing.
#include <QDialog>
#include <QTimer>

#include "tabrix/ui/BannerLook.h"

class QLabel;

namespace kv {

class CBannerDialog : public QDialog {
  Q_OBJECT
 public:
  // compact: a label just big enough for its text, centred, instead of the whole screen.
  explicit CBannerDialog(const BannerLook& look, QWidget* parent = nullptr, bool compact = false);
  // Changes text and time while shown (the start guide's second entry).
  void Restyle(const BannerLook& look);
  QString Text() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Apply(const BannerLook& look);
  void PlaceText();

  QLabel* m_pText;
  bool m_bCompact;
  QTimer m_closeTimer;
};

}  // namespace kv
