// Offscreen smoke tests of the sensor tool's windows: they mirror their logic, carry the
// verbatim captions, and hand keys and buttons to the logic.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

#include "optrim/device/BroadCaster.h"
#include "optrim/ui/qt/CalScreenDlg.h"
#include "optrim/ui/qt/MyColorButton.h"
#include "optrim/ui/qt/OptrimContext.h"
#include "optrim/ui/qt/TevraDlg.h"
#include "tests/optrim/OptrimUiFakes.h"

// fontconfig keeps its caches for the life of the process; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace kv {
namespace {

class CNoHidBus : public HidBus {
 public:
  uint32_t EnumerateInterface(uint32_t, std::string*) override { return 259; }
  uint32_t Open(const std::string&, bool, std::unique_ptr<HidDevice>*) override { return 2; }
};

class OptrimViewsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "optrim_views_test";
    static char* argv[] = {name, nullptr};
    // Lives to the process's end: destroyed among the exit handlers it would outlive
    // Qt's own statics and crash there.
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  CStringTable m_strings = CStringTable::BuiltIn("optrim");
  test::CFakeClock m_clock;
  CNoHidBus m_bus;
  CBroadCaster m_broadcaster;
  test::CFakeBoxes m_boxes;
  test::CFakeHost m_host;
  OptrimContext m_context{m_strings, m_clock, m_bus, m_broadcaster, m_boxes, "", 0,
                          "/nonexistent/Optrim.ini", " キャリブレーション", {}};
};

TEST_F(OptrimViewsTest, SensorWindowCarriesItsCaptionsAndLogsTheOutcome) {
  CTevraDlg dlg(m_context, m_host);
  const std::pair<const char*, const char*> buttons[] = {
      {"1015", "接続"},       {"1008", "切　断"},     {"1013", "キャリブレーション"},
      {"1010", "センサー調整"}, {"1006", "表示クリア"}, {"1004", "終　了"}};
  for (const auto& [id, caption] : buttons) {
    auto* b = dlg.findChild<QPushButton*>(id);
    ASSERT_NE(b, nullptr) << id;
    EXPECT_EQ(b->text().toStdString(), caption);
  }
  auto* autoExit = dlg.findChild<QCheckBox*>("1060");
  ASSERT_NE(autoExit, nullptr);
  dlg.Start();
  EXPECT_FALSE(autoExit->isVisible());
  dlg.Logic().OnTimer(CSensorWindow::TIMER_START);  // no sensor on this bus
  auto* log = dlg.findChild<QListWidget*>("1005");
  ASSERT_EQ(log->count(), 1);
  EXPECT_EQ(log->item(0)->text().toStdString(), "Touch Sensor could not be found.");
  EXPECT_TRUE(dlg.isEnabled());
  dlg.findChild<QPushButton*>("1006")->click();
  EXPECT_EQ(log->count(), 0);
}

TEST_F(OptrimViewsTest, CalibrationScreenTakesKeysAndButtonsThroughItsLogic) {
  test::CFakeSensorLink link(m_clock);
  int closed = 0;
  auto* screen = new CCalScreenDlg(CCalScreenDlg::SetupForScreen(true, 0), link, m_boxes,
                                   m_clock, m_strings, &m_broadcaster, [&closed] { ++closed; },
                                   {});
  EXPECT_EQ(screen->Logic().State(), CAL_STATE_COLLECTING);
  EXPECT_EQ(screen->Logic().Marks().size(), 4u);
  EXPECT_TRUE(screen->isVisible());
  auto* marker = screen->findChild<CCalTouchPointChildDlg*>();
  ASSERT_NE(marker, nullptr);
  EXPECT_TRUE(marker->isVisible());
  EXPECT_EQ(marker->State(), 1);
  // A quick tap between two polls still counts.
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(screen, &press);
  QApplication::sendEvent(screen, &release);
  screen->Logic().OnTimer();
  EXPECT_TRUE(screen->Logic().Closed());
  QApplication::processEvents();
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(link.m_bInput);
  delete screen;
}

TEST_F(OptrimViewsTest, ColourButtonPaintsItsFaceAndText) {
  CMyColorButton button("Y");
  button.resize(120, 40);
  button.SetColors(0xC20070, 0xFFE6E0, 0xFFFFFF);
  const QImage image = button.grab().toImage();
  EXPECT_EQ(image.pixelColor(20, 20), QColor(255, 255, 255));
  EXPECT_EQ(CMyColorButton::FromColorRef(0xC20070), QColor(0x70, 0x00, 0xC2));
  bool textColour = false;
  for (int x = 40; x < 80 && !textColour; ++x)
    for (int y = 10; y < 30 && !textColour; ++y)
      textColour = image.pixelColor(x, y).blue() > 150 && image.pixelColor(x, y).green() < 100;
  EXPECT_TRUE(textColour) << "the caption is drawn in the text colour";
}

}  // namespace
}  // namespace kv
