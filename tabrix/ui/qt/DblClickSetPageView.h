#pragma once
// The double-click range page: slider, two-character edit box, "Default" and the preview
// area with the red circle.
#include <QTimer>
#include <QWidget>

#include "resources/StringTable.h"
#include "tabrix/ui/DblClickSetPage.h"

class QLineEdit;
class QPushButton;
class QSlider;

namespace kv {

class CDblClickSetPageView : public QWidget {
  Q_OBJECT
 public:
  CDblClickSetPageView(CDblClickSetPage& logic, const CStringTable& strings,
                       QWidget* parent = nullptr);
  // The page became the current one: controls by touch mode, preview after 200 ms.
  void Activate();
  void Mirror();

  QLineEdit* Edit() const { return m_pEdit; }
  QSlider* Slider() const { return m_pSlider; }
  QWidget* Preview() const { return m_pPreview; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PaintPreview();

  CDblClickSetPage& m_logic;
  QLineEdit* m_pEdit;
  QSlider* m_pSlider;
  QPushButton* m_pDefault;
  QWidget* m_pPreview;
  QTimer m_previewTimer;
  bool m_bPreviewReady = false;
};

}  // namespace kv
