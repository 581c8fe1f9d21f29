#pragma once
// The screen-saver question of start-up: whether to turn off "Return to welcome screen at
// restart", with a check box that stops the question. Yes and No both take the check box.
#include <string>

#include "platform/MessageBoxes.h"
#include "resources/StringTable.h"

namespace kv {

class CAskReleasePasswordDlg {
 public:
  static constexpr uint32_t FIRST_LINE_ID = 61960;
  static constexpr uint32_t SECOND_LINE_ID = 61961;
  static constexpr uint32_t CHECK_BOX_ID = 61962;
  static constexpr uint32_t YES_ID = 61963;
  static constexpr uint32_t NO_ID = 61964;

  CAskReleasePasswordDlg(const CStringTable& strings, std::string caption)
      : m_strings(strings), m_sCaption(std::move(caption)) {}

  const std::string& Caption() const { return m_sCaption; }
  std::string Text(uint32_t id) const { return m_strings.Get(id); }

  // A button was pressed: the check box is read first, then the dialog ends.
  int Press(bool yes, bool checkBoxTicked) {
    m_uDontShowAgain = checkBoxTicked ? 1 : 0;
    m_iResult = yes ? MBR_YES : MBR_NO;
    return m_iResult;
  }
  int Result() const { return m_iResult; }
  bool DontShowAgain() const { return m_uDontShowAgain != 0; }

 private:
  const CStringTable& m_strings;
  std::string m_sCaption;
  uint32_t m_uDontShowAgain = 0;
  int m_iResult = MBR_NO;
};

}  // namespace kv
