#pragma once
// WindowSystem on X11 (xcb): top-level windows are the root's children and, under a
// window manager, the client windows one level down in their frames. Classes are the class
// part of WM_CLASS, names _NET_WM_NAME (or WM_NAME), both compared without regard to case
// as FindWindowA does; a window's process is its _NET_WM_PID.
#include <xcb/xcb.h>

#include <mutex>

#include "platform/WindowSystem.h"

namespace kv {

// A posted message as it travels: a ClientMessage of type KV_WINDOW_MESSAGE, format 32.
struct PostedWindowMessage {
  uint32_t m_uMessage = 0;
  uint64_t m_uWParam = 0;
  int64_t m_iLParam = 0;
};

class CX11WindowSystem final : public WindowSystem {
 public:
  static constexpr const char* MESSAGE_ATOM = "KV_WINDOW_MESSAGE";

  // displayName null: $DISPLAY.
  explicit CX11WindowSystem(const char* displayName = nullptr);
  ~CX11WindowSystem() override;
  CX11WindowSystem(const CX11WindowSystem&) = delete;
  CX11WindowSystem& operator=(const CX11WindowSystem&) = delete;

  bool Available() override { return m_pConnection != nullptr; }
  WindowId FindWindow(const std::string* className, const std::string* name) override;
  std::vector<WindowId> WindowsOfProcess(uint32_t processId) override;
  bool SetForeground(WindowId window) override;
  bool PostMessage(WindowId window, uint32_t message, uint64_t wParam, int64_t lParam) override;
  std::string WindowText(WindowId window) override;
  bool SetWindowText(WindowId window, const std::string& text) override;
  bool SetWindowClass(WindowId window, const std::string& className) override;

  // A ClientMessage event of ours decoded; false for any other event. `event` is an
  // xcb_generic_event_t as a native event filter receives it.
  bool DecodeMessage(const void* event, WindowId* window, PostedWindowMessage* message);

 private:
  xcb_atom_t Atom(const char* name);
  std::string TextProperty(xcb_window_t window, xcb_atom_t property);
  std::vector<xcb_window_t> TopLevelWindows();
  std::string ClassOf(xcb_window_t window);

  std::mutex m_mutex;
  xcb_connection_t* m_pConnection = nullptr;
  xcb_window_t m_root = 0;
  xcb_atom_t m_messageAtom = 0;
};

}  // namespace kv
