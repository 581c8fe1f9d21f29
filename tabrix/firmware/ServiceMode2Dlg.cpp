#include "tabrix/firmware/ServiceMode2Dlg.h"

#include "tabrix/driverlink/ModelEntry.h"

namespace kv {

void CServiceMode2Dlg::OnInitDialog() {
  m_info = FirmwareInfoText::Read(m_port, m_strings);
  m_sUsb.clear();
  m_sVersion.clear();
  m_sVerdict.clear();
  m_sChecksum.clear();
  m_bColoured = false;
  if (!m_info.m_bValid) return;
  m_sVersion = m_info.m_sVersion;
  if (m_uModelType == MODEL_TYPE_FIRMWARE_3) {
    m_sUsb = m_strings.Get(TEXT_TOUCH_PANEL);
    m_sVerdict = m_sChecksum = m_strings.Get(FirmwareInfoText::TEXT_NONE);
  } else if (m_uModelType == MODEL_TYPE_FIRMWARE_4) {
    m_sUsb = m_strings.Get(TEXT_BUTTON);
    m_sVerdict = m_info.m_sVerdict;
    m_sChecksum = m_info.m_sChecksum;
    m_bColoured = true;
  }
}

}  // namespace kv
