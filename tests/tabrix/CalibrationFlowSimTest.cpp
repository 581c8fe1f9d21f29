// The calibration as the user goes through it, against the real service and driver
// stand-in: the selection's choices, the four crosses fed by the driver's raw pen point,
// the questions, what reaches the driver and the store, and what a lost service, a screen
// that changes size or a sensor tool that will not start do to it.
#include <gtest/gtest.h>

#include <algorithm>

#include "tabrix/app/CalibrationCommand.h"
#include "tabrix/app/CalibrationSurface.h"
#include "tabrix/app/HotKeyDispatcher.h"
#include "tabrix/app/TrayCommands.h"
#include "tabrix/ui/CalibSelHotkeySetDlg.h"
#include "tabrix/ui/CalibSelectDlg.h"
#include "tests/tabrix/TraySimFixture.h"

namespace kv {
namespace {

using State = CCalibrationSurface::TargetState;
constexpr const char* kUserKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A\\1920_1080";
constexpr const char* kPresetKey = "SOFTWARE\\KAVRO\\Corvane\\PresetHWD\\VT-R700A\\1920_1080\\";

class CRecordingSurfaceView final : public CalibrationSurfaceView {
 public:
  void ShowMaximized() override { m_bShown = true; }
  void Hide() override { m_bShown = false; }
  void Invalidate(const ScreenRect& area) override { m_invalidated.push_back(area); }
  void InvalidateAll() override { ++m_iFullRepaints; }
  void SetCursorHidden(bool hidden) override { m_bCursorHidden = hidden; }
  void SetMessage(const std::string& text) override { m_sMessage = text; }
  bool m_bShown = false, m_bCursorHidden = false;
  std::vector<ScreenRect> m_invalidated;
  int m_iFullRepaints = 0;
  std::string m_sMessage;
};

class CalibrationFlowSimTest : public test::CTraySimFixture {
 protected:
  void SetUp() override {
    CTraySimFixture::SetUp();
    Surface().SetView(&m_view);
  }
  CCalibrationSurface& Surface() { return Window().Surface(); }
  CAppShell& Shell() { return *m_program->shell; }
  // The pen lands on screen point (x, y) and is lifted: the driver holds the raw point.
  void PenAt(int32_t x, int32_t y) {
    uint32_t w = 0, h = 0;
    m_program->display.PrimaryScreenSize(&w, &h);
    const int64_t rx = (int64_t{x} * 65535 + w - 1) / w, ry = (int64_t{y} * 65535 + h - 1) / h;
    ASSERT_EQ(m_sim.Control("touch " + std::to_string(rx) + " " + std::to_string(ry)), "ok");
    Surface().OnLeftButtonUp();
  }
  void ChooseAdvanced() {
    m_program->views.m_selection.m_iKind = SelectionResult::KIND_ADVANCED;
    m_program->views.m_bSelectionOk = true;
    Commands().OnCommand(57401);
  }
  // Touches that read 10 px right and 5 px low of the first `count` crosses.
  void TouchCrosses(int count) {
    const CCalibrationGeometry g = Surface().Geometry();
    for (int i = 0; i < count; ++i) PenAt(g.Centre(i).x + 10, g.Centre(i).y + 5);
  }
  std::string Stored(const char* name) {
    return Shell().Settings().ReadString(kUserKey, name, "<absent>");
  }
  void PutPreset(const char* preset, const char* ratioX) {
    const std::string key = std::string(kPresetKey) + preset;
    m_program->registry.CreateKey(RegistryHive::LOCAL_MACHINE, key);
    const char* values[4][2] = {{"CalibRatioX", ratioX}, {"CalibRatioY", "1.0"},
                                {"CalibOffsetX", "10"}, {"CalibOffsetY", "0"}};
    for (auto& v : values) m_program->registry.SetString(RegistryHive::LOCAL_MACHINE, key, v[0], v[1]);
  }

