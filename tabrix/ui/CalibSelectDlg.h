#pragma once
// The calibration selection: Simple applies one of the screen-size presets stored for the
// current resolution (only those that exist can be chosen), Advanced calibrates with the
// crosses or, for a sensor model, with the sensor tool at 4 or 25 points. It also shows the
// resolution and the two calibration hot keys. The view mirrors Controls() after every
// call and hands the user's radio choices back.
#include <array>
#include <cstdint>
#include <string>

#include "tabrix/app/AppShell.h"
#include "tabrix/calibration/SelectionResult.h"

namespace kv {

struct CalibSelectControls {
  int m_iKind = SelectionResult::KIND_SIMPLE;
  ScreenSizePreset m_iPreset = PRESET_WIDE;
  int m_iAdvancedOption = 0;
  bool m_bSimpleRadioEnabled = true;
  // The "SIZE" group, its three texts and the Apply button.
  bool m_bSimpleEnabled = false;
  std::array<bool, PRESET_COUNT> m_abPresetEnabled{};
  // The options' group and its first option.
  bool m_bAdvancedEnabled = false;
  bool m_bOption2Visible = false;
  bool m_bOption2Enabled = false;
  // Without a second option the group shrinks to two thirds of its height.
  bool m_bOptionGroupShort = false;
  std::string m_sOption1, m_sOption2;
  std::string m_sDotByDot;
  std::string m_sResolution;
  std::string m_sSelectKey, m_sEasyKey;
};

class CCalibSelectDlg {
 public:
  static constexpr uint32_t RESOLUTION_ID = 57724;   // "%dX%d"
  static constexpr uint32_t KEY_LABEL_ID = 57709;    // "CTRL + SHIFT + %1"
  static constexpr uint32_t POINTS_ID = 57710;       // "(%d Points)"
  static constexpr uint32_t KEY_TIP_ID = 57713;
  static constexpr uint32_t METHOD_TIP_ID = 57714;
  static constexpr uint32_t DOT_BY_DOT_ID = 60005;
  static constexpr int SENSOR_POINTS[2] = {4, 25};

  explicit CCalibSelectDlg(CAppShell& shell) : m_shell(shell) {}

  // The option texts as the dialog's resource has them.
  void Open(const std::string& option1, const std::string& option2);
  void OnSimple();
  void OnAdvanced();
  void SelectPreset(ScreenSizePreset preset) { m_controls.m_iPreset = preset; }
  void SelectOption(int option) { m_controls.m_iAdvancedOption = option; }
  // Apply: the chosen preset goes to the driver at once and the dialog stays; false when
  // the driver did not take it (the screen-size mode in memory is then put back).
  bool Apply();
  // OK: the choice, with "OSDmode" written for it.
  SelectionResult Ok();
  // After a hot key was changed.
  void RefreshKeyLabels();

  const CalibSelectControls& Controls() const { return m_controls; }
  std::string TipFor(bool hotKeyButton) const {
    return m_shell.Text(hotKeyButton ? KEY_TIP_ID : METHOD_TIP_ID);
  }

 private:
  void EnableSimple();
  void EnableAdvanced();
  // Moves a selection off a preset that cannot be chosen; the fall-backs ask the store.
  void MoveSelection(const std::array<bool, PRESET_COUNT>& available);
  void SetOptions(bool advanced);
  void Commit();

  CAppShell& m_shell;
  CalibSelectControls m_controls;
  std::string m_sOption1, m_sOption2;
};

}  // namespace kv
