#include "service/PipeBridge.h"

#include "common/PipeNames.h"
#include "common/SystemError.h"

namespace kv {

CPipeBridge::CPipeBridge(const CPaths& paths, DeviceIo& io, Clock& clock,
                         PipeThreadOptions options)
    : m_device(io),
      m_controlHandler(m_device),
      m_statusHandler(m_device),
      m_control(paths, CONTROL_PIPE_NAME, m_controlHandler, clock, options),
      m_status(paths, STATUS_PIPE_NAME, m_statusHandler, clock, options) {}

CPipeBridge::~CPipeBridge() { Stop(); }

uint32_t CPipeBridge::Start() {
  m_device.Reset();
  uint32_t control = m_control.Start();
  uint32_t status = m_status.Start();
  m_bStarted = true;
  return control == ERROR_CODE_SUCCESS || status == ERROR_CODE_SUCCESS ? ERROR_CODE_SUCCESS
                                                                       : control;
}

void CPipeBridge::Stop() {
  if (!m_bStarted) return;
  m_bStarted = false;
  m_device.Shutdown();
  m_control.Stop();
  m_status.Stop();
  m_control.Join();
  m_status.Join();
  m_device.Close();
}

}  // namespace kv
