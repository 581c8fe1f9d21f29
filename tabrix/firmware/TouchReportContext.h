#pragma once
// What the firmware link's touch reporting reaches outside the link: the application's pen
// state, the screen, the clock for the touch start tick, the Pen Software Link, and a way
// to send Set panel state to the driver. Any of them may be absent (tests, or a link used
// only for firmware commands); what needs a missing one is skipped.
#include <cstdint>
#include <functional>

#include "platform/Clock.h"
#include "platform/Display.h"
#include "tabrix/firmware/PenInputState.h"
#include "tabrix/firmware/PenSoftwareLinkSender.h"

namespace kv {

// Set panel state (code, flag) through a fresh driver link.
using PanelStateSender = std::function<void(uint32_t code, uint32_t flag)>;

struct TouchReportContext {
  CPenInputState* m_pState = nullptr;
  Display* m_pDisplay = nullptr;
  Clock* m_pClock = nullptr;
  PenSoftwareLinkSender* m_pPenLink = nullptr;
  PanelStateSender m_setPanelState;
};

}  // namespace kv
