#include "tests/support/DesktopSession.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

extern char** environ;

namespace kv::test {

namespace {

using Clock = std::chrono::steady_clock;

// Polls `ready` every 10 ms until it holds or the time is up.
template <typename F>
bool WaitUntil(int timeoutMs, F ready) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (ready()) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

pid_t Spawn(const std::vector<std::string>& args, int quietFd = -1) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quietFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, quietFd, 1);
    posix_spawn_file_actions_adddup2(&actions, quietFd, 2);
  }
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Runs a program to its end; its exit status, -1 when it could not run or was killed.
int RunArgs(const std::vector<std::string>& args) {
  pid_t pid = Spawn(args);
  if (pid <= 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void StopChild(pid_t* pid) {
  if (*pid <= 0) return;
  kill(*pid, SIGTERM);
  int status = 0;
  bool gone = WaitUntil(5000, [&] { return waitpid(*pid, &status, WNOHANG) == *pid; });
  if (!gone) {
    kill(*pid, SIGKILL);
    waitpid(*pid, &status, 0);
  }
  *pid = -1;
}

struct XcbDeleter {
  void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, XcbDeleter>;

Connection Connect(const std::string& display) {
  Connection c(xcb_connect(display.c_str(), nullptr));
  if (c && xcb_connection_has_error(c.get())) c.reset();
  return c;
}

xcb_window_t Root(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name);
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> r(xcb_intern_atom_reply(c, cookie, nullptr), &free);
  return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string TextProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property) {
  auto cookie = xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
  std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> r(xcb_get_property_reply(c, cookie, nullptr), &free);
  if (!r || r->format != 8) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                     static_cast<size_t>(xcb_get_property_value_length(r.get())));
}

std::string WindowName(xcb_connection_t* c, xcb_window_t w, xcb_atom_t netWmName) {
  std::string name = TextProperty(c, w, netWmName);
  return name.empty() ? TextProperty(c, w, XCB_ATOM_WM_NAME) : name;
}

std::vector<xcb_window_t> Children(xcb_connection_t* c, xcb_window_t w) {
  std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> r(
      xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr), &free);
  if (!r) return {};
  const xcb_window_t* kids = xcb_query_tree_children(r.get());
  return std::vector<xcb_window_t>(kids, kids + xcb_query_tree_children_length(r.get()));
}

bool Viewable(xcb_connection_t* c, xcb_window_t w) {
  std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> r(
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr), &free);
  return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

}  // namespace

CDesktopSession::CDesktopSession(int width, int height, bool trayHost) {
  if (const char* d = std::getenv("DISPLAY")) {
    m_bHadDisplay = true;
    m_sPreviousDisplay = d;
  }
  // A tray host that cannot reach a server that says it is up (seen on a loaded machine
  // with several servers starting at once) gets a fresh server on another number.
  for (int attempt = 0; attempt < 4 && !m_bOk; ++attempt) {
    m_bOk = StartServer(width, height) && (!trayHost || StartTrayHost());
    if (!m_bOk) StopChild(&m_serverPid);
  }
}

CDesktopSession::~CDesktopSession() {
  StopChild(&m_trayPid);
  StopChild(&m_serverPid);
  if (m_bHadDisplay)
    setenv("DISPLAY", m_sPreviousDisplay.c_str(), 1);
  else
    unsetenv("DISPLAY");
}

bool CDesktopSession::StartServer(int width, int height) {
  // Display numbers from one that depends on the process, so that tests running side by
  // side (and other X servers of the machine) rarely meet; a taken number makes Xvfb end
  // at once and the next one is tried.
  if (m_iNextNumber == 0) m_iNextNumber = 100 + static_cast<int>(getpid() % 800);
  for (int tries = 0; tries < 40; ++tries) {
    const int n = m_iNextNumber++;
    const std::string number = std::to_string(n);
    if (access(("/tmp/.X" + number + "-lock").c_str(), F_OK) == 0 ||
        access(("/tmp/.X11-unix/X" + number).c_str(), F_OK) == 0)
      continue;
    if (StartServerOn(number, width, height)) return true;
  }
  return false;
}

