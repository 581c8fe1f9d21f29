#pragma once
// Sending the stored pen settings to the panel and the driver: input and touch mode, the
// function buttons, compatible mode, region detection and the screen rotation. Start-up
// sends them once; the main window again whenever the panel comes back.
#include <cstdint>

#include "tabrix/app/AppShell.h"

namespace kv {

class CPanelSettingsSender {
 public:
  explicit CPanelSettingsSender(CAppShell& shell) : m_shell(shell) {}

  // "InputMode" v: the firmware's input mode (v & 15: 0 -> 2, 1 -> 1, 2 -> 0, else 2) plus
  // 16 or 32 for touch mode 1 or 2 (bits 4-7).
  static uint32_t FirmwareInputMode(uint32_t value);
  // "PenButon" p for firmware models: button 1 gets 2 when bits 0-7 are set, button 2
  // gets 1 when bits 8-15 are.
  static uint32_t Button1Mode(uint32_t value) { return (value & 0xFF) ? 2 : 0; }
  static uint32_t Button2Mode(uint32_t value) { return (value & 0xFF00) ? 1 : 0; }
  // SetScreenRotate's code for 0, 90, 180, 270 degrees (0 for anything else).
  static uint32_t RotationCode(uint32_t degrees);

  // The firmware command decides the result; driver models then get the touch mode too.
  bool SendInputAndTouchMode(uint32_t value);
  bool SendFunctionButtons(uint32_t value);
  bool SendCompatibleMode();
  bool SendRegionDetection(uint32_t value);
  // Types 3 and 4 turn the panel, the others tell the driver.
  bool ApplyRotation(uint32_t degrees);
  // SetOSType: 16 before Windows 7, else 17.
  bool SendOsType();

 private:
  CAppShell& m_shell;
};

}  // namespace kv
