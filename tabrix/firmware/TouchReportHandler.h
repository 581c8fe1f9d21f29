#pragma once
// The panel's pen reports as the firmware link hands them over: touch state (answer type
// 3), position (4), presence (6) and function buttons (15). It turns panel positions into
// screen positions for the region window, announces a touch to the pen programs once, and
// keeps the driver informed of where a touch stands (Set panel state 1, 2, 3). It only
// decides: each call appends what is to be done to `out`, and the link's worker carries it
// out (CTouchActionRunner). All report calls come from the worker thread; the region window
// is published from another.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "tabrix/firmware/RegionWindow.h"
#include "tabrix/driverlink/DriverLinkContext.h"
#include "tabrix/firmware/TouchAction.h"
#include "tabrix/firmware/TouchReportContext.h"

namespace kv {

class CTouchReportHandler {
 public:
  using Report = std::array<uint8_t, 10>;
  static constexpr uint32_t RAW_MAX = 32767;
  // Set panel state codes.
  static constexpr uint32_t PANEL_TOUCH_DURING_COMMAND = 1;
  static constexpr uint32_t PANEL_TOUCH_ANNOUNCED = 2;
  static constexpr uint32_t PANEL_TOUCH_ENDED = 3;
  // Pen Software Link message indices.
  static constexpr uint32_t LINK_PRESS = 0;
  static constexpr uint32_t LINK_RELEASE = 1;
  static constexpr uint32_t LINK_STATE = 2;

  // What the link is doing when a report arrives.
  struct LinkState {
    uint32_t m_uModelType = 0;
    bool m_bCommand = false;  // a firmware command is in progress
    bool m_bPaused = false;   // a caller is parking the worker
  };

  explicit CTouchReportHandler(TouchReportContext context) : m_context(std::move(context)) {}

  // The production sender: each call opens a new driver link and sends the code.
  static PanelStateSender ThroughDriverLink(const DriverLinkContext& link);
  // Pixel of a panel position on an axis of `size` pixels, rounded to the nearest.
  static uint32_t Pixel(uint32_t raw, uint32_t size);

  // Null withdraws the window; the handler keeps its own reference while it uses it.
  void PublishRegionWindow(std::shared_ptr<RegionWindow> window);

  void TouchState(const Report& r, TouchActions* out);
  void TouchPosition(const Report& r, const LinkState& link, TouchActions* out);
  // True when the report ends the touch.
  bool TouchPresence(const Report& r, const LinkState& link, TouchActions* out);
  void Button(const Report& r, TouchActions* out);

  bool TouchInProgress() const { return m_bTouchInProgress; }
  bool Announced() const { return m_bAnnounced; }
  // The worker leaves touch reporting for a command or a pause: the driver hears that the
  // touch is over for us.
  void AbandonTouch(TouchActions* out);

 private:
  void Position(uint32_t rawX, uint32_t rawY, const LinkState& link, TouchActions* out);
  static void PanelState(uint32_t code, TouchActions* out);
  static void PenLink(uint32_t index, uint64_t wParam, uint64_t lParam, TouchActions* out);
  std::shared_ptr<RegionWindow> Window();
  static void Redraw(const std::shared_ptr<RegionWindow>& window, const LinkState& link,
                     TouchActions* out);

  TouchReportContext m_context;
  std::mutex m_windowMutex;
  std::shared_ptr<RegionWindow> m_pWindow;
  std::atomic<bool> m_bTouchInProgress{false};
  std::atomic<bool> m_bAnnounced{false};
};

}  // namespace kv
