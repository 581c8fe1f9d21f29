#pragma once
// The command window other pen programs talk to by setting its text: "Get PenMode" asks
// for the pen mode, answered through the Pen Software Link; its own text or an empty one
// is taken as a normal text change; anything else is ignored.
#include <cstdint>
#include <functional>
#include <string>

#include "resources/StringTable.h"
#include "tabrix/firmware/PenSoftwareLinkSender.h"

namespace kv {

class CCommandWindow {
 public:
  static constexpr uint32_t GET_PEN_MODE_ID = 60144;
  enum class Outcome { STORED, ANSWERED, IGNORED };

  // inputMode: the stored "InputMode"; eraser: the eraser state the firmware link keeps.
  CCommandWindow(const CStringTable& strings, PenSoftwareLinkSender& link,
                 std::function<uint32_t()> inputMode, std::function<bool()> eraser)
      : m_strings(strings), m_link(link), m_inputMode(std::move(inputMode)),
        m_eraser(std::move(eraser)) {}

  // A program set `text` while the window's own text was `ownText`. STORED: the window
  // keeps the new text; otherwise its own text stays.
  Outcome OnSetText(const std::string& text, const std::string& ownText);
  // The Pen Software Link's lParam for "Get PenMode": input mode 0 (Standard) the eraser
  // state, 1 (HandWrite) 0, 2 (Pen) 1; -1 for any other mode (no answer).
  static int64_t PenModeAnswer(uint32_t inputMode, bool eraser);

 private:
  const CStringTable& m_strings;
  PenSoftwareLinkSender& m_link;
  std::function<uint32_t()> m_inputMode;
  std::function<bool()> m_eraser;
};

}  // namespace kv
