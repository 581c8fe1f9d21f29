// pansvc.exe: the touch panel service on Windows. "-Install" / "-UnInstall" (after '-' or
// '/', any case) register and remove it with the service control manager; anything else
// runs the pipe bridge, on the manager's dispatcher when it started us and the AppID names
// the service, as an ordinary process otherwise (Ctrl+C is then the stop control).
#include <cstdlib>
#include <iostream>

#include "platform/DeviceEndpointIo.h"
#include "platform/EventLog.h"
#include "platform/Paths.h"
#include "platform/ServiceStatusReporter.h"
#include "platform/win32/DeviceControlIo.h"
#include "platform/win32/ServiceDispatcher.h"
#include "platform/win32/Win32Registry.h"
#include "resources/StringTable.h"
#include "service/ServiceCommandLine.h"
#include "service/ServiceModule.h"
#include "service/ServiceNames.h"
#include "service/win32/ScmInstaller.h"

// After our names: <windows.h> defines some of them (SERVICE_CONTROL_STOP, ...) as macros
// of the same values.
#include <windows.h>

namespace {

kv::CServiceModule* g_pConsoleModule = nullptr;  // the console handler has no context

BOOL WINAPI ConsoleHandler(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  // winsvc.h's macro, of the same value as ours.
  if (g_pConsoleModule) g_pConsoleModule->Control(SERVICE_CONTROL_STOP);
  return TRUE;
}

std::string ModulePath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return (n == 0 || n >= MAX_PATH) ? std::string() : std::string(path, n);
}

// The driver's own device, or its stand-in's pipe in a build made for testing without the
// kernel driver (Wine cannot load one).
std::unique_ptr<kv::DeviceIo> MakeDeviceIo(const kv::CPaths& paths) {
#ifdef KV_DRIVER_STANDIN
  return std::make_unique<kv::CDeviceEndpointIo>(paths);
#else
  (void)paths;
  return std::make_unique<kv::CDeviceControlIo>();
#endif
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kv;
  ServiceCommandLine cmd = ServiceCommandLine::Parse({argv + 1, argv + argc});
  CPaths paths = CPaths::FromEnvironment();
  CStringTable strings = CStringTable::BuiltIn("pansvc");
  CWin32Registry registry;
  if (cmd.m_action != ServiceAction::START) {
    CSystemEventLog log(strings.Get(IDS_SERVICE_NAME), false);
    CScmInstaller installer(registry, strings, log, std::cerr, ModulePath());
    return cmd.m_action == ServiceAction::INSTALL ? installer.RegisterServer() : installer.UnregisterServer();
  }

  std::unique_ptr<DeviceIo> io = MakeDeviceIo(paths);
  CSystemClock clock;
  ServiceModuleContext ctx;
  ctx.m_paths = paths;
  ctx.m_pRegistry = &registry;
  ctx.m_pStrings = &strings;
  ctx.m_pDeviceIo = io.get();
  ctx.m_pClock = &clock;
  ctx.m_makeLog = [](const std::string& source, bool toEventLog) -> std::unique_ptr<EventLog> {
    return std::make_unique<CSystemEventLog>(source, toEventLog);
  };
  ctx.m_startedByManager = [] { return CServiceStatusReporter::StartedByServiceManager(); };
  ctx.m_dispatch = [](const std::string& name, std::function<void()> serviceMain) {
    return RunServiceDispatcher(name, std::move(serviceMain));
  };
  CServiceModule module(ctx);
  g_pConsoleModule = &module;
  SetConsoleCtrlHandler(ConsoleHandler, TRUE);
  int rc = module.Start();
  SetConsoleCtrlHandler(ConsoleHandler, FALSE);
  g_pConsoleModule = nullptr;
  return rc;
}
