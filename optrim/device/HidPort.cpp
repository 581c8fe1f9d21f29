#include "optrim/device/HidPort.h"

#include <algorithm>
#include <vector>

#include "common/SystemError.h"

namespace kv {

bool CHidPort::Open(const std::string& path) {
  Close();
  std::unique_ptr<HidDevice> feature, input;
  if (m_bus.Open(path, false, &feature) != ERROR_CODE_SUCCESS || !feature) return false;
  if (feature->GetAttributes(&m_attributes) != ERROR_CODE_SUCCESS ||
      feature->GetCaps(&m_caps) != ERROR_CODE_SUCCESS)
    return false;
  if (m_bus.Open(path, true, &input) != ERROR_CODE_SUCCESS || !input) return false;
  m_sPath = path;
  m_feature = std::move(feature);
  m_input = std::move(input);
  return true;
}

void CHidPort::Close() {
  if (m_input) m_input->Close();
  if (m_feature) m_feature->Close();
  m_input.reset();
  m_feature.reset();
}

void CHidPort::Space() {
  if (!m_bStamped) return;
  uint32_t elapsed = m_clock.TickCount() - m_uLastTransferMs;
  if (elapsed < FEATURE_SPACING_MS) m_clock.Sleep(FEATURE_SPACING_MS - elapsed);
}

bool CHidPort::SetFeature(const SensorCommand& command) {
  if (!m_feature) return false;
  Space();
  std::vector<uint8_t> buffer(9, 0);
  std::copy(command.begin(), command.end(), buffer.begin() + 1);
  bool ok = m_feature->SetFeature(buffer) == ERROR_CODE_SUCCESS;
  m_uLastTransferMs = m_clock.TickCount();
  m_bStamped = true;
  return ok;
}

bool CHidPort::GetFeature(SensorCommand* answer) {
  answer->fill(0);
  if (!m_feature) return false;
  Space();
  std::vector<uint8_t> buffer(9, 0);
  bool ok = m_feature->GetFeature(buffer) == ERROR_CODE_SUCCESS;
  m_uLastTransferMs = m_clock.TickCount();
  m_bStamped = true;
  if (ok) std::copy(buffer.begin() + 1, buffer.end(), answer->begin());
  return ok;
}

}  // namespace kv
