#pragma once
// The resolution notice's dialog (resource 214): a modeless, top-most box with the
// question-mark icon, the question and "Yes"/"No". Created hidden with the main window;
// the logic decides when it shows. Esc and the close box answer "No", as Cancel would.
#include <QDialog>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "tabrix/app/ChangeDisplayView.h"

class QLabel;
class QPushButton;

namespace kv {

class CChangeDisplayDlg;
class CStringTable;

class CChangeDisplayView final : public QDialog, public ChangeDisplayView {
  Q_OBJECT
 public:
  static constexpr int WIDTH_DLU = 223;
  static constexpr int HEIGHT_DLU = 112;
  static constexpr uint32_t YES_ID = 61963;  // "Yes(&Y)"
  static constexpr uint32_t NO_ID = 61964;   // "No(&N)"

  // caption: the application title; notice: the logic, once it exists (null before).
  CChangeDisplayView(const std::string& caption, const CStringTable& strings,
                     std::function<CChangeDisplayDlg*()> notice);
  ~CChangeDisplayView() override;

  void SetText(const std::string& text) override;
  void Show() override;
  void Hide() override;
  void StartTimer(uint32_t id, uint32_t ms) override;
  void StopTimer(uint32_t id) override;

  QPushButton* YesButton() const { return m_pYes; }
  QPushButton* NoButton() const { return m_pNo; }
  QLabel* TextLabel() const { return m_pText; }

  void accept() override;
  void reject() override;

 protected:
  // A dialog takes a button's underlined letter without Alt.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FitText();

  std::function<CChangeDisplayDlg*()> m_notice;
  QLabel* m_pIcon = nullptr;
  QLabel* m_pText = nullptr;
  QPushButton* m_pYes = nullptr;
  QPushButton* m_pNo = nullptr;
  int m_iTextWidth = 0;
  std::map<uint32_t, std::unique_ptr<QTimer>> m_timers;
};

}  // namespace kv
