#pragma once
// Message boxes (MessageBoxA): a text, a caption, the buttons and icon as flags, and the
// button the user pressed. The desktop backend is platform/qt/QtMessageBoxes; tests answer
// through its "next answer" hook or hand in their own.
#include <cstdint>
#include <string>

namespace kv {

// The MB_* flags and ID* results keep their Windows values: they are what the callers
// were written against. Named apart from the Windows macros so both can meet in one file.
enum MessageBoxFlag : uint32_t {
  MBF_OK = 0x0,
  MBF_YES_NO = 0x4,
  MBF_ICON_HAND = 0x10,         // stop sign: refusals
  MBF_ICON_QUESTION = 0x20,     // questions
  MBF_ICON_EXCLAMATION = 0x30,  // warnings
  MBF_ICON_ASTERISK = 0x40,     // information
  MBF_DEFAULT_BUTTON_2 = 0x100,  // No is the default of a Yes/No question
  MBF_SET_FOREGROUND = 0x10000,
  MBF_TOPMOST = 0x40000,
};

enum MessageBoxResult : int {
  MBR_NONE = 0,  // no box could be shown
  MBR_OK = 1,
  MBR_CANCEL = 2,
  MBR_YES = 6,
  MBR_NO = 7,
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Modal; returns the button pressed (MBR_*).
  virtual int Show(const std::string& text, const std::string& caption, uint32_t flags) = 0;
};

}  // namespace kv
