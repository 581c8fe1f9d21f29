#pragma once
// The test information display as a window: it owns its logic, runs the 100 ms refresh
// timer and mirrors the logic's fields into its labels and lists. Enter and Esc do
// nothing; closing only hides it. The manual calibration area below "Debug" is built but
// stays cut off, as it always has been.
#include <functional>
#include <vector>

#include <QDialog>
#include <QTimer>

#include "tabrix/ui/StatusDispDlg.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kv {

class CStatusDispWindow : public QDialog, public StatusDispView {
  Q_OBJECT
 public:
  using ServiceModeRunner = std::function<void(bool firmwareManaged)>;
  CStatusDispWindow(StatusDispContext context, ServiceModeRunner runner,
                    QWidget* parent = nullptr);

  CStatusDispDlg& Logic() { return m_logic; }
  void Mirror();

  void StartTimer(uint32_t id, uint32_t ms) override;
  void StopTimer(uint32_t id) override;
  void RunServiceMode(bool firmwareManaged) override;
  void HideWindow() override { hide(); }

  QLabel* Field(int index) const { return m_fields[static_cast<size_t>(index)]; }
  QComboBox* Addresses() const { return m_pAddresses; }
  QListWidget* Names() const { return m_pNames; }
  QPushButton* ServiceButton() const { return m_pService; }
  QGroupBox* DebugArea() const { return m_pDebug; }
  bool RefreshRunning() const { return m_refresh.isActive(); }

  // Field indexes in the order they are laid out.
  enum FieldIndex { MODEL, DRIVER_VERSION, INPUT_MODE, TOUCH_MODE, BUTTON1, BUTTON2,
                    IND_L, IND_B1, IND_B2, MOUSE, ROTATION, DBL_WIDTH, DBL_TIME, FIELD_COUNT };

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildDriverInfo();
  QWidget* BuildButtonState();
  QWidget* BuildSystemInfo();
  QGroupBox* BuildDebug();
  QLabel* NewField(FieldIndex index, bool framed = false);
  QString Text(uint32_t id) const;

  CStatusDispDlg m_logic;
  const CStringTable& m_strings;
  ServiceModeRunner m_runner;
  QTimer m_refresh;
  std::vector<QLabel*> m_fields;
  QComboBox* m_pAddresses = nullptr;
  QListWidget* m_pNames = nullptr;
  QPushButton* m_pService = nullptr;
  QGroupBox* m_pDebug = nullptr;
  std::vector<QLineEdit*> m_manual;  // X-Pos, X-Start, Y-Pos, Y-Start
  std::vector<std::string> m_shownAddresses;
};

}  // namespace kv
