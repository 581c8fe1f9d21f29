#pragma once
// The operation page: function buttons, input and touch mode, eraser-area detection, the
// resolution-change notice and "Optimize HTML" with its click range. It holds every list's
// items and selection, asks the questions the combinations call for, and on OK stores and
// sends what changed: a failed send keeps the stored value while the driver is on, and
// with the driver off (or the buttons refused) values are stored for the next connection.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/MessageBoxes.h"
#include "resources/StringTable.h"
#include "tabrix/app/SettingsStore.h"
#include "tabrix/firmware/PenInputState.h"
#include "tabrix/ui/PenSettingsSender.h"
#include "tabrix/ui/ScreenHost.h"
#include "tabrix/ui/TouchModeList.h"

namespace kv {

// What the operation page reaches of the program.
struct PenButtonPageContext {
  SettingsStore& m_settings;
  const CStringTable& m_strings;
  MessageBoxes& m_boxes;
  std::string m_sTitle;  // caption of its message boxes
  ScreenHost& m_host;
  CPenInputState& m_pen;
  PenSettingsSender& m_sender;
  int32_t m_iOsType = 16;
  int32_t m_iSingleMode = 0;
};

class CPenButtonSetPage {
 public:
  static constexpr uint32_t DIALOG_ID = 137;
  static constexpr uint32_t CAPTION_ID = 61102;  // "Operation Setting"
  enum List : int { BUTTON1, BUTTON2, INPUT, TOUCH, REGION, CALIB_DISP, HTML, LIST_COUNT };
  // Control ids of the lists, in List order, and their tooltip strings (0 = none).
  static constexpr std::array<uint32_t, LIST_COUNT> CONTROL_IDS = {1122, 1123, 1121, 1127,
                                                                   1124, 1125, 1126};
  static constexpr std::array<uint32_t, LIST_COUNT> TOOLTIP_IDS = {57693, 57737, 57695, 57697,
                                                                   57696, 60014, 60020};
  static constexpr int INPUT_STANDARD = 0;
  static constexpr int INPUT_HANDWRITE = 1;
  static constexpr int INPUT_PEN = 2;
  static constexpr int32_t CLICK_MIN = 8;
  static constexpr int32_t CLICK_MAX = 32;
  static constexpr int32_t CLICK_DEFAULT = 16;
  static constexpr int32_t CLICK_LINE = 1;
  static constexpr int32_t CLICK_PAGE = 4;
  static constexpr int32_t CLICK_TICKS = 4;
  static constexpr uint32_t DRAG_SIZE_OFF = 4;

  explicit CPenButtonSetPage(PenButtonPageContext context);

  // Fills the lists from the settings and selects what is stored.
  void Initialise();

  const std::vector<std::string>& Items(List list) const { return m_lists[list].m_items; }
  int Selection(List list) const { return m_lists[list].m_iSel; }
  const CTouchModeList& TouchList() const { return m_touch; }
  std::string Description() const { return m_strings.Get(CTouchModeList::DescriptionFor(m_uDescribed)); }
  int32_t ClickRange() const { return m_iClickRange; }
  bool ClickRangeEnabled() const { return m_bClickRangeEnabled; }
  int32_t ClickTicks() const { return m_bClickRangeEnabled ? CLICK_TICKS : 0; }

  // Handlers of the controls; each leaves the selections as the view must show them.
  void OnSelect(List list, int item);
  void OnClickRange(int32_t position) { m_iClickRange = ClampClick(position); }
  void OnDefault() { m_iClickRange = CLICK_DEFAULT; }
  // Stores and sends (see the header comment).
  void OnOk();

  static int32_t ClampClick(int32_t value);

 private:
  struct ListState {
    std::vector<std::string> m_items;
    int m_iSel = 0;
  };

  void Fill(List list, std::initializer_list<uint32_t> textIds, uint32_t stored);
  void OnOptimizeHtml(int item);
  void OnTouch(int item);
  void OnInput(int item);
  int Ask(uint32_t textId, uint32_t flags);
  void Tell(const std::string& text);
  uint32_t SelectedOr0(List list) const;

  PenButtonPageContext m_ctx;
  SettingsStore& m_settings;
  const CStringTable& m_strings;
  CTouchModeList m_touch;
  std::array<ListState, LIST_COUNT> m_lists;
  uint32_t m_uDescribed = 0;       // touch mode whose description shows
  int m_iPrevInput = 0, m_iPrevTouch = 0;
  uint32_t m_uRegionAtStart = 0;
  int32_t m_iClickRange = CLICK_DEFAULT;
  bool m_bClickRangeEnabled = false;
};

}  // namespace kv
