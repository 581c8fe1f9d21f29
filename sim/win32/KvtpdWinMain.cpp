// kvtpd-sim.exe: the driver stand-in on Windows. Serves the device endpoint as the pipe
// PipePath("\\.\NAME") and the control channel as the pipe PipePath("NAME.ctl"), until the
// control channel's "quit" or a console stop (Ctrl+C, Ctrl+Break, the console closing).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Event.h"
#include "platform/Paths.h"
#include "sim/kvtpd/KvtpdControl.h"
#include "sim/kvtpd/KvtpdEndpoint.h"
#include "sim/kvtpd/KvtpdModel.h"
#include "sim/kvtpd/KvtpdOptions.h"
#include "sim/win32/PipeLineServer.h"

namespace {

kv::CEvent* g_pStop = nullptr;  // the console handler has no context

BOOL WINAPI ConsoleHandler(DWORD) {
  if (g_pStop) g_pStop->Set();
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kv;
  using namespace kv::sim;
  KvtpdOptions options;
  std::string error;
  if (!KvtpdOptions::Parse({argv + 1, argv + argc}, &options, &error)) {
    std::fprintf(stderr, "kvtpd-sim: %s\n"
                         "usage: kvtpd-sim [--device NAME] [--version TEXT] [--words W1,W2,W3]\n",
                 error.c_str());
    return 2;
  }
  CEvent stop(true);
  g_pStop = &stop;
  SetConsoleCtrlHandler(ConsoleHandler, TRUE);

  CPaths paths = CPaths::FromEnvironment();
  CKvtpdModel model;
  model.SetInfo(options.m_sVersion, options.m_uWords[0], options.m_uWords[1], options.m_uWords[2]);
  CKvtpdEndpoint endpoint(paths, options.m_sDevice, model);
  CKvtpdControl control(model);
  control.OnPlug([&](bool plugged) {
    if (plugged) endpoint.Plug();
    else endpoint.Unplug();
  });
  CPipeLineServer channel(
      paths, options.m_sDevice + ".ctl",
      [&](const std::string& line) {
        if (line != "quit") return control.Execute(line);
        stop.Set();
        return std::string("ok");
      },
      KVTPD_MAX_LINE);
  if (uint32_t rc = channel.Start()) {
    std::fprintf(stderr, "kvtpd-sim: cannot serve %s.ctl (error %u)\n", options.m_sDevice.c_str(), rc);
    return 1;
  }
  if (uint32_t rc = endpoint.Start()) {
    std::fprintf(stderr, "kvtpd-sim: cannot serve %s (error %u)\n", options.m_sDevice.c_str(), rc);
    return 1;
  }
  stop.Wait(-1);
  SetConsoleCtrlHandler(ConsoleHandler, FALSE);
  endpoint.Stop();
  channel.Stop();
  g_pStop = nullptr;
  return 0;
}