  CRecordingSurfaceView m_view;
};

TEST_F(CalibrationFlowSimTest, FourCrossesConfirmedReachTheDriverAndTheStore) {
  ChooseAdvanced();
  EXPECT_TRUE(m_program->views.m_bSelectionSeenOpen);
  EXPECT_FALSE(Window().SelectionOpen());
  ASSERT_TRUE(m_view.m_bShown);
  EXPECT_TRUE(m_view.m_bCursorHidden);
  EXPECT_EQ(Settings().m_uCalibrationSwitch, 0) << "the driver must report raw points";

  // Ignored without a word: the wrong quarter, no point yet, the same report again.
  PenAt(1500, 100);
  ASSERT_EQ(m_sim.Control("touch -1 -1"), "ok");
  Surface().OnLeftButtonUp();
  EXPECT_EQ(Surface().State(), State::TARGET_TOP_LEFT);
  TouchCrosses(1);
  Surface().OnLeftButtonUp();
  EXPECT_EQ(Surface().State(), State::TARGET_BOTTOM_LEFT);

  m_program->boxes.m_answers = {MBR_YES};
  const CCalibrationGeometry g = Surface().Geometry();
  for (int i = 1; i < 4; ++i) PenAt(g.Centre(i).x + 10, g.Centre(i).y + 5);
  ASSERT_EQ(m_program->boxes.m_shown.size(), 1u);
  EXPECT_EQ(m_program->boxes.m_shown[0].m_sText, Shell().Text(57351));
  EXPECT_TRUE(m_program->boxes.m_shown[0].m_uFlags & MBF_TOPMOST);
  const DriverSettings s = Settings();
  EXPECT_EQ(s.m_uCalibrationSwitch, 1);
  EXPECT_EQ(s.m_iRatioX, 1000);
  EXPECT_EQ(s.m_iOffsetX, 10);
  EXPECT_EQ(s.m_iOffsetY, 5);
  EXPECT_EQ(Stored("CalibOffsetX"), "10.000000");
  EXPECT_EQ(Stored("CalibRatioY"), "1.000000");
  EXPECT_FALSE(m_view.m_bShown);
  EXPECT_FALSE(m_view.m_bCursorHidden);
  EXPECT_FALSE(Window().Calibrating());
  EXPECT_EQ(Surface().State(), State::TARGET_TOP_LEFT);
}

TEST_F(CalibrationFlowSimTest, NoStartsOverAndEscLeavesWithoutSaving) {
  const std::string before = Stored("CalibOffsetX");
  ChooseAdvanced();
  m_program->boxes.m_answers = {MBR_NO};
  TouchCrosses(4);
  EXPECT_EQ(Surface().State(), State::TARGET_TOP_LEFT);
  EXPECT_TRUE(m_view.m_bShown);
  EXPECT_TRUE(m_view.m_bCursorHidden);
  EXPECT_EQ(Settings().m_uCalibrationSwitch, 0);

  // Esc answered No keeps collecting; answered Yes leaves with the old calibration.
  m_program->boxes.m_answers = {MBR_NO, MBR_YES};
  TouchCrosses(2);
  Surface().OnChar('x');
  Surface().OnChar(CCalibrationSurface::ESCAPE);
  EXPECT_EQ(Surface().State(), State::TARGET_TOP_LEFT);
  EXPECT_TRUE(m_view.m_bShown);
  EXPECT_EQ(m_view.m_iFullRepaints, 1);
  Surface().OnChar(CCalibrationSurface::ESCAPE);
  EXPECT_FALSE(m_view.m_bShown);
  EXPECT_EQ(m_program->boxes.m_shown.back().m_sText, Shell().Text(57348));
  const DriverSettings s = Settings();
  EXPECT_EQ(s.m_uCalibrationSwitch, 1);
  EXPECT_EQ(s.m_iOffsetX, 0);
  EXPECT_EQ(Stored("CalibOffsetX"), before);
}

TEST_F(CalibrationFlowSimTest, ScreenGrowingBetweenTouchesFailsTheCheck) {
  ChooseAdvanced();
  TouchCrosses(3);
  m_program->display.m_uWidth = 3840;
  m_program->display.m_uHeight = 2160;
  PenAt(3000, 1050);  // top right of the new screen, below the old bottom touches
  EXPECT_EQ(m_program->beeper.m_beeps, (std::vector<uint32_t>{MBF_ICON_EXCLAMATION}));
  EXPECT_EQ(Surface().State(), State::TARGET_TOP_LEFT);
  EXPECT_EQ(m_view.m_sMessage, Shell().Text(57353));
  EXPECT_TRUE(m_program->boxes.m_shown.empty());
  PenAt(200, 100);
  EXPECT_EQ(Surface().State(), State::TARGET_BOTTOM_LEFT);
  EXPECT_EQ(m_view.m_sMessage, Shell().Text(57350));
}

TEST_F(CalibrationFlowSimTest, ServiceLostOnATouchChangesNothing) {
  const std::string before = Stored("CalibOffsetX");
  ChooseAdvanced();
  TouchCrosses(1);
  m_sim.StopService();
  PenAt(Surface().Geometry().Centre(1).x, Surface().Geometry().Centre(1).y);
  EXPECT_EQ(m_program->views.m_guides, (std::vector<int>{0}));
  EXPECT_FALSE(Window().DriverOn());
  EXPECT_EQ(Surface().State(), State::TARGET_BOTTOM_LEFT);
  EXPECT_EQ(Stored("CalibOffsetX"), before);
}

TEST_F(CalibrationFlowSimTest, SimpleChoiceAppliesThePresetAndBusyOnlyBeeps) {
  PutPreset("NORMAL", "1.25");
  Shell().Calibration().LoadPresetTable();
  m_program->views.m_selection = {SelectionResult::KIND_SIMPLE, PRESET_NORMAL, 0};
  m_program->views.m_bSelectionOk = true;
  Commands().OnCommand(57401);
  EXPECT_EQ(m_program->views.m_messages,
            (std::vector<std::string>{"\"NORMAL\" screen size has been selected."}));
  EXPECT_EQ(Settings().m_iRatioX, 1250);
  EXPECT_EQ(Shell().Settings().GetOsdMode(), PRESET_NORMAL);
  EXPECT_EQ(m_program->views.m_serviceButton, (std::vector<bool>{false, true}));

  Window().SetBusy(true);
  Commands().OnCommand(57401);
  EXPECT_EQ(m_program->views.m_iCalibration, 1);
  EXPECT_EQ(m_program->beeper.m_beeps, (std::vector<uint32_t>{MBF_ICON_EXCLAMATION}));
}

TEST_F(CalibrationFlowSimTest, SelectionOffersOnlyThePresetsThatExist) {
  const struct {
    const char* m_pszPresets;  // W, N, D present
    int32_t m_iOsd;
    int m_iKind, m_iPreset;
  } cases[] = {
      {"N", 2, 0, 1}, {"WND", -1, 0, 0}, {"WD", 1, 0, 0}, {"ND", 0, 0, 1},
      {"D", 0, 0, 2}, {"", 0, 1, 2}, {"WND", 7, 0, 0},
  };
  for (const auto& c : cases) {
    m_program->registry.DeleteKey(RegistryHive::LOCAL_MACHINE, "SOFTWARE\\KAVRO\\Corvane\\PresetHWD");
    const std::string presets = c.m_pszPresets;
    if (presets.find('W') != std::string::npos) PutPreset("WIDE", "1.1");
    if (presets.find('N') != std::string::npos) PutPreset("NORMAL", "1.2");
    if (presets.find('D') != std::string::npos) PutPreset("DOT_BY_DOT", "1.3");
    Shell().Calibration().LoadPresetTable();
    Shell().Settings().SetOsdMode(c.m_iOsd);
    CCalibSelectDlg dlg(Shell());
    dlg.Open("Set Manually", "Set Manually");
    const CalibSelectControls& k = dlg.Controls();
    EXPECT_EQ(k.m_iKind, c.m_iKind) << presets;
    EXPECT_EQ(k.m_iPreset, c.m_iPreset) << presets;
    EXPECT_EQ(k.m_bSimpleRadioEnabled, !presets.empty()) << presets;
    EXPECT_EQ(k.m_bSimpleEnabled, !presets.empty()) << presets;
    EXPECT_EQ(k.m_abPresetEnabled[1], presets.find('N') != std::string::npos) << presets;
    EXPECT_EQ(k.m_sResolution, "1920X1080");
    EXPECT_EQ(k.m_sSelectKey, "CTRL + SHIFT + D");
  }
  // Advanced greys the presets and Apply; one option for a driver model, a short group.
  CCalibSelectDlg dlg(Shell());
  dlg.Open("Set Manually", "Set Manually");
  dlg.OnAdvanced();
  EXPECT_FALSE(dlg.Controls().m_bSimpleEnabled);
  EXPECT_TRUE(dlg.Controls().m_bAdvancedEnabled);
  EXPECT_FALSE(dlg.Controls().m_bOption2Visible);
  EXPECT_TRUE(dlg.Controls().m_bOptionGroupShort);
  EXPECT_EQ(dlg.Ok().m_iKind, SelectionResult::KIND_ADVANCED);
  EXPECT_EQ(Shell().Settings().GetOsdMode(), PRESET_NONE);
  // A sensor model offers both point counts.
  ModelEntry sensor = *Shell().CurrentModel();
  sensor.m_uModelType = MODEL_TYPE_FIRMWARE_3;
  const ModelEntry* driverModel = Shell().CurrentModel();
  Shell().SetCurrentModel(&sensor);
  dlg.OnAdvanced();
  EXPECT_EQ(dlg.Controls().m_sOption1, "Set Manually (4 Points)");
  EXPECT_EQ(dlg.Controls().m_sOption2, "Set Manually (25 Points)");
  EXPECT_TRUE(dlg.Controls().m_bOption2Enabled);
  Shell().SetCurrentModel(driverModel);
  // Apply sends the chosen preset at once and keeps the dialog.
  dlg.OnSimple();
  dlg.SelectPreset(PRESET_WIDE);
  EXPECT_TRUE(dlg.Apply());
  EXPECT_EQ(Settings().m_iRatioX, 1100);
  EXPECT_EQ(Shell().Calibration().ScreenSizeMode(), PRESET_WIDE);
}

TEST_F(CalibrationFlowSimTest, HotKeyListLeavesOutKeysOthersHold) {
  auto& keys = m_program->hotKeys;
  keys.m_taken['A'] = true;
  CCalibSelHotkeySetDlg dlg(Shell(), Window().Keys(), CHotKeyDispatcher::ID_SELECTION);
  dlg.Open();
  const std::vector<char>& list = dlg.Candidates();
  ASSERT_EQ(list.size(), 35u);
  EXPECT_EQ(list.front(), 'B');
  EXPECT_EQ(list.back(), '0');
  ASSERT_GE(dlg.Selected(), 0);
  EXPECT_EQ(list[static_cast<size_t>(dlg.Selected())], 'D');
  EXPECT_EQ(keys.m_registered[0], static_cast<uint32_t>('D'));

  const auto index = [&](char c) { return static_cast<int>(std::find(list.begin(), list.end(), c) - list.begin()); };
  EXPECT_FALSE(dlg.Ok(-1));
  ASSERT_TRUE(dlg.Ok(index('K')));
  EXPECT_EQ(Shell().Settings().GetCalibShortKey(), "K");
  EXPECT_EQ(keys.m_registered[0], static_cast<uint32_t>('K'));
  EXPECT_EQ(m_program->boxes.m_shown.back().m_sText,
            "The hot key for opening the calibration selection screen has been changed.\r\n"
            "New hot key: CTRL + SHIFT + K");
  // Taken between opening and OK: refused, and the old key still works.
  dlg.Open();
  keys.m_taken['M'] = true;
  EXPECT_FALSE(dlg.Ok(index('M')));
  EXPECT_EQ(m_program->boxes.m_shown.back().m_sText, Shell().Text(57708));
  EXPECT_EQ(keys.m_registered[0], static_cast<uint32_t>('K'));
}

TEST_F(CalibrationFlowSimTest, SensorToolIsWaitedForAndItsCalibrationTakenOver) {
  auto& processes = m_program->processes;
  m_program->display.m_uWidth = 2560;
  m_program->display.m_uHeight = 1440;
  Shell().m_uRotation = 90;
  CCalibrationCommand& command = Window().CalibrationCommand();
  EXPECT_EQ(command.StartSensorCalibration(0), 1);
  ASSERT_EQ(processes.m_runs.size(), 1u);
  EXPECT_EQ(processes.m_runs[0], "open " + m_prefix.Dir() + "/program/VT-R800A/Optrim");
  EXPECT_EQ(processes.m_parameters[0], "-b -r1 Optrim_y1200.ini");
  EXPECT_EQ(Shell().Settings().GetResolution(0, 0), (std::pair<uint32_t, uint32_t>{2560, 1440}));
  EXPECT_EQ(Shell().Settings().GetOsdMode(), PRESET_NONE);

  // A tool that cannot start: the stored calibration is taken over all the same.
  processes.m_uExecuteError = 2;
  m_program->display.m_uWidth = 1920;
  m_program->display.m_uHeight = 1080;
  EXPECT_EQ(command.StartSensorCalibration(1), 1);
  EXPECT_EQ(Shell().Settings().GetResolution(0, 0), (std::pair<uint32_t, uint32_t>{1920, 1080}));
}

}  // namespace
}  // namespace kv
