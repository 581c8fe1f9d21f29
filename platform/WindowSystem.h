#pragma once
// Top-level windows of the desktop as other programs see them (FindWindowA, EnumWindows,
// GetWindowThreadProcessId, SetForegroundWindow, PostMessageA, window texts). X11 backend:
// platform/posix/X11WindowSystem; a posted message travels as a ClientMessage of type
// KV_WINDOW_MESSAGE carrying the message number and its two parameters.
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

using WindowId = uint64_t;  // 0: none

inline constexpr uint32_t WINDOW_MESSAGE_CLOSE = 0x0010;  // WM_CLOSE
inline constexpr uint32_t WINDOW_MESSAGE_USER = 0x0400;   // WM_USER

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // False when there is no desktop to talk to.
  virtual bool Available() = 0;
  // The first top-level window with that class and name; a null pointer matches any.
  virtual WindowId FindWindow(const std::string* className, const std::string* name) = 0;
  // Every top-level window a process owns.
  virtual std::vector<WindowId> WindowsOfProcess(uint32_t processId) = 0;
  virtual bool SetForeground(WindowId window) = 0;
  virtual bool PostMessage(WindowId window, uint32_t message, uint64_t wParam,
                           int64_t lParam) = 0;
  virtual std::string WindowText(WindowId window) = 0;
  virtual bool SetWindowText(WindowId window, const std::string& text) = 0;
  // The class other programs find the window by (RegisterClass name).
  virtual bool SetWindowClass(WindowId window, const std::string& className) = 0;
};

}  // namespace kv
