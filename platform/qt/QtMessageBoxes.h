#pragma once
// MessageBoxes through QMessageBox: caption, text, Yes/No or OK, the icon of the flags,
// top-most when asked. Answers queued with SetNextAnswer are taken instead of showing a
// box (tests); without a desktop (no display to show on) the box answers as if its
// default button had been pressed, so that an unattended run never waits for a person.
#include <deque>
#include <string>
#include <vector>

#include "platform/MessageBoxes.h"

namespace kv {

class CQtMessageBoxes final : public MessageBoxes {
 public:
  int Show(const std::string& text, const std::string& caption, uint32_t flags) override;

  void SetNextAnswer(int answer) { m_answers.push_back(answer); }
  // Texts of the boxes answered from the queue or without a desktop, oldest first.
  const std::vector<std::string>& Unshown() const { return m_unshown; }
  // The button a box without a person takes: No for questions, OK otherwise.
  static int DefaultAnswer(uint32_t flags);

 private:
  std::deque<int> m_answers;
  std::vector<std::string> m_unshown;
};

}  // namespace kv
