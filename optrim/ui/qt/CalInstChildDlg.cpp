#include "optrim/ui/qt/CalInstChildDlg.h"

#include <QHBoxLayout>

namespace kv {

CCalInstChildDlg::CCalInstChildDlg(QWidget* parent, CommandSink sink)
    : QFrame(parent), m_sink(std::move(sink)), m_pLayout(new QVBoxLayout(this)) {
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(255, 255, 230));
  setPalette(pal);
  m_pLayout->setContentsMargins(10, 8, 10, 8);
  m_pLayout->setSpacing(4);
  hide();
}

QLabel* CCalInstChildDlg::MakeLabel(const PanelLine& line) {
  auto* label = new QLabel(this);
  label->setWordWrap(true);
  QFont f = label->font();
  if (line.role == LINE_TITLE) {
    f.setBold(true);
    f.setPointSize(f.pointSize() + 2);
  }
  if (line.role == LINE_COORDINATES) f.setFamily("monospace");
  label->setFont(f);
  if (line.role == LINE_COUNTDOWN || line.role == LINE_DETAIL)
    label->setStyleSheet("color: #C00000;");
  return label;
}

void CCalInstChildDlg::Rebuild(const CCalInstPanel& panel) {
  for (QLabel* l : m_labels) delete l;
  for (CMyColorButton* b : m_buttons) delete b;
  m_labels.clear();
  m_buttons.clear();
  for (const PanelLine& line : panel.Lines()) {
    m_labels.push_back(MakeLabel(line));
    m_pLayout->addWidget(m_labels.back());
    SetLine(m_labels.size() - 1, line);
    // Shown now, not later by the layout, so the panel's size below counts them.
    m_labels.back()->show();
  }
  if (panel.HasButtons()) {
    static constexpr PanelCommand COMMANDS[] = {PANEL_COMMAND_APPLY, PANEL_COMMAND_RECALIBRATE,
                                                PANEL_COMMAND_CANCEL_AFTER_SUCCESS};
    const auto captions = panel.ButtonCaptions();
    for (size_t i = 0; i < captions.size() && i < 3; ++i) {
      auto* b = new CMyColorButton(QString::fromStdString(captions[i]), this);
      b->SetColors(0xC20070, 0xFFE6E0, 0xFFFFFF);
      b->setMinimumHeight(30);
      b->setFocusPolicy(Qt::NoFocus);  // the screen keeps the keys
      const PanelCommand command = COMMANDS[i];
      connect(b, &QPushButton::clicked, this, [this, command] { m_sink(command); });
      m_buttons.push_back(b);
      m_pLayout->addWidget(b);
      b->show();
    }
  }
  setFixedWidth(CCalInstPanel::Width(panel.Type()));
}

void CCalInstChildDlg::SetLine(size_t index, const PanelLine& line) {
  // Empty live lines keep their room, so the panel does not jump while it counts down.
  m_labels[index]->setText(line.text.empty() ? QStringLiteral(" ") : QString::fromStdString(line.text));
}

void CCalInstChildDlg::Mirror(const CCalInstPanel& panel) {
  if (panel.Type() == 0) {
    hide();
    m_iType = 0;
    return;
  }
  if (panel.Type() != m_iType) {
    Rebuild(panel);
    m_iType = panel.Type();
  } else {
    // Same panel: only the live texts change.
    const auto lines = panel.Lines();
    for (size_t i = 0; i < lines.size() && i < m_labels.size(); ++i) SetLine(i, lines[i]);
  }
  adjustSize();
  show();
  raise();
}

}  // namespace kv
