#pragma once
// The operation page: the seven lists, the click-range slider with "Default" and the touch
// mode description. Every change goes to the logic, and the lists then show what it holds
// (a declined question puts the previous item back).
#include <array>

#include <QWidget>

#include "resources/StringTable.h"
#include "tabrix/ui/PenButtonSetPage.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace kv {

class CPenButtonSetPageView : public QWidget {
  Q_OBJECT
 public:
  CPenButtonSetPageView(CPenButtonSetPage& logic, const CStringTable& strings,
                        QWidget* parent = nullptr);
  void Mirror();

  QComboBox* List(CPenButtonSetPage::List list) const { return m_lists[list]; }
  QSlider* ClickSlider() const { return m_pSlider; }
  QLabel* Description() const { return m_pDescription; }

 private:
  void BuildLists(const CStringTable& strings);
  void BuildClickRange(const CStringTable& strings);

  CPenButtonSetPage& m_logic;
  std::array<QComboBox*, CPenButtonSetPage::LIST_COUNT> m_lists{};
  QSlider* m_pSlider = nullptr;
  QPushButton* m_pDefault = nullptr;
  QLabel* m_pDescription = nullptr;
  QWidget* m_pClickRange = nullptr;  // slider, its labels and "Default"
};

}  // namespace kv
