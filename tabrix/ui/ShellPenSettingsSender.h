#pragma once
// The operation page's sends through the application's panel settings sender.
#include "tabrix/app/PanelSettingsSender.h"
#include "tabrix/ui/PenSettingsSender.h"

namespace kv {

class CShellPenSettingsSender final : public PenSettingsSender {
 public:
  explicit CShellPenSettingsSender(CAppShell& shell) : m_sender(shell) {}
  bool SendFunctionButtons(uint32_t v) override { return m_sender.SendFunctionButtons(v); }
  bool SendInputAndTouchMode(uint32_t v) override { return m_sender.SendInputAndTouchMode(v); }
  bool SendRegionDetection(uint32_t v) override { return m_sender.SendRegionDetection(v); }

 private:
  CPanelSettingsSender m_sender;
};

}  // namespace kv
