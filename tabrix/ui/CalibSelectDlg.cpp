#include "tabrix/ui/CalibSelectDlg.h"

#include "resources/TextFormat.h"
#include "tabrix/app/HotKeyDispatcher.h"

namespace kv {

void CCalibSelectDlg::Open(const std::string& option1, const std::string& option2) {
  m_sOption1 = option1;
  m_sOption2 = option2;
  CCalibrationStore& store = m_shell.Calibration();
  if (store.HasAnyPreset()) {
    const ScreenSizePreset osd = store.ReadOsdMode();
    // "OSDmode" is a registry value anyone can write: anything but a preset means WIDE.
    m_controls.m_iPreset = (osd >= 0 && osd < PRESET_COUNT) ? osd : PRESET_WIDE;
    m_controls.m_iKind = SelectionResult::KIND_SIMPLE;
    EnableSimple();
  } else {
    m_controls.m_bSimpleRadioEnabled = false;
    m_controls.m_iKind = SelectionResult::KIND_ADVANCED;
    EnableAdvanced();
  }
  const DisplayMode mode = m_shell.Services().m_display.CurrentMode();
  m_controls.m_sResolution = CTextFormat::Printf(
      m_shell.Text(RESOLUTION_ID), {std::to_string(mode.m_uWidth), std::to_string(mode.m_uHeight)});
  RefreshKeyLabels();
}

void CCalibSelectDlg::RefreshKeyLabels() {
  SettingsStore& settings = m_shell.Settings();
  auto label = [&](int id) {
    return m_shell.Text(KEY_LABEL_ID, CHotKeyDispatcher::KeyName(settings.HotKeyCode(id)));
  };
  m_controls.m_sSelectKey = label(CHotKeyDispatcher::ID_SELECTION);
  m_controls.m_sEasyKey = label(CHotKeyDispatcher::ID_EASY);
}

void CCalibSelectDlg::OnSimple() {
  m_controls.m_iKind = SelectionResult::KIND_SIMPLE;
  EnableSimple();
}

void CCalibSelectDlg::OnAdvanced() {
  m_controls.m_iKind = SelectionResult::KIND_ADVANCED;
  EnableAdvanced();
}

void CCalibSelectDlg::MoveSelection(const std::array<bool, PRESET_COUNT>& available) {
  CCalibrationStore& store = m_shell.Calibration();
  ScreenSizePreset& preset = m_controls.m_iPreset;
  if (!available[PRESET_DOT_BY_DOT] && preset == PRESET_DOT_BY_DOT)
    preset = store.HasPreset(PRESET_WIDE) ? PRESET_WIDE : PRESET_NORMAL;
  if (!available[PRESET_NORMAL] && preset == PRESET_NORMAL) preset = PRESET_WIDE;
  if (!available[PRESET_WIDE] && preset == PRESET_WIDE)
    preset = store.HasPreset(PRESET_NORMAL) ? PRESET_NORMAL : PRESET_DOT_BY_DOT;
}

void CCalibSelectDlg::EnableSimple() {
  CCalibrationStore& store = m_shell.Calibration();
  m_controls.m_bSimpleEnabled = true;
  for (int p = 0; p < PRESET_COUNT; ++p)
    m_controls.m_abPresetEnabled[static_cast<size_t>(p)] = store.HasPreset(p);
  MoveSelection(m_controls.m_abPresetEnabled);
  m_controls.m_sDotByDot = m_shell.Text(DOT_BY_DOT_ID);
  SetOptions(false);
}

void CCalibSelectDlg::EnableAdvanced() {
  m_controls.m_bSimpleEnabled = false;
  m_controls.m_abPresetEnabled = {};
  MoveSelection(m_controls.m_abPresetEnabled);
  SetOptions(true);
}

void CCalibSelectDlg::SetOptions(bool advanced) {
  m_controls.m_bAdvancedEnabled = advanced;
  const bool sensor = m_shell.CurrentModelType() == MODEL_TYPE_FIRMWARE_3;
  m_controls.m_bOption2Visible = sensor;
  m_controls.m_bOption2Enabled = sensor && advanced;
  m_controls.m_bOptionGroupShort = !sensor;
  if (sensor) {
    const std::string points = m_shell.Text(POINTS_ID);
    m_controls.m_sOption1 = m_sOption1 + " " + CTextFormat::Printf(points, {std::to_string(SENSOR_POINTS[0])});
    m_controls.m_sOption2 = m_sOption2 + " " + CTextFormat::Printf(points, {std::to_string(SENSOR_POINTS[1])});
  } else {
    m_controls.m_sOption1 = m_sOption1;
    m_controls.m_sOption2 = m_sOption2;
  }
}

void CCalibSelectDlg::Commit() {
  CCalibrationStore& store = m_shell.Calibration();
  if (m_controls.m_iKind == SelectionResult::KIND_ADVANCED)
    store.WriteOsdMode(PRESET_NONE);
  else
    store.WriteOsdMode(m_controls.m_iPreset);
}

bool CCalibSelectDlg::Apply() {
  Commit();
  CCalibrationStore& store = m_shell.Calibration();
  const ScreenSizePreset previous = store.ScreenSizeMode();
  store.SetScreenSizeMode(m_controls.m_iPreset);
  store.LoadCalibration(m_controls.m_iPreset, true);
  if (store.ApplyCalibration(true)) return true;
  store.SetScreenSizeMode(previous);
  return false;
}

SelectionResult CCalibSelectDlg::Ok() {
  Commit();
  SelectionResult result;
  result.m_iKind = m_controls.m_iKind;
  result.m_iPreset = m_controls.m_iPreset;
  result.m_iAdvancedOption = m_controls.m_iAdvancedOption;
  return result;
}

}  // namespace kv