bool CDesktopSession::StartServerOn(const std::string& number, int width, int height) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);  // only the write end goes to Xvfb
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  m_serverPid = Spawn({"Xvfb", ":" + number, "-displayfd", std::to_string(fds[1]), "-screen",
                       "0", screen, "-nolisten", "tcp", "+extension", "RANDR"},
                      devNull);
  close(fds[1]);
  if (devNull >= 0) close(devNull);
  std::string answer;
  if (m_serverPid > 0) {
    // Xvfb writes the display number once it accepts clients; it ends without a word when
    // the number is taken.
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') answer += c;
  }
  close(fds[0]);
  if (answer != number) {
    StopChild(&m_serverPid);
    return false;
  }
  m_sDisplay = ":" + number;
  setenv("DISPLAY", m_sDisplay.c_str(), 1);
  return static_cast<bool>(Connect(m_sDisplay));
}

bool CDesktopSession::StartTrayHost() {
  // trayer ends at once when its output is not a terminal or pipe it inherited; it prints
  // nothing while it works, so it keeps the test's.
  // On a loaded machine it may also fail to reach a server that has only just come up:
  // start it again until it holds the tray.
  for (int attempt = 0; attempt < 4; ++attempt) {
    m_trayPid = Spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                       "--height", "32", "--iconspacing", "4", "--SetDockType", "true",
                       "--transparent", "false", "--tint", "0xc0c0c0"});
    if (m_trayPid <= 0) return false;
    int status = 0;
    bool ended = false;
    if (WaitUntil(10000, [&] {
          ended = waitpid(m_trayPid, &status, WNOHANG) == m_trayPid;
          return ended || TrayOwned();
        }) && !ended)
      return true;
    if (!ended) StopChild(&m_trayPid);
    m_trayPid = -1;
    // What keeps it from the server has been seen to pass within a second or two.
    std::this_thread::sleep_for(std::chrono::milliseconds(400 * (attempt + 1)));
  }
  return false;
}

bool CDesktopSession::TrayOwned() { return TrayWindow() != 0; }

unsigned long CDesktopSession::TrayWindow() {
  Connection c = Connect(m_sDisplay);
  if (!c) return 0;
  xcb_atom_t selection = Atom(c.get(), "_NET_SYSTEM_TRAY_S0");
  std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&free)> r(
      xcb_get_selection_owner_reply(c.get(), xcb_get_selection_owner(c.get(), selection), nullptr),
      &free);
  return r ? r->owner : 0;
}

std::vector<unsigned long> CDesktopSession::Windows(const std::string& title, bool shownOnly) {
  std::vector<unsigned long> found;
  Connection c = Connect(m_sDisplay);
  if (!c) return found;
  xcb_atom_t netWmName = Atom(c.get(), "_NET_WM_NAME");
  for (xcb_window_t top : Children(c.get(), Root(c.get()))) {
    // Under a window manager the program's window sits one level down, in its frame.
    std::vector<xcb_window_t> candidates{top};
    for (xcb_window_t child : Children(c.get(), top)) candidates.push_back(child);
    for (xcb_window_t w : candidates) {
      if (WindowName(c.get(), w, netWmName) != title) continue;
      if (shownOnly && !Viewable(c.get(), w)) continue;
      found.push_back(w);
    }
  }
  return found;
}

std::vector<unsigned long> CDesktopSession::FindWindows(const std::string& title) {
  return Windows(title, false);
}

unsigned long CDesktopSession::WaitForWindow(const std::string& title, int timeoutMs) {
  unsigned long window = 0;
  WaitUntil(timeoutMs, [&] {
    auto all = Windows(title, false);
    window = all.empty() ? 0 : all.front();
    return window != 0;
  });
  return window;
}

