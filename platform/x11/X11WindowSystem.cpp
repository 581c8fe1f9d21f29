#include "platform/x11/X11WindowSystem.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace kv {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&free)>;

template <typename T>
Reply<T> Own(T* reply) {
  return Reply<T>(reply, &free);
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

CX11WindowSystem::CX11WindowSystem(const char* displayName) {
  int screen = 0;
  xcb_connection_t* c = xcb_connect(displayName, &screen);
  if (c == nullptr || xcb_connection_has_error(c)) {
    if (c) xcb_disconnect(c);
    return;
  }
  m_pConnection = c;
  auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screen && it.rem; ++i) xcb_screen_next(&it);
  m_root = it.data->root;
  m_messageAtom = Atom(MESSAGE_ATOM);
}

CX11WindowSystem::~CX11WindowSystem() {
  if (m_pConnection) xcb_disconnect(m_pConnection);
}

xcb_atom_t CX11WindowSystem::Atom(const char* name) {
  auto cookie = xcb_intern_atom(m_pConnection, 0, static_cast<uint16_t>(std::strlen(name)), name);
  auto reply = Own(xcb_intern_atom_reply(m_pConnection, cookie, nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string CX11WindowSystem::TextProperty(xcb_window_t window, xcb_atom_t property) {
  // Texts longer than 64 KiB are cut: no window name of interest comes near that.
  auto cookie = xcb_get_property(m_pConnection, 0, window, property,
                                 XCB_GET_PROPERTY_TYPE_ANY, 0, 16384);
  auto reply = Own(xcb_get_property_reply(m_pConnection, cookie, nullptr));
  if (!reply || reply->format != 8) return {};
  int length = xcb_get_property_value_length(reply.get());
  if (length <= 0) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<size_t>(length));
}

std::string CX11WindowSystem::ClassOf(xcb_window_t window) {
  // WM_CLASS holds "instance\0class\0".
  std::string both = TextProperty(window, XCB_ATOM_WM_CLASS);
  size_t zero = both.find('\0');
  if (zero == std::string::npos) return {};
  std::string cls = both.substr(zero + 1);
  size_t end = cls.find('\0');
  return end == std::string::npos ? cls : cls.substr(0, end);
}

std::vector<xcb_window_t> CX11WindowSystem::TopLevelWindows() {
  std::vector<xcb_window_t> windows;
  auto children = [&](xcb_window_t parent) {
    std::vector<xcb_window_t> list;
    auto tree = Own(xcb_query_tree_reply(m_pConnection, xcb_query_tree(m_pConnection, parent), nullptr));
    if (!tree) return list;
    const xcb_window_t* kids = xcb_query_tree_children(tree.get());
    list.assign(kids, kids + xcb_query_tree_children_length(tree.get()));
    return list;
  };
  for (xcb_window_t top : children(m_root)) {
    windows.push_back(top);
    for (xcb_window_t inner : children(top)) windows.push_back(inner);
  }
  return windows;
}

WindowId CX11WindowSystem::FindWindow(const std::string* className, const std::string* name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_pConnection) return 0;
  xcb_atom_t netWmName = Atom("_NET_WM_NAME");
  for (xcb_window_t w : TopLevelWindows()) {
    if (className && !SameText(ClassOf(w), *className)) continue;
    if (name) {
      std::string text = TextProperty(w, netWmName);
      if (text.empty()) text = TextProperty(w, XCB_ATOM_WM_NAME);
      if (!SameText(text, *name)) continue;
    }
    return w;
  }
  return 0;
}

std::vector<WindowId> CX11WindowSystem::WindowsOfProcess(uint32_t processId) {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<WindowId> found;
  if (!m_pConnection) return found;
  xcb_atom_t pidAtom = Atom("_NET_WM_PID");
  for (xcb_window_t w : TopLevelWindows()) {
    auto cookie = xcb_get_property(m_pConnection, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1);
    auto reply = Own(xcb_get_property_reply(m_pConnection, cookie, nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) continue;
    uint32_t pid;
    std::memcpy(&pid, xcb_get_property_value(reply.get()), sizeof pid);
    if (pid == processId) found.push_back(w);
  }
  return found;
}

bool CX11WindowSystem::SetForeground(WindowId window) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_pConnection || window == 0) return false;
  auto w = static_cast<xcb_window_t>(window);
  // Ask the window manager (if any) to activate it, and raise it ourselves for when
  // there is none.
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = w;
  ev.type = Atom("_NET_ACTIVE_WINDOW");
  ev.data.data32[0] = 2;  // source: a pager, which window managers always obey
  xcb_send_event(m_pConnection, 0, m_root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&ev));
  const uint32_t above = XCB_STACK_MODE_ABOVE;
  auto cookie = xcb_configure_window_checked(m_pConnection, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
  auto error = Own(xcb_request_check(m_pConnection, cookie));
  return !error;
}

