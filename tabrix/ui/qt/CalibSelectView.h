#pragma once
// The calibration selection dialog: Simple with its "SIZE" presets, Advanced with its
// options, the current resolution, the two hot key buttons, OK, Cancel and Apply.
#include <QDialog>

#include <array>
#include <functional>

#include "resources/StringTable.h"
#include "tabrix/ui/CalibSelectDlg.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kv {

class CCalibSelectView : public QDialog {
  Q_OBJECT
 public:
  // openHotKey runs the hot key dialog for key 0 or 1; true when a key was changed.
  CCalibSelectView(CCalibSelectDlg& logic, const CStringTable& strings,
                   std::function<bool(int, QWidget*)> openHotKey, QWidget* parent = nullptr);
  const SelectionResult& Result() const { return m_result; }

 private:
  QWidget* BuildSimple(const CStringTable& strings);
  QWidget* BuildAdvanced(const CStringTable& strings);
  QWidget* BuildInfo(const CStringTable& strings);
  void Sync();

  CCalibSelectDlg& m_logic;
  std::function<bool(int, QWidget*)> m_openHotKey;
  SelectionResult m_result;
  QButtonGroup* m_pKinds = nullptr;
  QRadioButton* m_pSimple = nullptr;
  QRadioButton* m_pAdvanced = nullptr;
  QGroupBox* m_pSizeGroup = nullptr;
  std::array<QRadioButton*, PRESET_COUNT> m_apPresets{};
  std::array<QLabel*, 3> m_apSimpleTexts{};
  QGroupBox* m_pOptionGroup = nullptr;
  std::array<QRadioButton*, 2> m_apOptions{};
  int m_iOptionGroupHeight = 0;
  QLabel* m_pResolution = nullptr;
  QPushButton* m_pSelectKey = nullptr;
  QPushButton* m_pEasyKey = nullptr;
  QPushButton* m_pApply = nullptr;
};

}  // namespace kv