unsigned long CDesktopSession::WaitForShownWindow(const std::string& title, int timeoutMs) {
  unsigned long window = 0;
  WaitUntil(timeoutMs, [&] {
    auto all = Windows(title, true);
    window = all.empty() ? 0 : all.front();
    return window != 0;
  });
  return window;
}

bool CDesktopSession::WaitForNoWindow(const std::string& title, int timeoutMs) {
  return WaitUntil(timeoutMs, [&] { return Windows(title, true).empty(); });
}

bool CDesktopSession::Geometry(unsigned long window, int* x, int* y, int* width, int* height) {
  Connection c = Connect(m_sDisplay);
  if (!c) return false;
  auto w = static_cast<xcb_window_t>(window);
  std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> g(
      xcb_get_geometry_reply(c.get(), xcb_get_geometry(c.get(), w), nullptr), &free);
  if (!g) return false;
  std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&free)> t(
      xcb_translate_coordinates_reply(
          c.get(), xcb_translate_coordinates(c.get(), w, Root(c.get()), 0, 0), nullptr),
      &free);
  if (!t) return false;
  *x = t->dst_x;
  *y = t->dst_y;
  *width = g->width;
  *height = g->height;
  return true;
}

unsigned long CDesktopSession::WaitForPopup(int minWidth, int minHeight, int timeoutMs) {
  unsigned long found = 0;
  WaitUntil(timeoutMs, [&] {
    Connection c = Connect(m_sDisplay);
    if (!c) return false;
    for (xcb_window_t w : Children(c.get(), Root(c.get()))) {
      std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> a(
          xcb_get_window_attributes_reply(c.get(), xcb_get_window_attributes(c.get(), w), nullptr),
          &free);
      if (!a || !a->override_redirect || a->map_state != XCB_MAP_STATE_VIEWABLE) continue;
      int x, y, width, height;
      if (Geometry(w, &x, &y, &width, &height) && width >= minWidth && height >= minHeight) {
        found = w;
        return true;
      }
    }
    return false;
  });
  return found;
}

bool CDesktopSession::IsShown(unsigned long window) {
  Connection c = Connect(m_sDisplay);
  return c && Viewable(c.get(), static_cast<xcb_window_t>(window));
}

int CDesktopSession::Run(const std::string& commandLine) {
  return RunArgs({"sh", "-c", commandLine});
}

bool CDesktopSession::Key(const std::string& keys) {
  return RunArgs({"xdotool", "key", "--clearmodifiers", keys}) == 0;
}

bool CDesktopSession::KeyTo(unsigned long window, const std::string& keys) {
  const std::string id = std::to_string(window);
  return RunArgs({"xdotool", "windowfocus", "--sync", id, "key", "--clearmodifiers", keys}) == 0;
}

std::vector<unsigned long> CDesktopSession::TrayIcons() {
  std::vector<unsigned long> icons;
  Connection c = Connect(m_sDisplay);
  if (!c || m_trayPid <= 0) return icons;
  // trayer's panel (WM_CLASS "panel", "trayer") holds one socket window per icon, the
  // program's icon window inside it.
  for (xcb_window_t top : Children(c.get(), Root(c.get()))) {
    if (TextProperty(c.get(), top, XCB_ATOM_WM_CLASS) != std::string("panel\0trayer\0", 13))
      continue;
    for (xcb_window_t socket : Children(c.get(), top))
      for (xcb_window_t icon : Children(c.get(), socket))
        if (Viewable(c.get(), icon)) icons.push_back(icon);
  }
  return icons;
}

bool CDesktopSession::Type(const std::string& text) {
  return RunArgs({"xdotool", "type", "--", text}) == 0;
}

bool CDesktopSession::Click(int x, int y, int button) {
  return RunArgs({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y),
                  "click", std::to_string(button)}) == 0;
}

bool CDesktopSession::Screenshot(const std::string& pngPath) {
  return RunArgs({"import", "-window", "root", pngPath}) == 0;
}

}  // namespace kv::test
