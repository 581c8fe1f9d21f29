#include "tabrix/app/TrayMenu.h"

#include "tabrix/driverlink/ModelEntry.h"

namespace kv {

std::string CTrayMenu::ResolutionText(const std::string& label, const DisplayMode& mode) {
  std::string text = label + "  " + std::to_string(mode.m_uWidth) + " X " +
                     std::to_string(mode.m_uHeight);
  if (mode.m_uRefreshHz != 0) text += " @" + std::to_string(mode.m_uRefreshHz) + "Hz";
  return text;
}

std::vector<TrayMenuItem> CTrayMenu::Build(const TrayMenuState& s, const CStringTable& strings) {
  auto item = [&](uint32_t id, bool enabled, bool checked = false) {
    return TrayMenuItem{id, strings.Get(id), enabled, checked, {}};
  };
  const TrayMenuItem separator{};
  const bool driverFunctions = s.m_uModelType != MODEL_TYPE_FIRMWARE_4;
  const bool commands = s.m_bDriverOn && !s.m_bBusy && driverFunctions;

  TrayMenuItem rotate = item(ID_ROTATE, commands);
  // Any stored angle other than the four counts as 0.
  const uint32_t stored = (s.m_uStoredRotation % 90 == 0 && s.m_uStoredRotation < 360)
                              ? s.m_uStoredRotation : 0;
  for (uint32_t i = 0; i < 4; ++i)
    rotate.m_children.push_back(item(ID_ROTATE_0 + i, true, stored == i * 90));

  TrayMenuItem hardware = item(ID_HARDWARE, !(s.m_bBusy && s.m_bTestDisplayRequested));
  hardware.m_children = {item(ID_TEST_DISPLAY, !s.m_bTestDisplayRequested), rotate,
                         item(ID_DRIVER_OFF, !s.m_bBusy && driverFunctions, !s.m_bDriverOn)};

  TrayMenuItem resolution = item(ID_RESOLUTION, true);
  resolution.m_sText = ResolutionText(strings.Get(ID_RESOLUTION), s.m_mode);
  return {resolution, separator, item(ID_CALIBRATION, commands), separator,
          item(ID_PROPERTIES, commands), separator, hardware, separator,
          item(ID_VERSION, !s.m_bBusy), separator, item(ID_EXIT, !s.m_bBusy)};
}

}  // namespace kv
