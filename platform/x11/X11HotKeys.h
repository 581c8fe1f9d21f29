#pragma once
// HotKeys on X11: a grab of Ctrl+Shift+key on the root window, also with NumLock and
// CapsLock held so the key works whatever the lock state. A grab another client holds
// fails with BadAccess; the variants that did succeed are then let go again. The grabs
// live on a connection of their own, whose events only this object reads.
#include <xcb/xcb.h>

#include <map>
#include <vector>

#include "platform/HotKeys.h"

namespace kv {

class CX11HotKeys final : public HotKeys {
 public:
  explicit CX11HotKeys(const char* displayName = nullptr);
  ~CX11HotKeys() override;
  CX11HotKeys(const CX11HotKeys&) = delete;
  CX11HotKeys& operator=(const CX11HotKeys&) = delete;

  bool Register(int id, uint32_t virtualKey) override;
  void Unregister(int id) override;
  int Descriptor() const override;
  std::vector<int> ReadPressed() override;

  // The X keysym of a virtual-key code we offer, 0 for any other.
  static uint32_t KeysymOf(uint32_t virtualKey);

 private:
  xcb_keycode_t KeycodeOf(uint32_t keysym);
  void Ungrab(xcb_keycode_t keycode);

  xcb_connection_t* m_pConnection = nullptr;
  xcb_window_t m_root = 0;
  std::map<int, xcb_keycode_t> m_registered;
};

}  // namespace kv
