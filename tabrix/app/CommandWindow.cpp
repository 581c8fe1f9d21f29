#include "tabrix/app/CommandWindow.h"

namespace kv {

int64_t CCommandWindow::PenModeAnswer(uint32_t inputMode, bool eraser) {
  switch (inputMode & 15) {
    case 0: return eraser ? 1 : 0;
    case 1: return 0;
    case 2: return 1;
    default: return -1;
  }
}

CCommandWindow::Outcome CCommandWindow::OnSetText(const std::string& text,
                                                  const std::string& ownText) {
  if (text.empty() || text == ownText) return Outcome::STORED;
  if (text != m_strings.Get(GET_PEN_MODE_ID)) return Outcome::IGNORED;
  const int64_t answer = PenModeAnswer(m_inputMode(), m_eraser());
  if (answer < 0) return Outcome::IGNORED;
  m_link.Send(2, 0, static_cast<uint64_t>(answer));
  return Outcome::ANSWERED;
}

}  // namespace kv
