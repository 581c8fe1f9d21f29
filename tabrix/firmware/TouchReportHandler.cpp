#include "tabrix/firmware/TouchReportHandler.h"

#include <algorithm>
#include <utility>

#include "common/LittleEndian.h"
#include "common/PanelFirmwareCodes.h"
#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/ModelEntry.h"

namespace kv {

namespace {

// Panel positions are 0..32767; a scaled one is kept in that range, so that a stray size
// factor (or a panel reporting past its range) cannot push a point off the screen or
// overflow the conversion.
uint32_t ToRaw(double value) {
  if (!(value > 0.0)) return 0;  // also NaN
  if (value >= CTouchReportHandler::RAW_MAX) return CTouchReportHandler::RAW_MAX;
  return static_cast<uint32_t>(value);
}

}  // namespace

PanelStateSender CTouchReportHandler::ThroughDriverLink(const DriverLinkContext& context) {
  return [context](uint32_t code, uint32_t flag) {
    DriverLink link(context);
    if (!link.Open()) return;
    uint32_t value = flag;
    link.SetPanelState(code, &value);
  };
}

uint32_t CTouchReportHandler::Pixel(uint32_t raw, uint32_t size) {
  return static_cast<uint32_t>((static_cast<uint64_t>(raw) * size + RAW_MAX / 2) / RAW_MAX);
}

void CTouchReportHandler::PublishRegionWindow(std::shared_ptr<RegionWindow> window) {
  std::lock_guard<std::mutex> lock(m_windowMutex);
  m_pWindow = std::move(window);
}

std::shared_ptr<RegionWindow> CTouchReportHandler::Window() {
  std::lock_guard<std::mutex> lock(m_windowMutex);
  return m_pWindow;
}

void CTouchReportHandler::PanelState(uint32_t code, TouchActions* out) {
  TouchAction a;
  a.m_kind = TouchAction::PANEL_STATE;
  a.m_uValue = code;
  out->push_back(std::move(a));
}

void CTouchReportHandler::PenLink(uint32_t index, uint64_t wParam, uint64_t lParam,
                                  TouchActions* out) {
  TouchAction a;
  a.m_kind = TouchAction::PEN_LINK;
  a.m_uValue = index;
  a.m_uWParam = wParam;
  a.m_uLParam = lParam;
  out->push_back(std::move(a));
}

void CTouchReportHandler::Redraw(const std::shared_ptr<RegionWindow>& window,
                                 const LinkState& link, TouchActions* out) {
  // A caller of a firmware command (the window's own thread among them) waits for the
  // worker; a sent message would wait for that caller in turn.
  TouchAction a;
  a.m_kind = TouchAction::REGION_REDRAW;
  a.m_pWindow = window;
  a.m_bFlag = link.m_bCommand || link.m_bPaused;
  out->push_back(std::move(a));
}

void CTouchReportHandler::TouchState(const Report& r, TouchActions* out) {
  TouchAction a;
  a.m_kind = TouchAction::TOUCHING;
  if (r[2] == PANEL_STATE_TOUCHING) {
    a.m_bFlag = true;
    a.m_uWParam = m_context.m_pClock ? m_context.m_pClock->TickCount() : 0;
    out->push_back(std::move(a));
    PenLink(LINK_STATE, 1, 1, out);
  } else if (r[2] == PANEL_STATE_RELEASED) {
    out->push_back(std::move(a));
    PenLink(LINK_STATE, 1, 0, out);
  }
}

void CTouchReportHandler::TouchPosition(const Report& r, const LinkState& link,
                                        TouchActions* out) {
  Position(ReadU16(r.data() + 6), ReadU16(r.data() + 8), link, out);
}

void CTouchReportHandler::Position(uint32_t rawX, uint32_t rawY, const LinkState& link,
                                   TouchActions* out) {
  rawX = std::min(rawX, RAW_MAX);
  rawY = std::min(rawY, RAW_MAX);
  if (link.m_uModelType == MODEL_TYPE_FIRMWARE_3) {
    // This panel reports its position on one scale for both axes; the preset's ratios
    // and the 16:9 screen shape bring it to each axis.
    const uint32_t larger = std::max(rawX, rawY);
    double factorX = 1.0, factorY = 1.0;
    if (m_context.m_pState) m_context.m_pState->SizeFactors(&factorX, &factorY);
    rawX = ToRaw(larger * factorX);
    rawY = ToRaw(larger * factorY * 16.0 / 9.0);
  }
  uint32_t width = 0, height = 0;
  int32_t rotation = 0;
  if (m_context.m_pDisplay) {
    m_context.m_pDisplay->PrimaryScreenSize(&width, &height);
    rotation = m_context.m_pDisplay->RotationDegrees();
  }
  const uint32_t pixelX = Pixel(rawX, width);
  const uint32_t pixelY = Pixel(rawY, height);
  if (rotation == 90 || rotation == 270) std::swap(rawX, rawY);

  std::shared_ptr<RegionWindow> window = Window();
  if (window) {
    // A coordinate that rounds to pixel 0 is reported as exactly 0.
    TouchAction a;
    a.m_kind = TouchAction::REGION_POSITION;
    a.m_pWindow = window;
    a.m_dX = Pixel(rawX, width) == 0 ? 0.0 : static_cast<double>(rawX) * width / RAW_MAX;
    a.m_dY = Pixel(rawY, height) == 0 ? 0.0 : static_cast<double>(rawY) * height / RAW_MAX;
    out->push_back(std::move(a));
    Redraw(window, link, out);
  }
  if (m_bTouchInProgress && !m_bAnnounced && (pixelX != 0 || pixelY != 0)) {
    PenLink(LINK_PRESS, window ? window->Handle() : 0, 0, out);
    m_bAnnounced = true;
    if (link.m_uModelType != MODEL_TYPE_FIRMWARE_3) PanelState(PANEL_TOUCH_ANNOUNCED, out);
  }
}

bool CTouchReportHandler::TouchPresence(const Report& r, const LinkState& link,
                                        TouchActions* out) {
  if (r[2] == PANEL_PRESENCE_TOUCHING) {
    if (link.m_bCommand) PanelState(PANEL_TOUCH_DURING_COMMAND, out);
    if (!link.m_bCommand && !link.m_bPaused) {
      m_bTouchInProgress = true;
      TouchPosition(r, link, out);
    }
    return false;
  }
  if (r[2] == PANEL_PRESENCE_RELEASED) PanelState(PANEL_TOUCH_ENDED, out);
  m_bTouchInProgress = false;
  // The release goes out whenever the press did, window or not: a pen program that saw
  // the press and never the release would keep the pen down.
  if (m_bAnnounced) {
    PenLink(LINK_RELEASE, 0, 0, out);
    m_bAnnounced = false;
  }
  if (std::shared_ptr<RegionWindow> window = Window()) {
    TouchAction a;
    a.m_kind = TouchAction::REGION_POSITION;
    a.m_pWindow = window;
    out->push_back(std::move(a));
    Redraw(window, link, out);
  }
  return true;
}

void CTouchReportHandler::Button(const Report& r, TouchActions* out) {
  auto press = [out](uint32_t bit, bool pressed) {
    TouchAction a;
    a.m_kind = TouchAction::BUTTON;
    a.m_uValue = bit;
    a.m_bFlag = pressed;
    out->push_back(std::move(a));
  };
  if (r[2] == 1 && (r[3] == 0 || r[3] == 1)) press(CPenInputState::BUTTON_1, r[3] == 1);
  if (r[4] == 1 && (r[5] == 0 || r[5] == 1)) {
    press(CPenInputState::BUTTON_2, r[5] == 1);
    PenLink(r[5] == 1 ? LINK_PRESS : LINK_RELEASE, 0, 0, out);
  }
}

void CTouchReportHandler::AbandonTouch(TouchActions* out) {
  PanelState(PANEL_TOUCH_ENDED, out);
  m_bTouchInProgress = false;
}

}  // namespace kv
