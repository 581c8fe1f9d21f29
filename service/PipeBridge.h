#pragma once
// The service's pipe bridge: the shared driver device and the two pipe threads (control
// first, then status) that relay requests to it.
#include <memory>

#include "platform/Clock.h"
#include "platform/DeviceIo.h"
#include "platform/Paths.h"
#include "service/ControlRequestHandler.h"
#include "service/DeviceSlot.h"
#include "service/PipeThread.h"
#include "service/StatusRequestHandler.h"

namespace kv {

class CPipeBridge {
 public:
  CPipeBridge(const CPaths& paths, DeviceIo& io, Clock& clock, PipeThreadOptions options);
  ~CPipeBridge();

  // Empties the device path and starts both threads. A pipe that cannot be created ends
  // its own thread only; the result is 0 when at least one pipe runs.
  uint32_t Start();
  // Closes the device (a pending status wait ends with 995), stops and joins both threads.
  void Stop();

  uint32_t ControlExitCode() const { return m_control.ExitCode(); }
  uint32_t StatusExitCode() const { return m_status.ExitCode(); }

 private:
  CDeviceSlot m_device;
  CControlRequestHandler m_controlHandler;
  CStatusRequestHandler m_statusHandler;
  CPipeThread m_control;
  CPipeThread m_status;
  bool m_bStarted = false;
};

}  // namespace kv
