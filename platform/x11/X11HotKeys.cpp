#include "platform/x11/X11HotKeys.h"

#include <cstdlib>
#include <memory>

namespace kv {

namespace {

// Ctrl+Shift, alone and with CapsLock (Lock) and NumLock (Mod2) in every combination.
constexpr uint16_t kBase = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
constexpr uint16_t kVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                  XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

}  // namespace

CX11HotKeys::CX11HotKeys(const char* displayName) {
  xcb_connection_t* c = xcb_connect(displayName, nullptr);
  if (!c || xcb_connection_has_error(c)) {
    if (c) xcb_disconnect(c);
    return;
  }
  m_pConnection = c;
  m_root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

CX11HotKeys::~CX11HotKeys() {
  if (!m_pConnection) return;
  for (const auto& [id, keycode] : m_registered) Ungrab(keycode);
  xcb_disconnect(m_pConnection);
}

uint32_t CX11HotKeys::KeysymOf(uint32_t vk) {
  if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 'a';  // Latin keysyms are the lower case
  if (vk >= '0' && vk <= '9') return vk;
  if (vk >= 112 && vk <= 123) return 0xFFBE + (vk - 112);  // XK_F1..XK_F12
  return 0;
}

xcb_keycode_t CX11HotKeys::KeycodeOf(uint32_t keysym) {
  const xcb_setup_t* setup = xcb_get_setup(m_pConnection);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  auto cookie = xcb_get_keyboard_mapping(m_pConnection, setup->min_keycode, static_cast<uint8_t>(count));
  std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&free)> r(
      xcb_get_keyboard_mapping_reply(m_pConnection, cookie, nullptr), &free);
  if (!r || r->keysyms_per_keycode == 0) return 0;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r.get());
  const int total = xcb_get_keyboard_mapping_keysyms_length(r.get());
  for (int i = 0; i < total; ++i)
    if (syms[i] == keysym) return static_cast<xcb_keycode_t>(setup->min_keycode + i / r->keysyms_per_keycode);
  return 0;
}

void CX11HotKeys::Ungrab(xcb_keycode_t keycode) {
  for (uint16_t v : kVariants) xcb_ungrab_key(m_pConnection, keycode, m_root, kBase | v);
  xcb_flush(m_pConnection);
}

bool CX11HotKeys::Register(int id, uint32_t virtualKey) {
  if (!m_pConnection || m_registered.count(id)) return false;
  const uint32_t keysym = KeysymOf(virtualKey);
  const xcb_keycode_t keycode = keysym ? KeycodeOf(keysym) : 0;
  if (keycode == 0) return false;
  bool taken = false;
  for (uint16_t v : kVariants) {
    auto cookie = xcb_grab_key_checked(m_pConnection, 1, m_root, kBase | v, keycode,
                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    std::unique_ptr<xcb_generic_error_t, decltype(&free)> error(xcb_request_check(m_pConnection, cookie), &free);
    if (error) taken = true;  // BadAccess: another program holds it
  }
  if (taken) {
    Ungrab(keycode);
    return false;
  }
  m_registered[id] = keycode;
  return true;
}

void CX11HotKeys::Unregister(int id) {
  auto it = m_registered.find(id);
  if (it == m_registered.end() || !m_pConnection) return;
  const xcb_keycode_t keycode = it->second;
  m_registered.erase(it);
  // Two ids never share a key, but be sure before letting the grab go.
  for (const auto& [other, code] : m_registered)
    if (code == keycode) return;
  Ungrab(keycode);
}

int CX11HotKeys::Descriptor() const {
  return m_pConnection ? xcb_get_file_descriptor(m_pConnection) : -1;
}

std::vector<int> CX11HotKeys::ReadPressed() {
  std::vector<int> pressed;
  if (!m_pConnection) return pressed;
  while (xcb_generic_event_t* event = xcb_poll_for_event(m_pConnection)) {
    if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
      const auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
      if ((key->state & kBase) == kBase)
        for (const auto& [id, keycode] : m_registered)
          if (keycode == key->detail) pressed.push_back(id);
    }
    free(event);
  }
  return pressed;
}

}  // namespace kv
