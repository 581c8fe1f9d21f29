#include "tabrix/firmware/TouchActionRunner.h"

namespace kv {

void CTouchActionRunner::Run(const TouchActions& actions) const {
  for (const TouchAction& action : actions) Run(action);
}

void CTouchActionRunner::Run(const TouchAction& a) const {
  switch (a.m_kind) {
    case TouchAction::REGION_POSITION:
      if (a.m_pWindow) a.m_pWindow->SetPosition(a.m_dX, a.m_dY);
      return;
    case TouchAction::REGION_REDRAW:
      if (!a.m_pWindow) return;
      if (a.m_bFlag)
        a.m_pWindow->PostRedraw();
      else
        a.m_pWindow->SendRedraw();
      return;
    case TouchAction::PEN_LINK:
      if (m_context.m_pPenLink) m_context.m_pPenLink->Send(a.m_uValue, a.m_uWParam, a.m_uLParam);
      return;
    case TouchAction::PANEL_STATE:
      // Each call opens a fresh driver link (the production sender does).
      if (m_context.m_setPanelState) m_context.m_setPanelState(a.m_uValue, 0);
      return;
    case TouchAction::TOUCHING:
      if (m_context.m_pState)
        m_context.m_pState->SetTouching(a.m_bFlag, static_cast<uint32_t>(a.m_uWParam));
      return;
    case TouchAction::BUTTON:
      if (m_context.m_pState) m_context.m_pState->SetButton(a.m_uValue, a.m_bFlag);
      return;
  }
}

}  // namespace kv
