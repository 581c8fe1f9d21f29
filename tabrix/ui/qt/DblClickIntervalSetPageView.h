#pragma once
// The double-click speed page: the "2-click auto speed" area, the slider from slow to fast,
// the "Double-click test" area and "Default".
#include <QWidget>

#include "resources/StringTable.h"
#include "tabrix/ui/DblClickIntervalSetPage.h"

class QPushButton;
class QSlider;

namespace kv {

class CClickPicture;

class CDblClickIntervalSetPageView : public QWidget {
  Q_OBJECT
 public:
  CDblClickIntervalSetPageView(CDblClickIntervalSetPage& logic, const CStringTable& strings,
                               QWidget* parent = nullptr);
  void Activate();
  void Mirror();

  QSlider* Slider() const { return m_pSlider; }
  CClickPicture* AutoArea() const { return m_pAuto; }
  CClickPicture* TestArea() const { return m_pTest; }

 private:
  CDblClickIntervalSetPage& m_logic;
  CClickPicture* m_pAuto;
  CClickPicture* m_pTest;
  QSlider* m_pSlider;
  QPushButton* m_pDefault;
};

}  // namespace kv
