#pragma once
// A real X server for whole-program desktop tests: Xvfb on a free display number, an
// XEmbed tray host (trayer) when asked, and the hands and eyes of a person at it (xdotool
// for keys and clicks, ImageMagick's import for a screenshot). DISPLAY is set in this
// process's environment, so programs the test starts show up on it. Everything it started
// is gone when the object is.
#include <sys/types.h>

#include <string>
#include <vector>

namespace kv::test {

class CDesktopSession {
 public:
  // Xvfb cannot grow its screen later: start at the largest size the test needs.
  explicit CDesktopSession(int width = 1920, int height = 1080, bool trayHost = true);
  ~CDesktopSession();
  CDesktopSession(const CDesktopSession&) = delete;
  CDesktopSession& operator=(const CDesktopSession&) = delete;

  // The X server answers (and the tray host owns the tray selection when asked).
  bool Ok() const { return m_bOk; }
  const std::string& Display() const { return m_sDisplay; }

  // A top-level window (or a window one level below, under a window manager's frame)
  // whose name is exactly `title`; its X window id, or 0 after timeoutMs.
  unsigned long WaitForWindow(const std::string& title, int timeoutMs);
  // Also counts only windows that are mapped (shown).
  unsigned long WaitForShownWindow(const std::string& title, int timeoutMs);
  bool WaitForNoWindow(const std::string& title, int timeoutMs);
  // Ids of every top-level window of that name, shown or not.
  std::vector<unsigned long> FindWindows(const std::string& title);
  // Position and size of a window on the screen; false when it is gone.
  bool Geometry(unsigned long window, int* x, int* y, int* width, int* height);
  bool IsShown(unsigned long window);
  // A shown pop-up (a menu: a top-level window the window manager is told to leave alone)
  // of at least that size; its id, or 0 after timeoutMs.
  unsigned long WaitForPopup(int minWidth, int minHeight, int timeoutMs);
  // The window that holds the XEmbed tray icons (trayer's), or 0.
  unsigned long TrayWindow();

  // xdotool key syntax: "ctrl+shift+c", "Return", "y".
  bool Key(const std::string& keys);
  // Gives the window the keyboard focus first (there is no window manager to do it).
  bool KeyTo(unsigned long window, const std::string& keys);
  // The windows docked in the tray host (one per tray icon).
  std::vector<unsigned long> TrayIcons();
  bool Type(const std::string& text);
  // Absolute screen coordinates.
  bool Click(int x, int y, int button = 1);
  bool Screenshot(const std::string& pngPath);
  // Runs a command line with DISPLAY set; its exit status (0 = success).
  int Run(const std::string& commandLine);

 private:
  bool StartServer(int width, int height);
  bool StartServerOn(const std::string& number, int width, int height);
  bool StartTrayHost();
  bool TrayOwned();
  std::vector<unsigned long> Windows(const std::string& title, bool shownOnly);

  bool m_bOk = false;
  std::string m_sDisplay;
  pid_t m_serverPid = -1;
  int m_iNextNumber = 0;  // the next display number to try
  pid_t m_trayPid = -1;
  std::string m_sPreviousDisplay;
  bool m_bHadDisplay = false;
};

}  // namespace kv::test
