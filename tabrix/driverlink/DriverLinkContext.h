#pragma once
// What a driver link reaches in the application: the pipes, the state and the shared table
// it writes, the current model (read at the time of each call, since it changes when a
// panel is identified), the OS type code, the screen size and the clock that paces Connect.
#include <cstdint>

#include "platform/Clock.h"
#include "tabrix/driverlink/DriverSharedData.h"
#include "tabrix/driverlink/DriverState.h"
#include "tabrix/driverlink/ModelEntry.h"
#include "tabrix/driverlink/PipeTransport.h"
#include "platform/ScreenSizeSource.h"

namespace kv {

struct DriverLinkContext {
  PipeTransport& m_transport;
  CDriverState& m_state;
  DriverSharedData& m_sharedData;
  const ModelEntry* const& m_pCurrentModel;
  const int32_t& m_iOsType;
  ScreenSizeSource& m_screen;
  Clock& m_clock;
};

}  // namespace kv
