#pragma once
// The settings screens' view of the hidden main window, over CCalibrationWnd and the button
// watch's Pen Software Link state, for a main window that does not implement ScreenHost
// itself.
#include "tabrix/app/AppShell.h"
#include "tabrix/app/CalibrationWnd.h"
#include "tabrix/ui/ScreenHost.h"

namespace kv {

class CMainWindowScreenHost final : public ScreenHost {
 public:
  static constexpr uint32_t LINK_BUTTON2_HELD = 1u << 1;

  CMainWindowScreenHost(CAppShell& shell, CCalibrationWnd& window)
      : m_shell(shell), m_window(window) {}

  bool DriverOn() const override { return m_window.DriverOn(); }
  bool Busy() const override { return m_window.Busy(); }
  void SetBusy(bool busy) override { m_window.SetBusy(busy); }
  void SetTestDisplayRequested(bool r) override { m_window.SetTestDisplayRequested(r); }
  uint32_t PenButton() const override { return m_window.PenButton(); }
  void SetPenButton(uint32_t value) override { m_window.SetPenButton(value); }
  bool PenLinkButton2Held() const override {
    return (m_shell.ButtonWatch().LinkState() & LINK_BUTTON2_HELD) != 0;
  }
  bool CommandTextSet() const override { return !m_window.CommandText().empty(); }
  void SetCommandText(bool on) override { m_window.SetCommandText(on); }
  void UpdateIcon() override { m_window.UpdateIcon(); }

 private:
  CAppShell& m_shell;
  CCalibrationWnd& m_window;
};

}  // namespace kv
