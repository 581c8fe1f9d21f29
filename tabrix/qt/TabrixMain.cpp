// tabrix: the per-user tray program. main, above all of its areas, only wires the system's backends into the
// application object and hands control to its start-up and message loop.
#include <unistd.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

#include "platform/HidBus.h"
#include "platform/SystemLanguage.h"
#include "platform/posix/FileSystemParameters.h"
#include "platform/posix/PosixProcessLauncher.h"
#include "platform/posix/RegistryServiceControl.h"
#include "platform/posix/SqliteRegistry.h"
#include "platform/qt/QtBeeper.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/x11/X11HotKeys.h"
#include "platform/x11/X11WindowSystem.h"
#include "tabrix/app/AppShell.h"
#include "tabrix/app/CalibrationWnd.h"
#include "tabrix/app/StartupSequence.h"
#include "tabrix/ui/qt/QtAppViews.h"
#include "tabrix/app/qt/StopSignalNotifier.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "TabrixVersionRecord.h"

namespace {

// The Windows version the program behaves as: the newest generation, or KV_OSTYPE.
int32_t OsType() {
  const char* text = std::getenv("KV_OSTYPE");
  if (!text || !*text) return 16;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  return (*end == '\0' && value >= 0 && value <= 16) ? static_cast<int32_t>(value) : 16;
}

// The desktop is X11 (XWayland on a Wayland session); with no display at all (an
// installer's switch run) the program runs without showing anything.
void ChoosePlatform() {
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  if (qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  else
    qputenv("QT_QPA_PLATFORM", "xcb");
}

kv::CVersionResource VersionRecord() {
  return kv::CVersionResource(std::map<std::string, std::string>{
      {"ProductName", KV_PRODUCT_NAME},
      {"ProductVersion", KV_PRODUCT_VERSION},
      {"LegalCopyright", KV_LEGAL_COPYRIGHT}});
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kv;
  const std::string arguments = CCommandLineSwitch::ArgumentText(argc, argv);
  ChoosePlatform();
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  const CPaths paths = CPaths::FromEnvironment();
  CSystemClock clock;
  CSqliteRegistry registry(paths);
  CFileSystemParameters parameters(paths);
  CPipeClientTransport pipes(paths);
  std::unique_ptr<HidBus> hid = CreateHidBus(paths);
  CQtDisplay display;
  CQtMessageBoxes boxes;
  CPosixProcessLauncher processes;
  CRegistryServiceControl services(paths, registry);
  // Without a display the connection fails and every window look-up finds nothing.
  CX11WindowSystem windows;
  CQtBeeper beeper;
  CX11HotKeys hotKeys;
  const CVersionResource version = VersionRecord();
  AppServices system{paths,     CPaths::ProgramDirectory(),
                     clock,     registry,
                     parameters, pipes,
                     *hid,      display,
                     boxes,     processes,
                     services,  windows,
                     beeper,    hotKeys, version,
                     static_cast<uint32_t>(getpid()), OsType(),
                     CSystemLanguage::DefaultUiLanguage()};

  CAppShell shell(system);
  CQtAppViews views(shell, windows.Available() ? &windows : nullptr);
  CCalibrationWnd window(shell, views);
  CStartupSequence startup(shell, views, window);
  CStopSignalNotifier stop(shell.m_bStopRequested, [&window] { window.OnClose(); });
  int code = 0;
  if (startup.InitInstance(arguments) && !shell.m_bStopRequested) code = QApplication::exec();
  window.OnClose();
  views.DestroyWindows();
  startup.ExitInstance();
  return code;
}
