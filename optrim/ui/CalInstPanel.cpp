#include "optrim/ui/CalInstPanel.h"

#include "optrim/ui/Format.h"
#include "optrim/ui/OptrimStrings.h"

namespace kv {

namespace {

struct KeyRow {
  int type;
  PanelCommand y, r, esc, del;
};

// Which key does what on which panel; types not listed take no keys.
constexpr KeyRow KEY_TABLE[] = {
    {1, PANEL_COMMAND_NONE, PANEL_COMMAND_NONE, PANEL_COMMAND_CANCEL, PANEL_COMMAND_DELETE},
    {2, PANEL_COMMAND_NONE, PANEL_COMMAND_NONE, PANEL_COMMAND_CANCEL, PANEL_COMMAND_DELETE},
    {3, PANEL_COMMAND_NONE, PANEL_COMMAND_NONE, PANEL_COMMAND_CANCEL, PANEL_COMMAND_DELETE},
    {4, PANEL_COMMAND_NONE, PANEL_COMMAND_NONE, PANEL_COMMAND_CANCEL, PANEL_COMMAND_DELETE},
    {7, PANEL_COMMAND_APPLY, PANEL_COMMAND_RECALIBRATE, PANEL_COMMAND_CANCEL_AFTER_SUCCESS,
     PANEL_COMMAND_NONE},
    {8, PANEL_COMMAND_NONE, PANEL_COMMAND_RESTART, PANEL_COMMAND_CANCEL, PANEL_COMMAND_NONE},
    {9, PANEL_COMMAND_NONE, PANEL_COMMAND_RESTART, PANEL_COMMAND_CANCEL, PANEL_COMMAND_NONE},
};

}  // namespace

PanelCommand CCalInstPanel::KeyCommand(int type, PanelKey key) {
  for (const KeyRow& row : KEY_TABLE) {
    if (row.type != type) continue;
    switch (key) {
      case PANEL_KEY_Y: return row.y;
      case PANEL_KEY_R: return row.r;
      case PANEL_KEY_ESC: return row.esc;
      case PANEL_KEY_DELETE: return row.del;
    }
  }
  return PANEL_COMMAND_NONE;
}

int CCalInstPanel::Width(int type) {
  switch (type) {
    case 1: case 2: case 3: case 4: return 340;
    case 7: return 350;
    case 8: return 345;
    case 9: return 320;
    default: return 0;
  }
}

ScreenPoint CCalInstPanel::Position(int type, const ScreenPoint& mark, int panelWidth,
                                    int panelHeight, int screenWidth, int screenHeight) {
  if (type >= 7) return {(screenWidth - panelWidth) / 2, (screenHeight - panelHeight) / 2};
  ScreenPoint p{mark.x - PANEL_OFFSET - panelWidth, mark.y - PANEL_OFFSET - panelHeight};
  if (p.x < 0) p.x = mark.x + PANEL_OFFSET;
  if (p.y < 0) p.y = mark.y + PANEL_OFFSET;
  return p;
}

void CCalInstPanel::Show(int type, int total) {
  m_iType = type;
  m_iTotal = total;
  m_sCountdown.clear();
  if (type >= 1 && type <= 4) m_sCoordinates.clear();
}

void CCalInstPanel::SetCoordinates(int x, int y) {
  m_sCoordinates = FormatText(m_strings.Get(optrim_str::COORDINATES), x, y);
}

void CCalInstPanel::CollectingLines(std::vector<PanelLine>* lines) const {
  using namespace optrim_str;
  const bool precise = m_iType == 2 || m_iType == 4;
  lines->push_back({LINE_TITLE, precise ? FormatText(m_strings.Get(TITLE_PRECISE), m_iTotal)
                                        : m_strings.Get(TITLE_BASIC)});
  if (m_iType <= 2) {
    lines->push_back({LINE_TEXT, m_strings.Get(TOUCH_AND_ENTER)});
    lines->push_back({LINE_TEXT, m_strings.Get(CHECK_COORDINATES)});
  } else {
    lines->push_back({LINE_TEXT, m_strings.Get(ACCEPTED_RELEASE)});
  }
  lines->push_back({LINE_TEXT, m_strings.Get(COORDINATE_VALUE)});
  lines->push_back({LINE_COORDINATES, m_sCoordinates});
  lines->push_back({LINE_COUNTDOWN, m_sCountdown});
  lines->push_back({LINE_TEXT, m_strings.Get(ESC_CANCELS)});
  lines->push_back({LINE_TEXT, m_strings.Get(DELETE_CANCELS)});
}

std::vector<PanelLine> CCalInstPanel::Lines() const {
  using namespace optrim_str;
  std::vector<PanelLine> lines;
  switch (m_iType) {
    case 1: case 2: case 3: case 4:
      CollectingLines(&lines);
      break;
    case 7:
      lines = {{LINE_TITLE, m_strings.Get(RANGE_TITLE)}, {LINE_TEXT, m_strings.Get(RANGE_QUESTION)}};
      break;
    case 8:
      lines = {{LINE_TITLE, m_strings.Get(POINT_CHECK_ERROR)},
               {LINE_TEXT, m_strings.Get(POINTS_TOO_FAR)},
               {LINE_TEXT, m_strings.Get(TOUCH_CLOSER)},
               {LINE_DETAIL, m_sDetail},
               {LINE_TEXT, m_strings.Get(R_RECALIBRATES)},
               {LINE_TEXT, m_strings.Get(ESC_CANCELS)}};
      break;
    case 9:
      lines = {{LINE_TITLE, m_strings.Get(CALCULATION_ERROR)},
               {LINE_DETAIL, m_sDetail},
               {LINE_TEXT, m_strings.Get(R_RECALIBRATES)},
               {LINE_TEXT, m_strings.Get(ESC_CANCELS)}};
      break;
    default:
      break;
  }
  return lines;
}

std::vector<std::string> CCalInstPanel::ButtonCaptions() const {
  using namespace optrim_str;
  return {m_strings.Get(BUTTON_APPLY), m_strings.Get(BUTTON_RETRY), m_strings.Get(BUTTON_CANCEL)};
}

}  // namespace kv
