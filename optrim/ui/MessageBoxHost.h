#pragma once
// Message boxes as the windows' logic asks for them. The view answers with a real box;
// tests hand in a host that records the question and gives the next answer.
#include <string>

namespace kv {

enum MsgIcon { MSG_ICON_INFORMATION, MSG_ICON_WARNING, MSG_ICON_ERROR, MSG_ICON_QUESTION };
enum MsgButtons { MSG_BUTTONS_OK, MSG_BUTTONS_YES_NO };
enum MsgAnswer { MSG_ANSWER_OK, MSG_ANSWER_YES, MSG_ANSWER_NO };

class MessageBoxHost {
 public:
  virtual ~MessageBoxHost() = default;
  // Blocks until answered (a modal box on the user-interface thread).
  virtual MsgAnswer Show(const std::string& caption, const std::string& text, MsgIcon icon,
                         MsgButtons buttons) = 0;
};

}  // namespace kv
