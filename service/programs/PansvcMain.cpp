// pansvc: the touch panel service. "-Install" / "-UnInstall" (after '-' or '/', any case)
// register and remove it; anything else runs the pipe bridge, as a service when the service
// manager started it and it is registered, as an ordinary process otherwise. SIGTERM and
// SIGINT are the stop control.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <thread>

#include "platform/DeviceEndpointIo.h"
#include "platform/EventLog.h"
#include "platform/Paths.h"
#include "platform/ServiceStatusReporter.h"
#include "platform/posix/SqliteRegistry.h"
#include "resources/StringTable.h"
#include "service/ServiceCommandLine.h"
#include "service/ServiceInstaller.h"
#include "service/ServiceModule.h"
#include "service/ServiceNames.h"

namespace {

// Tests shorten the pipes' client time-out through the environment; the program has no
// option for it.
int PipeTimeoutMs() {
  const char* text = std::getenv("KV_PANSVC_PIPE_TIMEOUT_MS");
  if (!text || !*text) return kv::PIPE_DEFAULT_TIMEOUT_MS;
  char* end = nullptr;
  long ms = std::strtol(text, &end, 10);
  return (*end || ms < 1 || ms > 60000) ? kv::PIPE_DEFAULT_TIMEOUT_MS : static_cast<int>(ms);
}

std::string ModulePath() {
  return kv::CPaths::ProgramDirectory() + "/pansvc";
}

int Install(const kv::ServiceCommandLine& cmd, const kv::CPaths& paths, kv::Registry& registry,
            const kv::CStringTable& strings) {
  kv::CSystemEventLog log(strings.Get(kv::IDS_SERVICE_NAME), false);
  kv::ServiceInstallerContext ctx;
  ctx.m_paths = paths;
  ctx.m_pRegistry = &registry;
  ctx.m_pStrings = &strings;
  ctx.m_pLog = &log;
  ctx.m_pErrors = &std::cerr;
  ctx.m_sImagePath = ModulePath();
  ctx.m_sUnitDir = cmd.m_sUnitDir;
  if (const char* prefix = std::getenv("KV_PREFIX")) ctx.m_sPrefix = prefix;
  kv::CServiceInstaller installer(ctx);
  return cmd.m_action == kv::ServiceAction::INSTALL ? installer.RegisterServer()
                                                    : installer.UnregisterServer();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kv;
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  ServiceCommandLine cmd = ServiceCommandLine::Parse({argv + 1, argv + argc});
  CPaths paths = CPaths::FromEnvironment();
  CPaths::EnsureDirectory(paths.MachineDir());
  CStringTable strings = CStringTable::BuiltIn("pansvc");
  CSqliteRegistry registry(paths);
  if (cmd.m_action != ServiceAction::START) return Install(cmd, paths, registry, strings);

  CDeviceEndpointIo io(paths);
  CSystemClock clock;
  ServiceModuleContext ctx;
  ctx.m_paths = paths;
  ctx.m_pRegistry = &registry;
  ctx.m_pStrings = &strings;
  ctx.m_pDeviceIo = &io;
  ctx.m_pClock = &clock;
  ctx.m_pipeOptions.m_iTimeoutMs = PipeTimeoutMs();
  ctx.m_pipeOptions.m_iRefusedUid = CPipeThread::GuestUid();
  ctx.m_makeLog = [](const std::string& source, bool toSyslog) -> std::unique_ptr<EventLog> {
    return std::make_unique<CSystemEventLog>(source, toSyslog);
  };
  ctx.m_startedByManager = [] { return CServiceStatusReporter::StartedByServiceManager(); };
  CServiceModule module(ctx);

  // The stop control arrives as a signal; this thread turns it into a control call.
  std::atomic<bool> done{false};
  std::thread signals([&] {
    timespec tick{0, 100 * 1000 * 1000};
    while (!done) {
      if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) module.Control(SERVICE_CONTROL_STOP);
    }
  });
  int rc = module.Start();
  done = true;
  signals.join();
  return rc;
}
