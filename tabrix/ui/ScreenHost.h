#pragma once
// What the property sheet, the test display and the service-mode entry need of the hidden
// main window: its driver state, its busy bracket, the test-display request flag, the
// function-button value it keeps, the Pen Software Link state, the command window text and
// the tray icon. The main window implements it; tests hand in a recorder.
#include <cstdint>

namespace kv {

class ScreenHost {
 public:
  virtual ~ScreenHost() = default;

  // The pen works through the driver (the tray icon's driver-on state).
  virtual bool DriverOn() const = 0;
  // A modal command runs; the menu greys its commands meanwhile.
  virtual bool Busy() const = 0;
  virtual void SetBusy(bool busy) = 0;
  // Set by the menu when it opens the test display, cleared when the display closes.
  virtual void SetTestDisplayRequested(bool requested) = 0;
  // The "PenButon" value the main window keeps (bits 0-7 button 1, 8-15 button 2).
  virtual uint32_t PenButton() const = 0;
  virtual void SetPenButton(uint32_t value) = 0;
  // Bit 1 of the Pen Software Link state: button 2 is held.
  virtual bool PenLinkButton2Held() const = 0;
  // The command window's text: set (other pen programs see the driver on) or empty.
  virtual bool CommandTextSet() const = 0;
  virtual void SetCommandText(bool on) = 0;
  // Picks the tray icon for the current state (driver on or off, testing, rotation).
  virtual void UpdateIcon() = 0;
};

}  // namespace kv
