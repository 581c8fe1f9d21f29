#include "optrim/ui/qt/TevraApp.h"

#include <cstdio>

#include "optrim/device/BroadCaster.h"
#include "optrim/ui/OptrimStrings.h"
#include "optrim/ui/TevraStart.h"
#include "optrim/ui/qt/MainDlg.h"
#include "optrim/ui/qt/OptrimContext.h"
#include "optrim/ui/qt/QtMessageBoxHost.h"
#include "platform/Clock.h"
#include "platform/HidBus.h"
#include "platform/Paths.h"

namespace kv {

namespace {

// Diagnostic traces (the debugger output of the tool) go to standard error, a line each.
void Trace(const std::string& line) {
  std::fprintf(stderr, "optrim: %s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace

CTevraApp::CTevraApp(int& argc, char** argv) : QApplication(argc, argv) {}

int CTevraApp::Run(const std::vector<std::string>& args) {
  const CStringTable strings = CStringTable::BuiltIn("optrim");
  CQtMessageBoxHost boxes;
  CTevraStart start(args, CPaths::ProgramDirectory());
  const CPaths paths = CPaths::FromEnvironment();
  if (!start.AcquireInstance(paths)) {
    Trace("another instance runs");
    boxes.Show(strings.Get(optrim_str::APP_CAPTION), strings.Get(optrim_str::ALREADY_RUNS),
               MSG_ICON_WARNING, MSG_BUTTONS_OK);
    return 0;
  }
  setQuitOnLastWindowClosed(false);  // the program ends through the main dialog only
  CSystemClock clock;
  std::unique_ptr<HidBus> bus = CreateHidBus(paths);
  CBroadCaster broadcaster;
  OptrimContext context{strings, clock, *bus, broadcaster, boxes, start.Args().startSwitch,
                        start.Args().rotation, start.SettingsPath(),
                        start.ConnectFailureCaption(strings), Trace};
  Trace("settings " + context.settingsPath + (context.startSwitch.empty() ? "" : " " + context.startSwitch));
  int rc = 0;
  {
    CMainDlg main(context);
    main.Start();
    rc = exec();
  }
  start.ReleaseInstance();
  Trace("ended");
  return rc;
}

}  // namespace kv
