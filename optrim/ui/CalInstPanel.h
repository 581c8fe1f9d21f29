#pragma once
// What the instruction panel of the calibration screen shows: its type (0 hidden, 1 to 4
// while collecting, 7 after success, 8 and 9 after errors), its lines, the live
// coordinates and countdown, the error detail, and where it sits.
#include <cstdint>
#include <string>
#include <vector>

#include "optrim/ui/MarkLayout.h"
#include "resources/StringTable.h"

namespace kv {

enum PanelCommand : int {
  PANEL_COMMAND_NONE = 0,
  PANEL_COMMAND_CANCEL = 1,
  PANEL_COMMAND_DELETE = 2,
  PANEL_COMMAND_APPLY = 3,
  PANEL_COMMAND_RESTART = 4,
  PANEL_COMMAND_RECALIBRATE = 5,
  PANEL_COMMAND_CANCEL_AFTER_SUCCESS = 6,
};

enum PanelKey { PANEL_KEY_Y, PANEL_KEY_R, PANEL_KEY_ESC, PANEL_KEY_DELETE };

// One line of the panel; role tells the view how to draw it.
enum PanelLineRole { LINE_TITLE, LINE_TEXT, LINE_COORDINATES, LINE_COUNTDOWN, LINE_DETAIL };
struct PanelLine {
  PanelLineRole role;
  std::string text;
};

class CCalInstPanel {
 public:
  static constexpr int PANEL_OFFSET = 30;

  explicit CCalInstPanel(const CStringTable& strings) : m_strings(strings) {}

  // The command a key gives on a panel type (PANEL_COMMAND_NONE where the key does nothing).
  static PanelCommand KeyCommand(int type, PanelKey key);
  // Width in pixels of a panel type (0 for the hidden panel).
  static int Width(int type);
  // Top-left corner: types 1 to 4 up and left of the mark (down or right where the screen
  // ends), 7 to 9 centred.
  static ScreenPoint Position(int type, const ScreenPoint& mark, int panelWidth,
                             int panelHeight, int screenWidth, int screenHeight);

  // total: the number of marks, shown in the precise title.
  void Show(int type, int total);
  void Hide() { m_iType = 0; }
  void SetCoordinates(int x, int y);
  // An empty text hides the countdown line.
  void SetCountdown(const std::string& text) { m_sCountdown = text; }
  void SetDetail(const std::string& text) { m_sDetail = text; }

  int Type() const { return m_iType; }
  bool HasButtons() const { return m_iType == 7; }
  const std::string& Countdown() const { return m_sCountdown; }
  const std::string& Detail() const { return m_sDetail; }
  const std::string& CoordinateText() const { return m_sCoordinates; }
  std::vector<PanelLine> Lines() const;
  // Captions of panel 7's three buttons (Y, R, Esc).
  std::vector<std::string> ButtonCaptions() const;

 private:
  void CollectingLines(std::vector<PanelLine>* lines) const;

  const CStringTable& m_strings;
  int m_iType = 0;
  int m_iTotal = 4;
  std::string m_sCoordinates;
  std::string m_sCountdown;
  std::string m_sDetail;
};

}  // namespace kv
