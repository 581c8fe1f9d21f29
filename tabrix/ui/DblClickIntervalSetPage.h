#pragma once
// The double-click speed page: the slider stands for the double-click time (position p is
// 1300 - p ms, so left is slow), two clicks in the "2-click auto speed" area set it from
// the user's own rhythm, and two clicks in the "Double-click test" area flip the test
// picture when they were fast enough for the chosen time.
#include <cstdint>

#include "platform/Clock.h"
#include "tabrix/app/SettingsStore.h"

namespace kv {

class CDblClickIntervalSetPage {
 public:
  static constexpr uint32_t DIALOG_ID = 138;
  static constexpr uint32_t CAPTION_ID = 61101;  // "Double Click Speed Setting"
  static constexpr uint32_t TOOLTIP_ID = 57702;
  static constexpr int32_t SLIDER_MIN = 300;
  static constexpr int32_t SLIDER_MAX = 1000;
  static constexpr int32_t SLIDER_SUM = 1300;  // position + interval
  static constexpr int32_t DEFAULT_POSITION = 800;
  static constexpr int32_t LINE_SIZE = 10;
  static constexpr int32_t PAGE_SIZE = 100;
  static constexpr int32_t TICK_FREQUENCY = 140;
  static constexpr uint32_t AUTO_MIN_MS = 50;
  static constexpr uint32_t AUTO_MAX_MS = 1000;
  static constexpr uint32_t BITMAP_AUTO = 159;
  static constexpr uint32_t BITMAP_TEST_CLOSED = 252;
  static constexpr uint32_t BITMAP_TEST_OPEN = 253;
  static constexpr int32_t PICTURE_OFFSET = 3;

  CDblClickIntervalSetPage(SettingsStore& settings, Clock& clock, bool singleTouch)
      : m_settings(settings), m_clock(clock), m_bSingleTouch(singleTouch) {}

  // Reads "DblClickInterval" (its getter applies it to the system).
  void Initialise();
  bool ControlsEnabled() const { return m_bSingleTouch; }

  void OnSlider(int32_t position) { m_iSlider = ClampPosition(position); }
  void OnDefault() { m_iSlider = DEFAULT_POSITION; }
  // A left button release inside one of the two areas (single touch mode only).
  void OnClickAuto();
  // True when the picture flipped (the view repaints).
  bool OnClickTest();
  // Stores 1300 - position with the "DblClickInterval" setter (single touch mode only).
  void OnOk();

  int32_t SliderPosition() const { return m_iSlider; }
  uint32_t IntervalMs() const { return static_cast<uint32_t>(SLIDER_SUM - m_iSlider); }
  uint32_t TestPicture() const { return m_bTestOpen ? BITMAP_TEST_OPEN : BITMAP_TEST_CLOSED; }

  static int32_t PositionFor(uint32_t intervalMs);
  static int32_t ClampPosition(int32_t position);

 private:
  // A pending first click; a tick count of 0 is a valid time, so presence is its own flag.
  struct FirstClick {
    bool m_bSet = false;
    uint32_t m_uTick = 0;
  };

  SettingsStore& m_settings;
  Clock& m_clock;
  bool m_bSingleTouch;
  int32_t m_iSlider = DEFAULT_POSITION;
  FirstClick m_auto, m_test;
  bool m_bTestOpen = false;
};

}  // namespace kv
