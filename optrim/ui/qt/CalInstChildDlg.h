#pragma once
// The instruction panel: mirrors the panel logic's lines and, on the success panel, its
// three buttons (Y, R, Esc), which send their command to the screen.
#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>
#include <functional>
#include <vector>

#include "optrim/ui/CalInstPanel.h"
#include "optrim/ui/qt/MyColorButton.h"

namespace kv {

class CCalInstChildDlg : public QFrame {
  Q_OBJECT
 public:
  using CommandSink = std::function<void(PanelCommand)>;

  CCalInstChildDlg(QWidget* parent, CommandSink sink);
  // Shows the panel as the logic holds it (hidden for type 0).
  void Mirror(const CCalInstPanel& panel);

 private:
  void Rebuild(const CCalInstPanel& panel);
  QLabel* MakeLabel(const PanelLine& line);
  void SetLine(size_t index, const PanelLine& line);

  CommandSink m_sink;
  QVBoxLayout* m_pLayout;
  std::vector<QLabel*> m_labels;
  std::vector<CMyColorButton*> m_buttons;
  int m_iType = -1;
};

}  // namespace kv
