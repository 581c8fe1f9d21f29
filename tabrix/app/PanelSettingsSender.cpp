#include "tabrix/app/PanelSettingsSender.h"

#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/OsType.h"

namespace kv {

uint32_t CPanelSettingsSender::FirmwareInputMode(uint32_t value) {
  uint32_t input = value & 15;
  uint32_t mode = input == 0 ? 2 : input == 1 ? 1 : input == 2 ? 0 : 2;
  uint32_t touch = (value >> 4) & 15;
  if (touch == 1) mode += 16;
  if (touch == 2) mode += 32;
  return mode;
}

uint32_t CPanelSettingsSender::RotationCode(uint32_t degrees) {
  switch (degrees) {
    case 90: return 1;
    case 180: return 2;
    case 270: return 3;
    default: return 0;
  }
}

bool CPanelSettingsSender::SendInputAndTouchMode(uint32_t value) {
  CTPdrvServiceMode* firmware = m_shell.Firmware();
  if (!firmware || !firmware->SetInputMode(FirmwareInputMode(value))) return false;
  const ModelEntry* model = m_shell.CurrentModel();
  if (model && !model->IsFirmwareManaged()) {
    DriverLink link(m_shell.LinkContext());
    link.Open();
    link.SetTouchMode(((value >> 4) & 15) != 0 ? 1 : 0);
  }
  return true;
}

bool CPanelSettingsSender::SendFunctionButtons(uint32_t value) {
  const ModelEntry* model = m_shell.CurrentModel();
  if (model && model->IsFirmwareManaged()) {
    CTPdrvServiceMode* firmware = m_shell.Firmware();
    if (!firmware) return false;
    bool first = firmware->SetButton1Mode(Button1Mode(value));
    if (!firmware->SetButton2Mode(Button2Mode(value))) return false;
    return first;
  }
  // A link whose Open failed would take every command without sending it.
  DriverLink link(m_shell.LinkContext());
  return link.Open() && link.SetPenButtonMode(value);
}

bool CPanelSettingsSender::SendCompatibleMode() {
  CTPdrvServiceMode* firmware = m_shell.Firmware();
  const int32_t mode = m_shell.Ini().CompatibleMode();
  return firmware && firmware->SetCompatibleMode(mode > 1 ? 1 : static_cast<uint32_t>(mode));
}

bool CPanelSettingsSender::SendRegionDetection(uint32_t value) {
  CTPdrvServiceMode* firmware = m_shell.Firmware();
  return firmware && firmware->SetRegionDetection(value != 0 ? 1 : 0);
}

bool CPanelSettingsSender::ApplyRotation(uint32_t degrees) {
  const ModelEntry* model = m_shell.CurrentModel();
  bool ok;
  if (model && model->IsFirmwareManaged()) {
    CTPdrvServiceMode* firmware = m_shell.Firmware();
    ok = firmware && firmware->SetScreenRotate(RotationCode(degrees));
  } else {
    DriverLink link(m_shell.LinkContext());
    ok = link.Open() && link.SetRotation(degrees);
  }
  if (ok) m_shell.m_uRotation = degrees;
  return ok;
}

bool CPanelSettingsSender::SendOsType() {
  CTPdrvServiceMode* firmware = m_shell.Firmware();
  return firmware && firmware->SetOSType(m_shell.Services().m_iOsType < OS_TYPE_WIN7 ? 16 : 17);
}

}  // namespace kv
