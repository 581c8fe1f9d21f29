// The resolution notice's dialog on the offscreen platform: every question fits without
// being cut, the dialog keeps the resource's width, and its timers reach the logic.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "resources/StringTable.h"
#include "resources/TextFormat.h"
#include "tabrix/app/ChangeDisplayDlg.h"
#include "tabrix/app/qt/ChangeDisplayView.h"

namespace kv {
namespace {

// With KV_SCREENSHOT_DIR set (a person checking the layout under a real X server), each
// question is also saved as a picture there.
void Shoot(QWidget& widget, const std::string& name) {
  const QByteArray dir = qgetenv("KV_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  widget.grab().save(QString::fromUtf8(dir) + "/" + QString::fromStdString(name) + ".png");
}

TEST(ChangeDisplayGuiTest, EveryQuestionFitsUncut) {
  const CStringTable strings = CStringTable::BuiltIn("tabrix");
  int asked = 0;
  CChangeDisplayView view(strings.Get(57344), strings, [&asked]() -> CChangeDisplayDlg* {
    ++asked;
    return nullptr;
  });
  EXPECT_EQ(view.windowTitle().toStdString(), strings.Get(57344));
  EXPECT_TRUE(view.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(view.isModal());
  EXPECT_EQ(view.YesButton()->text(), "Yes(&Y)");
  EXPECT_EQ(view.NoButton()->text(), "No(&N)");
  EXPECT_TRUE(view.YesButton()->isDefault());
  const int width = view.width();
  const struct {
    const char* m_pszName;
    std::string m_sMessage;
  } questions[] = {
      {"preset", CTextFormat::Insert(strings.Get(57681), {"%s"})},
      {"advanced", CTextFormat::Insert(strings.Get(57715), {"%s"})},
      {"readjust", CTextFormat::Insert(strings.Get(57716), {"%s"}) + strings.Get(57717)},
  };
  for (const auto& q : questions) {
    SCOPED_TRACE(q.m_pszName);
    // The widest size the message can carry.
    view.SetText(CChangeDisplayDlg::Compose(q.m_sMessage, strings.Get(57724), {65535, 65535}));
    view.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QLabel* text = view.TextLabel();
    EXPECT_EQ(view.width(), width);
    EXPECT_GE(text->height(), text->heightForWidth(text->width()));
    EXPECT_TRUE(view.rect().contains(text->geometry()));
    for (QPushButton* b : {view.YesButton(), view.NoButton()}) {
      EXPECT_TRUE(view.rect().contains(b->geometry()));
      EXPECT_GE(b->geometry().top(), text->geometry().bottom());
      EXPECT_GE(b->width(), b->sizeHint().width());
    }
    EXPECT_LT(view.height(), 600);
    Shoot(view, std::string("change_display_") + q.m_pszName);
    view.Hide();
    EXPECT_FALSE(view.isVisible());
  }
  // The timers call into the logic, and stop when told.
  view.StartTimer(CChangeDisplayDlg::TIMER_WAIT, 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return asked >= 2; }, 5000));
  view.StopTimer(CChangeDisplayDlg::TIMER_WAIT);
  const int stopped = asked;
  QCoreApplication::processEvents();
  EXPECT_EQ(asked, stopped);
}

}  // namespace
}  // namespace kv

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
