// pen-peer: a stand-in for another pen program, for tests and for people who integrate
// pen software with the tray program.
//   pen-peer listen NAME      shows no window but owns one named NAME (class "PenPeer") and
//                             prints every message posted to it: "MESSAGE WPARAM LPARAM"
//   pen-peer settext CLASS TEXT   sets the text of the first window of that class
//   pen-peer text CLASS       prints the text of the first window of that class
#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/x11/X11WindowSystem.h"

namespace {

int Listen(const std::string& name) {
  kv::CX11WindowSystem windows;
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (!windows.Available() || !c || xcb_connection_has_error(c)) {
    std::fprintf(stderr, "pen-peer: no X display\n");
    return 1;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t window = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_flush(c);
  windows.SetWindowClass(window, "PenPeer");
  windows.SetWindowText(window, name);
  std::printf("ready %u\n", window);
  std::fflush(stdout);
  while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
    kv::WindowId target = 0;
    kv::PostedWindowMessage m;
    if (windows.DecodeMessage(event, &target, &m) && target == window) {
      std::printf("%u %llu %lld\n", m.m_uMessage, static_cast<unsigned long long>(m.m_uWParam),
                  static_cast<long long>(m.m_iLParam));
      std::fflush(stdout);
    }
    std::free(event);
  }
  xcb_disconnect(c);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "listen" && argc == 3) return Listen(argv[2]);
  kv::CX11WindowSystem windows;
  if (!windows.Available()) {
    std::fprintf(stderr, "pen-peer: no X display\n");
    return 1;
  }
  if ((verb == "settext" && argc == 4) || (verb == "text" && argc == 3)) {
    const std::string cls = argv[2];
    const kv::WindowId window = windows.FindWindow(&cls, nullptr);
    if (window == 0) {
      std::fprintf(stderr, "pen-peer: no window of class %s\n", argv[2]);
      return 2;
    }
    if (verb == "text") {
      std::printf("%s\n", windows.WindowText(window).c_str());
      return 0;
    }
    return windows.SetWindowText(window, argv[3]) ? 0 : 1;
  }
  std::fprintf(stderr, "usage: pen-peer listen NAME | settext CLASS TEXT | text CLASS\n");
  return 64;
}
