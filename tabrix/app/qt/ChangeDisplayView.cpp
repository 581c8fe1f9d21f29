#include "tabrix/app/qt/ChangeDisplayView.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "resources/StringTable.h"
#include "tabrix/app/ChangeDisplayDlg.h"

namespace kv {

namespace {

QString DialogText(const std::string& text) {
  return QString::fromStdString(text).replace("\r\n", "\n");
}

// The letter after "&" in a button text, upper case; 0 when there is none.
int Mnemonic(const QString& text) {
  const qsizetype at = text.indexOf('&');
  if (at < 0 || at + 1 >= text.size()) return 0;
  return text.at(at + 1).toUpper().unicode();
}

}  // namespace

CChangeDisplayView::CChangeDisplayView(const std::string& caption, const CStringTable& strings,
                                       std::function<CChangeDisplayDlg*()> notice)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      m_notice(std::move(notice)) {
  setObjectName("ChangeDisplayDlg");
  setModal(false);
  setWindowTitle(QString::fromStdString(caption));
  // Dialog units from the dialog's font, as the resource's size is given in them.
  const QFontMetrics metrics(font());
  const int unitX = metrics.horizontalAdvance(
                        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52;
  const int unitY = metrics.height();
  const int width = WIDTH_DLU * unitX / 4;
  m_pIcon = new QLabel(this);
  m_pIcon->setObjectName("1127");
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  m_pIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this)
                         .pixmap(iconSize, iconSize));
  m_pText = new QLabel(this);
  m_pText->setObjectName("1126");
  m_pText->setWordWrap(true);
  m_pText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_pYes = new QPushButton(DialogText(strings.Get(YES_ID)), this);
  m_pYes->setObjectName("1");
  m_pYes->setDefault(true);
  m_pNo = new QPushButton(DialogText(strings.Get(NO_ID)), this);
  m_pNo->setObjectName("2");
  connect(m_pYes, &QPushButton::clicked, this, &CChangeDisplayView::accept);
  connect(m_pNo, &QPushButton::clicked, this, &CChangeDisplayView::reject);

  auto* top = new QHBoxLayout;
  top->addWidget(m_pIcon, 0, Qt::AlignTop);
  top->addSpacing(unitX * 2);
  top->addWidget(m_pText, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_pYes);
  buttons->addWidget(m_pNo);
  buttons->addStretch(1);
  auto* all = new QVBoxLayout(this);
  all->setContentsMargins(unitX * 2, unitY, unitX * 2, unitY / 2);
  all->addLayout(top, 1);
  all->addSpacing(unitY / 2);
  all->addLayout(buttons);
  // The text column is what is left of the resource's width; the height grows with the
  // question, never below the resource's.
  m_iTextWidth = width - unitX * 6 - iconSize;
  m_pText->setFixedWidth(m_iTextWidth);
  setMinimumHeight(HEIGHT_DLU * unitY / 8);
  setFixedWidth(width);
  FitText();
}

CChangeDisplayView::~CChangeDisplayView() = default;

void CChangeDisplayView::FitText() {
  const int textHeight = m_pText->heightForWidth(m_iTextWidth);
  m_pText->setMinimumHeight(textHeight > 0 ? textHeight : 0);
  layout()->activate();
  resize(width(), layout()->totalSizeHint().height() > minimumHeight()
                      ? layout()->totalSizeHint().height()
                      : minimumHeight());
}

void CChangeDisplayView::SetText(const std::string& text) {
  m_pText->setText(DialogText(text));
  FitText();
  if (isVisible()) {
    raise();
    activateWindow();
  }
}

void CChangeDisplayView::Show() {
  show();
  raise();
  activateWindow();
  m_pYes->setFocus();
}

void CChangeDisplayView::Hide() { hide(); }

void CChangeDisplayView::StartTimer(uint32_t id, uint32_t ms) {
  auto& timer = m_timers[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    connect(timer.get(), &QTimer::timeout, this, [this, id] {
      if (CChangeDisplayDlg* notice = m_notice()) notice->OnTimer(id);
    });
  }
  timer->start(static_cast<int>(ms));
}

void CChangeDisplayView::StopTimer(uint32_t id) {
  auto it = m_timers.find(id);
  if (it != m_timers.end()) it->second->stop();
}

// The logic hides the dialog itself; the base class must not close it behind its back.
void CChangeDisplayView::accept() {
  if (CChangeDisplayDlg* notice = m_notice()) notice->OnYes();
}

void CChangeDisplayView::reject() {
  if (CChangeDisplayDlg* notice = m_notice()) notice->OnNo();
}

void CChangeDisplayView::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (event->modifiers() == Qt::NoModifier && key != 0) {
    if (key == Mnemonic(m_pYes->text())) return accept();
    if (key == Mnemonic(m_pNo->text())) return reject();
  }
  QDialog::keyPressEvent(event);
}

}  // namespace kv
