// kvtpd-sim: stands in for the kernel touch panel driver. Serves the device endpoint
// $KV_PREFIX/run/dev/NAME and the control channel NAME.ctl beside it until SIGTERM/SIGINT.
#include <cstdio>
#include <string>
#include <vector>

#include "common/SystemError.h"
#include "platform/Paths.h"
#include "sim/ControlChannelServer.h"
#include "sim/StopSignals.h"
#include "sim/kvtpd/KvtpdControl.h"
#include "sim/kvtpd/KvtpdEndpoint.h"
#include "sim/kvtpd/KvtpdModel.h"
#include "sim/kvtpd/KvtpdOptions.h"

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
  CStopSignals stopSignals;

  CPaths paths = CPaths::FromEnvironment();
  CPaths::EnsureDirectory(paths.MachineRunDir() + "/dev");
  CKvtpdModel model;
  model.SetInfo(options.m_sVersion, options.m_uWords[0], options.m_uWords[1], options.m_uWords[2]);
  CKvtpdEndpoint endpoint(paths, options.m_sDevice, model);
  CKvtpdControl control(model);
  control.OnPlug([&](bool plugged) {
    if (plugged) endpoint.Plug();
    else endpoint.Unplug();
  });
  CControlChannelServer channel(
      [&control](const std::string& line) { return control.Execute(line); }, KVTPD_MAX_LINE);
  std::string devicePath = paths.DevicePath(options.m_sDevice);
  if (uint32_t rc = channel.Start(devicePath + ".ctl")) {
    std::fprintf(stderr, "kvtpd-sim: cannot serve %s.ctl (error %u)\n", devicePath.c_str(), rc);
    return 1;
  }
  if (uint32_t rc = endpoint.Start()) {
    std::fprintf(stderr, "kvtpd-sim: cannot serve %s (error %u)\n", devicePath.c_str(), rc);
    return 1;
  }
  stopSignals.Wait();
  channel.Stop();
  endpoint.Stop();
  return 0;
}