bool CX11WindowSystem::PostMessage(WindowId window, uint32_t message, uint64_t wParam,
                                   int64_t lParam) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_pConnection || window == 0) return false;
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = static_cast<xcb_window_t>(window);
  ev.type = m_messageAtom;
  const auto l = static_cast<uint64_t>(lParam);
  ev.data.data32[0] = message;
  ev.data.data32[1] = static_cast<uint32_t>(wParam);
  ev.data.data32[2] = static_cast<uint32_t>(wParam >> 32);
  ev.data.data32[3] = static_cast<uint32_t>(l);
  ev.data.data32[4] = static_cast<uint32_t>(l >> 32);
  auto cookie = xcb_send_event_checked(m_pConnection, 0, ev.window, XCB_EVENT_MASK_NO_EVENT,
                                       reinterpret_cast<const char*>(&ev));
  auto error = Own(xcb_request_check(m_pConnection, cookie));
  return !error;
}

bool CX11WindowSystem::DecodeMessage(const void* event, WindowId* window,
                                     PostedWindowMessage* message) {
  const auto* generic = static_cast<const xcb_generic_event_t*>(event);
  if ((generic->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
  const auto* ev = static_cast<const xcb_client_message_event_t*>(event);
  if (ev->type != m_messageAtom || ev->format != 32) return false;
  *window = ev->window;
  message->m_uMessage = ev->data.data32[0];
  message->m_uWParam = ev->data.data32[1] | (static_cast<uint64_t>(ev->data.data32[2]) << 32);
  message->m_iLParam = static_cast<int64_t>(ev->data.data32[3] |
                                            (static_cast<uint64_t>(ev->data.data32[4]) << 32));
  return true;
}

std::string CX11WindowSystem::WindowText(WindowId window) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_pConnection || window == 0) return {};
  auto w = static_cast<xcb_window_t>(window);
  std::string text = TextProperty(w, Atom("_NET_WM_NAME"));
  return text.empty() ? TextProperty(w, XCB_ATOM_WM_NAME) : text;
}

bool CX11WindowSystem::SetWindowText(WindowId window, const std::string& text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_pConnection || window == 0) return false;
  auto w = static_cast<xcb_window_t>(window);
  const auto length = static_cast<uint32_t>(text.size());
  xcb_change_property(m_pConnection, XCB_PROP_MODE_REPLACE, w, Atom("_NET_WM_NAME"),
                      Atom("UTF8_STRING"), 8, length, text.data());
  auto cookie = xcb_change_property_checked(m_pConnection, XCB_PROP_MODE_REPLACE, w,
                                            XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, length,
                                            text.data());
  auto error = Own(xcb_request_check(m_pConnection, cookie));
  return !error;
}

bool CX11WindowSystem::SetWindowClass(WindowId window, const std::string& className) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_pConnection || window == 0) return false;
  std::string both = className + '\0' + className + '\0';
  auto cookie = xcb_change_property_checked(
      m_pConnection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window), XCB_ATOM_WM_CLASS,
      XCB_ATOM_STRING, 8, static_cast<uint32_t>(both.size()), both.data());
  auto error = Own(xcb_request_check(m_pConnection, cookie));
  return !error;
}

}  // namespace kv
