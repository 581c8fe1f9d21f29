#pragma once
// The calibration panel's logic: its two captions from the calibration layout, where it
// sits, starting a basic or precise calibration (one screen at a time), the flash write,
// and an unattended run ("-b", "-p") that ends the program when its screen closes.
#include <cstdint>
#include <string>

#include "optrim/device/MsgThrower.h"
#include "optrim/ui/MessageBoxHost.h"
#include "optrim/ui/OptrimHost.h"
#include "optrim/ui/SensorLink.h"
#include "platform/Clock.h"
#include "resources/StringTable.h"

namespace kv {

// The panel's last position, remembered for the run.
struct PanelPlacement {
  bool set = false;
  int x = 0;
  int y = 0;
};

class CalibrationPanelView {
 public:
  virtual ~CalibrationPanelView() = default;
  virtual void Changed() = 0;  // captions, enabled state, position
  // Creates the calibration screen; it reports its closing through OnScreenClosed.
  virtual void OpenScreen(bool basic) = 0;
  virtual void DestroyScreen() = 0;
  virtual void BringToFront() = 0;
};

class CCalibrationPanel : public CMsgThrower {
 public:
  static constexpr int FIRST_X = 300;
  static constexpr int SCREEN_SHARE = 300;  // y = top + (height - 300) / 4
  static constexpr uint32_t FLASH_WAIT_MS = 5000;

  // deviceId: the device as notifications name it; startSwitch: "", "-b" or "-p".
  CCalibrationPanel(SensorLink& device, uintptr_t deviceId, CalibrationPanelView& view,
                    OptrimHost& host, MessageBoxHost& boxes, Clock& clock,
                    const CStringTable& strings, std::string startSwitch,
                    PanelPlacement* placement, CBroadCaster* broadcaster);
  ~CCalibrationPanel() override;

  void Open(int screenTop, int screenHeight);
  // False when a screen is already open.
  bool StartCalibration(bool basic);
  void OnScreenClosed();
  void WriteFlash();
  // The window closes at (x, y).
  void OnClose(int x, int y);
  void OnNotify(uint32_t code, uintptr_t payload) override;

  const std::string& PreciseCaption() const { return m_sPreciseCaption; }
  const std::string& BasicCaption() const { return m_sBasicCaption; }
  bool Enabled() const { return m_bEnabled; }
  bool ScreenOpen() const { return m_bScreenOpen; }
  int X() const { return m_iX; }
  int Y() const { return m_iY; }

 private:
  SensorLink& m_device;
  uintptr_t m_deviceId;
  CalibrationPanelView& m_view;
  OptrimHost& m_host;
  MessageBoxHost& m_boxes;
  Clock& m_clock;
  const CStringTable& m_strings;
  std::string m_sStartSwitch;
  PanelPlacement* m_pPlacement;
  std::string m_sPreciseCaption;
  std::string m_sBasicCaption;
  bool m_bEnabled = true;
  bool m_bScreenOpen = false;
  bool m_bClosed = false;
  int m_iX = 0;
  int m_iY = 0;
};

}  // namespace kv
