#include "tabrix/ui/PenButtonSetPage.h"

#include <algorithm>

#include "resources/TextFormat.h"

namespace kv {

namespace {

constexpr uint32_t TEXT_ENABLE = 1001;
constexpr uint32_t TEXT_DISABLE = 1002;
constexpr uint32_t TEXT_RIGHT_CLICK = 1011;
constexpr uint32_t TEXT_PEN_SOFTWARE_LINK = 1021;
constexpr uint32_t TEXT_STANDARD = 1031;
constexpr uint32_t TEXT_HANDWRITE = 1032;
constexpr uint32_t TEXT_PEN = 1033;
constexpr uint32_t ASK_PEN_WITH_DUAL = 60021;
constexpr uint32_t NOTE_DUAL_AVAILABLE = 60022;
constexpr uint32_t NOTE_PEN_WITH_DUAL = 60027;
constexpr uint32_t NOTE_DUAL_WITH_PEN = 60028;
constexpr uint32_t ASK_CLICK_RANGE = 60104;

}  // namespace

CPenButtonSetPage::CPenButtonSetPage(PenButtonPageContext context)
    : m_ctx(std::move(context)),
      m_settings(m_ctx.m_settings),
      m_strings(m_ctx.m_strings),
      m_touch(m_ctx.m_iOsType, m_ctx.m_iSingleMode) {}

int32_t CPenButtonSetPage::ClampClick(int32_t value) {
  if (value < CLICK_MIN) return CLICK_MIN;
  if (value > CLICK_MAX) return CLICK_MAX;
  return value;
}

void CPenButtonSetPage::Fill(List list, std::initializer_list<uint32_t> textIds, uint32_t stored) {
  ListState& state = m_lists[list];
  state.m_items.clear();
  for (uint32_t id : textIds) state.m_items.push_back(m_strings.Get(id));
  // A stored index the list does not have selects the first item.
  state.m_iSel = stored < state.m_items.size() ? static_cast<int>(stored) : 0;
}

void CPenButtonSetPage::Initialise() {
  const uint32_t inputMode = m_settings.GetInputMode();
  const uint32_t penButon = m_settings.GetPenButon();
  m_uRegionAtStart = m_settings.GetRegionDetection();
  const uint32_t htmlOn = m_settings.GetSingleClickType();
  m_iClickRange = ClampClick(static_cast<int32_t>(std::min<uint32_t>(m_settings.GetSingleClick(), CLICK_MAX + 1)));

  Fill(BUTTON1, {TEXT_DISABLE, TEXT_RIGHT_CLICK}, penButon & 0xFF);
  Fill(BUTTON2, {TEXT_DISABLE, TEXT_PEN_SOFTWARE_LINK}, (penButon >> 8) & 0xFF);
  Fill(INPUT, {TEXT_STANDARD, TEXT_HANDWRITE, TEXT_PEN}, inputMode & 15);
  ListState& touch = m_lists[TOUCH];
  touch.m_items.clear();
  for (uint32_t id : m_touch.ItemTexts()) touch.m_items.push_back(m_strings.Get(id));
  touch.m_iSel = m_touch.ItemFor((inputMode >> 4) & 15);
  // The description follows the item shown, which is what OK would store.
  m_uDescribed = m_touch.TouchModeFor(touch.m_iSel);
  Fill(REGION, {TEXT_DISABLE, TEXT_ENABLE}, m_uRegionAtStart);
  Fill(CALIB_DISP, {TEXT_DISABLE, TEXT_ENABLE}, m_settings.GetCalibDisp());
  Fill(HTML, {TEXT_DISABLE, TEXT_ENABLE}, htmlOn);
  m_bClickRangeEnabled = m_lists[HTML].m_iSel == 1;
  m_iPrevInput = m_lists[INPUT].m_iSel;
  m_iPrevTouch = touch.m_iSel;
}

void CPenButtonSetPage::OnSelect(List list, int item) {
  if (list < 0 || list >= LIST_COUNT || item < 0 ||
      item >= static_cast<int>(m_lists[list].m_items.size()))
    return;
  m_lists[list].m_iSel = item;
  if (list == HTML) OnOptimizeHtml(item);
  if (list == TOUCH) OnTouch(item);
  if (list == INPUT) OnInput(item);
}

void CPenButtonSetPage::OnOptimizeHtml(int item) {
  if (item == 1 && Ask(ASK_CLICK_RANGE, MBF_YES_NO | MBF_ICON_EXCLAMATION | MBF_DEFAULT_BUTTON_2) ==
                       MBR_YES) {
    m_bClickRangeEnabled = true;
    return;
  }
  // Switched off (or the warning declined): the system's drag size goes back at once.
  m_lists[HTML].m_iSel = 0;
  m_bClickRangeEnabled = false;
  m_settings.ApplyClickRange(DRAG_SIZE_OFF);
}

void CPenButtonSetPage::OnTouch(int item) {
  if (m_touch.IsDual(item) && m_lists[INPUT].m_iSel == INPUT_PEN) {
    Tell(m_strings.Get(NOTE_DUAL_WITH_PEN));
    m_lists[TOUCH].m_iSel = m_iPrevTouch;
    return;
  }
  m_uDescribed = m_touch.TouchModeFor(item);
  m_iPrevTouch = item;
}

void CPenButtonSetPage::OnInput(int item) {
  if (m_touch.Count() <= 1 || item == m_iPrevInput) {
    m_iPrevInput = item;
    return;
  }
  const int touch = m_lists[TOUCH].m_iSel;
  if (item == INPUT_PEN && m_touch.IsDual(touch)) {
    if (m_touch.ThreeItems()) {
      Tell(m_strings.Get(NOTE_PEN_WITH_DUAL));
      m_lists[INPUT].m_iSel = m_iPrevInput;
      return;
    }
    if (Ask(ASK_PEN_WITH_DUAL, MBF_YES_NO | MBF_ICON_QUESTION) != MBR_YES) {
      m_lists[INPUT].m_iSel = m_iPrevInput;
      return;
    }
    m_lists[TOUCH].m_iSel = 0;
    m_iPrevTouch = 0;
    m_uDescribed = m_touch.TouchModeFor(0);
  } else if (m_iPrevInput == INPUT_PEN && (item == INPUT_STANDARD || item == INPUT_HANDWRITE) &&
             m_touch.IsSingleNote(touch)) {
    Tell(CTextFormat::Printf(m_strings.Get(NOTE_DUAL_AVAILABLE), {m_lists[INPUT].m_items[item]}));
  }
  m_iPrevInput = item;
}

int CPenButtonSetPage::Ask(uint32_t textId, uint32_t flags) {
  return m_ctx.m_boxes.Show(m_strings.Get(textId), m_ctx.m_sTitle, flags);
}

void CPenButtonSetPage::Tell(const std::string& text) {
  m_ctx.m_boxes.Show(text, m_ctx.m_sTitle, MBF_OK | MBF_ICON_ASTERISK);
}

uint32_t CPenButtonSetPage::SelectedOr0(List list) const {
  const int sel = m_lists[list].m_iSel;
  return sel < 0 ? 0 : static_cast<uint32_t>(sel);
}

void CPenButtonSetPage::OnOk() {
  const bool driverOn = m_ctx.m_host.DriverOn();
  const uint32_t buttons = SelectedOr0(BUTTON1) | (SelectedOr0(BUTTON2) << 8);
  const bool buttonsSent = m_ctx.m_sender.SendFunctionButtons(buttons);
  if (buttonsSent) {
    m_settings.SetPenButon(buttons);
    m_ctx.m_host.SetPenButton(buttons);
  }
  // Without a working connection the values are only stored; the next connection
  // applies them.
  const bool storeOnly = !buttonsSent || !driverOn;

  const uint32_t stored = m_settings.GetInputMode();
  const uint32_t input = SelectedOr0(INPUT);
  const uint32_t touch = m_touch.TouchModeFor(m_lists[TOUCH].m_iSel);
  if (input != (stored & 15) || touch != ((stored >> 4) & 15)) {
    const uint32_t value = (touch << 4) | input;
    if (storeOnly || m_ctx.m_sender.SendInputAndTouchMode(value)) {
      m_settings.SetInputMode(value);
      m_ctx.m_pen.SetTouchMode(touch);
    }
  }

  const uint32_t region = SelectedOr0(REGION);
  if (region != m_uRegionAtStart &&
      (storeOnly || m_ctx.m_sender.SendRegionDetection(region)))
    m_settings.SetRegionDetection(region);

  m_settings.SetCalibDisp(SelectedOr0(CALIB_DISP) == 1 ? 1 : 0);
  const bool html = SelectedOr0(HTML) == 1;
  m_settings.SetSingleClickType(html ? 1 : 0);
  if (html) {
    m_settings.SetSingleClick(static_cast<uint32_t>(m_iClickRange));
    m_settings.ApplyClickRange(static_cast<uint32_t>(m_iClickRange));
  } else {
    m_settings.ApplyClickRange(DRAG_SIZE_OFF);
  }
}

}  // namespace kv
