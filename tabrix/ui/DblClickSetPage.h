#pragma once
// The double-click range page: how far apart two clicks may land and still count as a
// double click, 8 to 64 pixels, typed into an edit box of two characters or set with the
// slider, previewed as a red circle of that diameter.
#include <cstdint>
#include <string>

#include "tabrix/app/SettingsStore.h"

namespace kv {

class CDblClickSetPage {
 public:
  static constexpr uint32_t DIALOG_ID = 133;
  static constexpr uint32_t CAPTION_ID = 61100;  // "Double Click Range Setting"
  static constexpr uint32_t TOOLTIP_ID = 57694;
  static constexpr int32_t MIN_PIXELS = 8;
  static constexpr int32_t MAX_PIXELS = 64;
  static constexpr int32_t DEFAULT_PIXELS = 32;
  static constexpr int32_t LINE_SIZE = 1;
  static constexpr int32_t PAGE_SIZE = 4;
  static constexpr int32_t TICK_FREQUENCY = 8;
  static constexpr size_t EDIT_LIMIT = 2;
  static constexpr uint32_t PREVIEW_TIMER_ID = 5122;
  static constexpr uint32_t PREVIEW_DELAY_MS = 200;
  static constexpr uint32_t PREVIEW_PEN_WIDTH = 2;

  CDblClickSetPage(SettingsStore& settings, bool singleTouch)
      : m_settings(settings), m_bSingleTouch(singleTouch) {}

  // Reads "DblClick" (its getter applies it to the system) into edit box and slider.
  void Initialise();
  // The page's controls work only in single touch mode.
  bool ControlsEnabled() const { return m_bSingleTouch; }

  // A changed edit text: above 64 is written back as 64 at once; below 8 stays in the box
  // (the user may be typing a second digit) while the slider shows 8. True when the box
  // text was replaced.
  bool OnEditChanged(const std::string& text);
  // Leaving the box puts the clamped value into it.
  void OnEditKillFocus();
  void OnSlider(int32_t position);
  void OnDefault();
  // Stores the clamped value with the "DblClick" setter (single touch mode only).
  void OnOk();

  const std::string& EditText() const { return m_sEdit; }
  int32_t SliderPosition() const { return m_iSlider; }
  // The preview circle's diameter in pixels.
  int32_t PreviewDiameter() const { return Clamp(EditValue(m_sEdit)); }

  // Digits only; anything else (or nothing) reads as 0, like an unreadable number box.
  static int32_t EditValue(const std::string& text);
  static int32_t Clamp(int32_t value);

 private:
  SettingsStore& m_settings;
  bool m_bSingleTouch;
  std::string m_sEdit;
  int32_t m_iSlider = DEFAULT_PIXELS;
};

}  // namespace kv
