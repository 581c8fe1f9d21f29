// The settings screens' views on the offscreen platform: the controls show what the logic
// holds, typing and clicking reach the logic, and the test display ignores Enter and Esc.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "tabrix/ui/qt/ClickPicture.h"
#include "tabrix/ui/qt/DblClickIntervalSetPageView.h"
#include "tabrix/ui/qt/DblClickSetPageView.h"
#include "tabrix/ui/qt/PenButtonSetPageView.h"
#include "tabrix/ui/qt/PropSetSheetView.h"
#include "tabrix/ui/qt/ServiceMode2View.h"
#include "tabrix/ui/qt/ServiceModeView.h"
#include "tabrix/ui/qt/StatusDispWindow.h"
#include "tests/support/FakeClock.h"
#include "tests/tabrix/AppFakes.h"
#include "tests/tabrix/FakeRegistry.h"
#include "tests/tabrix/ScreenFakes.h"

namespace kv {
namespace {

const std::string kModelKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";

// With KV_SCREENSHOT_DIR set (a person checking the layouts under a real X server), each
// view is also saved as a picture there.
void Shoot(QWidget& widget, const char* name) {
  const QByteArray dir = qgetenv("KV_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  widget.show();
  widget.adjustSize();
  QTest::qWait(300);  // the range preview draws 200 ms after the page shows
  widget.grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
}

class ScreensGuiTest : public ::testing::Test {
 protected:
  ScreensGuiTest() {
    m_settings.SetModelSubkey("\\VT-R700A");
    m_registry.CreateKey(RegistryHive::CURRENT_USER, kModelKey);
  }
  void Store(const std::string& name, uint32_t value) {
    m_registry.SetDword(RegistryHive::CURRENT_USER, kModelKey, name, value);
  }
  uint32_t Stored(const std::string& name) {
    RegistryValue v;
    return m_registry.Peek(RegistryHive::CURRENT_USER, kModelKey, name, &v) ? v.m_uDword : 999;
  }
  PenButtonPageContext Context() {
    return {m_settings, m_strings, m_boxes, "Corvane", m_host, m_pen, m_sender, 16, 0};
  }
  test::CFakeRegistry m_registry;
  test::CRecordingParameters m_parameters;
  SettingsStore m_settings{m_registry, m_parameters};
  CStringTable m_strings = CStringTable::BuiltIn("tabrix");
  test::CFakeMessageBoxes m_boxes;
  test::CFakeScreenHost m_host;
  CPenInputState m_pen;
  test::CFakeSender m_sender;
  test::CFakeClock m_clock;
};

TEST_F(ScreensGuiTest, SheetShowsItsPagesAndTheirControlsFollowTheLogic) {
  Store("DblClick", 40);
  Store("InputMode", 0x01);
  CPropSetSheet sheet(Context(), m_clock, 0);
  sheet.Initialise();
  CPropSetSheetView view(sheet, m_strings);
  EXPECT_EQ(view.windowTitle(), "Property Settings");
  ASSERT_EQ(view.Tabs()->count(), 3);
  EXPECT_EQ(view.Tabs()->tabText(0), "Double Click Range Setting");
  EXPECT_EQ(view.Tabs()->tabText(2), "Operation Setting");
  EXPECT_TRUE(view.CancelButton()->isVisibleTo(&view));

  CDblClickSetPageView* range = view.RangeView();
  EXPECT_EQ(range->Edit()->text(), "40");
  EXPECT_EQ(range->Slider()->value(), 40);
  range->Edit()->selectAll();
  QTest::keyClicks(range->Edit(), "70");
  EXPECT_EQ(range->Edit()->text(), "64");
  EXPECT_EQ(range->Slider()->value(), 64);
  range->Slider()->setValue(12);
  EXPECT_EQ(range->Edit()->text(), "12");
  Shoot(view, "sheet-range");

  view.Tabs()->setCurrentIndex(1);
  CDblClickIntervalSetPageView* speed = view.SpeedView();
  EXPECT_EQ(speed->Slider()->value(), 800);
  const QPoint inside = speed->TestArea()->rect().center();
  QTest::mouseClick(speed->TestArea(), Qt::LeftButton, {}, inside);
  QTest::mouseClick(speed->TestArea(), Qt::LeftButton, {}, inside);
  EXPECT_EQ(speed->TestArea()->Picture(), 253u) << "two quick clicks flip the picture";
  Shoot(view, "sheet-speed");
  view.Tabs()->setCurrentIndex(2);
  Shoot(view, "sheet-operation");

  CPenButtonSetPageView* operation = view.OperationView();
  QComboBox* input = operation->List(CPenButtonSetPage::INPUT);
  EXPECT_EQ(input->currentText(), "HandWrite");
  EXPECT_EQ(operation->List(CPenButtonSetPage::TOUCH)->count(), 2);
  EXPECT_EQ(operation->Description()->text(),
            "Single touch operation.\nWindows touch will not be available.");
  EXPECT_FALSE(operation->ClickSlider()->isEnabled());

  QTest::mouseClick(view.OkButton(), Qt::LeftButton);
  EXPECT_EQ(view.result(), QDialog::Accepted);
  EXPECT_EQ(Stored("DblClick"), 12u);
  EXPECT_EQ(Stored("DblClickInterval"), 500u);
}

TEST_F(ScreensGuiTest, DualTouchSheetHasTheOperationPageOnly) {
  CPropSetSheet sheet(Context(), m_clock, 2, CPropSetSheet::OK_ONLY);
  sheet.Initialise();
  CPropSetSheetView view(sheet, m_strings);
  ASSERT_EQ(view.Tabs()->count(), 1);
  EXPECT_EQ(view.RangeView(), nullptr);
  EXPECT_FALSE(view.CancelButton()->isVisibleTo(&view));
}

TEST_F(ScreensGuiTest, DeclinedQuestionPutsTheListBack) {
  Store("InputMode", 0x20);  // Standard, Dual
  CPenButtonSetPage page(Context());
  page.Initialise();
  CPenButtonSetPageView view(page, m_strings);
  QComboBox* input = view.List(CPenButtonSetPage::INPUT);
  m_boxes.m_answers = {MBR_NO};
  emit input->activated(2);
  EXPECT_EQ(input->currentIndex(), 0);
  m_boxes.m_answers = {MBR_YES};
  emit input->activated(2);
  EXPECT_EQ(input->currentIndex(), 2);
  EXPECT_EQ(view.List(CPenButtonSetPage::TOUCH)->currentIndex(), 0);
}

TEST_F(ScreensGuiTest, TestDisplayMirrorsItsFieldsAndIgnoresEnterAndEsc) {
  test::CFakePointer pointer;
  pointer.m_sample = {12, 34, true, false, false};
  auto names = std::make_shared<test::CFakeHostNames>();
  CHostAddressCache cache(names, m_clock);
  test::CFakeStatusActions actions;
  ModelEntry model;
  model.m_uModelType = MODEL_TYPE_DRIVER;
  actions.m_pModel = &model;
  bool ran = false;
  CStatusDispWindow window({m_settings, m_parameters, m_pen, m_clock, pointer, cache, m_strings,
                            m_boxes, "Corvane", m_host, actions, 0},
                           [&](bool) { ran = true; });
  EXPECT_TRUE(window.RefreshRunning());
  EXPECT_FALSE(window.DebugArea()->isVisibleTo(&window));
  window.show();
  window.Logic().Refresh();
  window.Mirror();
  using W = CStatusDispWindow;
  EXPECT_EQ(window.Field(W::MOUSE)->text(), "x=12, y=34");
  EXPECT_EQ(window.Field(W::IND_L)->text(), "o");
  EXPECT_EQ(window.Field(W::DRIVER_VERSION)->text(), "7.1.0.3");
  EXPECT_EQ(window.Field(W::BUTTON1)->text(), "RightClick");
  EXPECT_EQ(window.Names()->item(0)->text(), "host");
  Shoot(window, "test-display");
  for (int key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Enter}) {
    QTest::keyClick(&window, static_cast<Qt::Key>(key));
    EXPECT_TRUE(window.isVisible()) << key;
  }
  EXPECT_TRUE(window.ServiceButton()->isEnabled());
  QTest::mouseClick(window.ServiceButton(), Qt::LeftButton);
  EXPECT_TRUE(ran);
  window.close();
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(m_host.m_bRequested);
  names->Release();
}

TEST_F(ScreensGuiTest, ServiceModeListsAndVerdictColour) {
  test::CFakeServicePort port;
  ModelEntry model;
  model.m_sVerticalPcb = 1;
  model.m_sHorizontalPcb = 1;
  model.m_aSensors[0] = 2;
  model.m_aSensors[1] = 2;
  SetFixedText(model.m_szPcbList, "X|Y|X|Y");
  port.m_records = {CheckRecord{1, 2, 1, 1, 0, 0, 0x10, 0, 0, 0}, CheckRecord{1, 2, 2, 1, 0, 0, 0, 0, 0, 0}};
  CServiceModeDlg logic({port, m_strings, m_boxes, "Corvane", &model});
  logic.OnInitDialog();
  logic.RunSelfTest();
  CServiceModeView view(logic, port, m_strings, BannerLook{});
  EXPECT_EQ(view.VersionField()->text(), " 1.02A");
  EXPECT_EQ(view.VerdictField()->text(), "OK");
  EXPECT_EQ(view.VerdictField()->palette().color(QPalette::Text), QColor(0, 255, 0));
  ASSERT_EQ(view.BoardList()->topLevelItemCount(), 2);
  EXPECT_EQ(view.BoardList()->topLevelItem(0)->text(1), "Check");
  EXPECT_EQ(view.BoardList()->columnWidth(0), 78);
  ASSERT_EQ(view.PointList()->topLevelItemCount(), 1);
  EXPECT_EQ(view.PointList()->topLevelItem(0)->text(2), "E01");
  Shoot(view, "service-mode");

  CServiceMode2Dlg firmware(port, m_strings, MODEL_TYPE_FIRMWARE_4);
  port.m_uFlag = 0;
  firmware.OnInitDialog();
  CServiceMode2View view2(firmware, m_strings);
  EXPECT_EQ(view2.UsbField()->text(), "Button");
  EXPECT_EQ(view2.VerdictField()->palette().color(QPalette::Text), QColor(255, 0, 0));
  Shoot(view2, "service-mode2");
}

}  // namespace
}  // namespace kv

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
