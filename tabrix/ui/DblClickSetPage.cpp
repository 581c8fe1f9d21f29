#include "tabrix/ui/DblClickSetPage.h"

namespace kv {

int32_t CDblClickSetPage::EditValue(const std::string& text) {
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    // Past the range the exact number no longer matters; it must not overflow.
    if (value <= MAX_PIXELS) value = value * 10 + (c - '0');
  }
  return value;
}

int32_t CDblClickSetPage::Clamp(int32_t value) {
  if (value < MIN_PIXELS) return MIN_PIXELS;
  if (value > MAX_PIXELS) return MAX_PIXELS;
  return value;
}

void CDblClickSetPage::Initialise() {
  const uint32_t stored = m_settings.GetDblClick();
  const int32_t value = stored > static_cast<uint32_t>(MAX_PIXELS)
                            ? MAX_PIXELS
                            : Clamp(static_cast<int32_t>(stored));
  m_sEdit = std::to_string(value);
  m_iSlider = value;
}

bool CDblClickSetPage::OnEditChanged(const std::string& text) {
  m_sEdit = text;
  const int32_t value = EditValue(text);
  m_iSlider = Clamp(value);
  if (value <= MAX_PIXELS) return false;
  m_sEdit = std::to_string(MAX_PIXELS);
  return true;
}

void CDblClickSetPage::OnEditKillFocus() { m_sEdit = std::to_string(PreviewDiameter()); }

void CDblClickSetPage::OnSlider(int32_t position) {
  m_iSlider = Clamp(position);
  m_sEdit = std::to_string(m_iSlider);
}

void CDblClickSetPage::OnDefault() { OnSlider(DEFAULT_PIXELS); }

void CDblClickSetPage::OnOk() {
  if (!m_bSingleTouch) return;
  m_settings.SetDblClick(static_cast<uint32_t>(PreviewDiameter()));
}

}  // namespace kv
