#pragma once
// The command window other pen programs talk to by setting its text: "Get PenMode" asks
// for the pen mode, answered through the Pen Software Link; its own text or an empty one
// is taken as a normal text change; anything else is ignored.
#include <cstdint>
#include <string>

#include "tabrix/app/AppShell.h"

namespace kv {

class CCommandWindow {
 public:
  static constexpr uint32_t GET_PEN_MODE_ID = 60144;
  enum class Outcome { STORED, ANSWERED, IGNORED };

  CCommandWindow(CAppShell& shell, PenSoftwareLinkSender& link) : m_shell(shell), m_link(link) {}

  // A program set `text` while the window's own text was `ownText`. STORED: the window
  // keeps the new text; otherwise its own text stays.
  Outcome OnSetText(const std::string& text, const std::string& ownText);
  // The Pen Software Link's lParam for "Get PenMode": input mode 0 (Standard) the eraser
  // state, 1 (HandWrite) 0, 2 (Pen) 1; -1 for any other mode (no answer).
  static int64_t PenModeAnswer(uint32_t inputMode, bool eraser);

 private:
  CAppShell& m_shell;
  PenSoftwareLinkSender& m_link;
};

}  // namespace kv
