#include "tabrix/calibration/CalibrationStore.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/ModelEntry.h"

namespace kv {
namespace {

constexpr size_t NAME_MAX_CHARS = 260;

// trunc() into 32 bits; values read from the registry may be anything atof accepts, so
// NaN gives 0 and out-of-range values stop at the limits instead of being undefined.
int32_t Trunc32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(std::trunc(v));
}

// 32-bit arithmetic, carried out in 64 bits so that absurd stored values wrap like the
// panel's words instead of overflowing.
int32_t Words32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

const char* const kValueNames[4] = {CCalibrationStore::RATIO_X, CCalibrationStore::RATIO_Y,
                                    CCalibrationStore::OFFSET_X, CCalibrationStore::OFFSET_Y};

}  // namespace

CCalibrationStore::CCalibrationStore(Registry& registry, CalibrationSettings& settings, Display& display,
                                     const DriverLinkContext& link,
                                     FirmwareCalibrationPort* firmware)
    : m_registry(registry), m_settings(settings), m_display(display), m_link(link),
      m_pFirmware(firmware) {}

uint32_t CCalibrationStore::ModelType() const {
  const ModelEntry* model = m_link.m_pCurrentModel;
  return model ? model->m_uModelType : 0;
}

void CCalibrationStore::ScreenSize(int32_t* width, int32_t* height) {
  uint32_t w = 0, h = 0;
  m_display.PrimaryScreenSize(&w, &h);
  *width = w > 0x7FFFFFFFu ? 0 : static_cast<int32_t>(w);
  *height = h > 0x7FFFFFFFu ? 0 : static_cast<int32_t>(h);
}

std::string CCalibrationStore::PresetKey() const {
  std::string key = CalibrationSettings::PRESET_KEY;
  if (m_link.m_pCurrentModel) key += m_settings.ModelSubkey();
  return key;
}

std::string CCalibrationStore::ResolutionKey(int32_t width, int32_t height) const {
  return m_settings.ModelKey() + "\\" + std::to_string(width) + "_" + std::to_string(height);
}

bool CCalibrationStore::ReadPresetBlock(const std::string& key, CalibrationBlock* block) {
  double v[4];
  for (int i = 0; i < 4; ++i) {
    std::string text;
    if (m_registry.QueryString(RegistryHive::LOCAL_MACHINE, key, kValueNames[i], &text) != 0)
      return false;
    text = text.substr(0, text.find('\0'));
    if (text.empty()) return false;
    v[i] = std::atof(text.c_str());
  }
  block->m_uValid = 1;
  block->m_dRatioX = v[0];
  block->m_dRatioY = v[1];
  block->m_dOffsetX = v[2];
  block->m_dOffsetY = v[3];
  return true;
}

void CCalibrationStore::LoadPresetTable() {
  m_presets.Clear();
  const std::string presetKey = PresetKey();
  for (uint32_t index = 0;; ++index) {
    std::string name;
    if (m_registry.EnumSubkey(RegistryHive::LOCAL_MACHINE, presetKey, index, &name) != 0) break;
    if (name.size() >= NAME_MAX_CHARS) continue;  // would not fit the enumeration buffer
    auto record = std::make_unique<PresetRecord>();
    for (CalibrationBlock& b : record->m_aBlock) b = CalibrationBlock{0, 0.0, 0.0, 0.0, 0.0};
    // Without "_" the whole name is the height text after an empty width: it never
    // matches a real screen.
    const size_t sep = name.find('_');
    record->m_iWidth = sep == std::string::npos ? 0 : std::atoi(name.substr(0, sep).c_str());
    record->m_iHeight = std::atoi(sep == std::string::npos ? name.c_str() : name.c_str() + sep + 1);
    for (int p = 0; p < PRESET_COUNT; ++p) {
      CalibrationBlock block;
      if (ReadPresetBlock(presetKey + "\\" + name + "\\" + PresetKeyName(p), &block))
        record->m_aBlock[p] = block;
    }
    if (record->AnyValid()) m_presets.Append(std::move(record));
  }
}

bool CCalibrationStore::FindPresetValues(ScreenSizePreset preset, CalibrationValues* values) {
  CalibrationValues result;
  if (preset == PRESET_NONE) preset = PRESET_WIDE;
  int32_t w = 0, h = 0;
  ScreenSize(&w, &h);
  if (preset >= 0 && preset < PRESET_COUNT) {
    for (size_t i = 0; i < m_presets.Size(); ++i) {
      const PresetRecord& r = m_presets.At(i);
      if (r.m_iWidth != w || r.m_iHeight != h || r.m_aBlock[preset].m_uValid != 1) continue;
      const CalibrationBlock& b = r.m_aBlock[preset];
      result = {b.m_dRatioX, b.m_dRatioY, b.m_dOffsetX, b.m_dOffsetY};
      break;
    }
  }
  if (values) *values = result;
  m_lastPreset = result;
  return true;
}

bool CCalibrationStore::HasAnyPreset() {
  if (ModelType() == MODEL_TYPE_FIRMWARE_4) return false;
  for (int p = 0; p < PRESET_COUNT; ++p)
    if (HasPreset(p)) return true;
  return false;
}

bool CCalibrationStore::HasPreset(ScreenSizePreset preset) {
  if (ModelType() == MODEL_TYPE_FIRMWARE_4 || preset < 0 || preset >= PRESET_COUNT) return false;
  int32_t w = 0, h = 0;
  ScreenSize(&w, &h);
  for (size_t i = 0; i < m_presets.Size(); ++i) {
    const PresetRecord& r = m_presets.At(i);
    if (r.m_iWidth == w && r.m_iHeight == h && r.m_aBlock[preset].m_uValid == 1) return true;
  }
  return false;
}

ScreenSizePreset CCalibrationStore::BestPreset() {
  for (int p = 0; p < PRESET_COUNT; ++p)
    if (HasPreset(p)) return p;
  return PRESET_NONE;
}

void CCalibrationStore::LoadCalibration(ScreenSizePreset preset, bool usePreset) {
  const uint32_t type = ModelType();
  if (type == MODEL_TYPE_FIRMWARE_4) return;
  if (type == MODEL_TYPE_FIRMWARE_3 || usePreset) {
    FindPresetValues(preset, &m_current);
    return;
  }
  int32_t w = 0, h = 0;
  ScreenSize(&w, &h);
  const std::string key = ResolutionKey(w, h);
  const double defaults[4] = {1.0, 1.0, 0.0, 0.0};
  double v[4];
  for (int i = 0; i < 4; ++i) {
    std::string text = m_settings.ReadString(key, kValueNames[i], "");
    v[i] = text.empty() ? defaults[i] : std::atof(text.c_str());
  }
  m_current = {v[0], v[1], v[2], v[3]};
}

std::string CCalibrationStore::FormatValue(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(static_cast<float>(value)));
  return text;
}

bool CCalibrationStore::SaveCalibration() {
  int32_t w = 0, h = 0;
  ScreenSize(&w, &h);
  const std::string key = ResolutionKey(w, h);
  const double v[4] = {m_current.m_dRatioX, m_current.m_dRatioY, m_current.m_dOffsetX,
                       m_current.m_dOffsetY};
  for (int i = 0; i < 4; ++i) m_settings.WriteString(key, kValueNames[i], FormatValue(v[i]));
  return true;
}

void CCalibrationStore::PublishPresets(int32_t width, int32_t height) {
  DriverSharedData& shared = m_link.m_sharedData;
  if (!shared.IsMapped()) return;
  CalibrationBlock cleared;
  cleared.m_uValid = 0;
  cleared.m_dRatioX = cleared.m_dRatioY = cleared.m_dOffsetX = cleared.m_dOffsetY = 0.0;
  for (int p = 0; p < PRESET_COUNT; ++p) shared.SetPresetBlock(p, cleared);
  for (size_t i = 0; i < m_presets.Size(); ++i) {
    const PresetRecord& r = m_presets.At(i);
    if (r.m_iWidth != width || r.m_iHeight != height) continue;
    for (int p = 0; p < PRESET_COUNT; ++p)
      if (r.m_aBlock[p].m_uValid == 1) shared.SetPresetBlock(p, r.m_aBlock[p]);
  }
}

bool CCalibrationStore::ApplyCalibration(bool save) {
  const uint32_t type = ModelType();
  if (type == MODEL_TYPE_FIRMWARE_4) return true;
  const CalibrationValues c = m_current;
  if (type == MODEL_TYPE_FIRMWARE_3) {
    WriteFirmwareCalibration(c.m_dRatioX, c.m_dRatioY, c.m_dOffsetX, c.m_dOffsetY);
    return SaveCalibration();
  }
  DriverLink link(m_link);
  if (!link.Open() || !link.Ok()) return false;
  if (!link.SetCalibration(c.m_dRatioX, c.m_dRatioY, c.m_dOffsetX, c.m_dOffsetY)) return false;
  if (m_link.m_iOsType >= OS_TYPE_WIN7)
    WriteFirmwareCalibration(c.m_dRatioX, c.m_dRatioY, c.m_dOffsetX, c.m_dOffsetY);
  int32_t w = 0, h = 0;
  ScreenSize(&w, &h);
  PublishPresets(w, h);
  return save ? SaveCalibration() : true;
}

int CCalibrationStore::ApplyScreenSizePreset(ScreenSizePreset preset) {
  if (ModelType() == MODEL_TYPE_FIRMWARE_4) return 1;
  LoadCalibration(preset, true);
  return ApplyCalibration(true) ? 0 : -1;
}

void CCalibrationStore::ReadDetailResolution(uint32_t* width, uint32_t* height) {
  int32_t w = 0, h = 0;
  ScreenSize(&w, &h);
  auto r = m_settings.GetResolution(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
  *width = r.first;
  *height = r.second;
}

void CCalibrationStore::SetCalibrationMode(bool calibrating) {
  const uint32_t type = ModelType();
  if (type == MODEL_TYPE_FIRMWARE_3 || type == MODEL_TYPE_FIRMWARE_4) return;
  DriverLink link(m_link);
  // The link records the mode in the driver state only when the driver took it.
  if (link.Open() && link.Ok()) link.SetCalibrationMode(calibrating);
}

bool CCalibrationStore::FirmwareWords(double ratioX, double ratioY, double offsetX, double offsetY,
                                      int32_t W, int32_t H, int32_t rotation, int32_t words[4]) {
  if (W <= 0 || H <= 0) return false;
  const int64_t rx = Trunc32(ratioX * 1000.0), ry = Trunc32(ratioY * 1000.0);
  const int64_t ox = Trunc32(offsetX), oy = Trunc32(offsetY);
  int64_t a, b, c, d;
  switch (rotation) {
    case 90:
      a = ry;
      b = rx;
      c = Words32(oy * 32767) / H;
      d = Words32(Words32(b * W / 1000 - W - ox) * int64_t{32767}) / W;
      break;
    case 180:
      a = rx;
      b = ry;
      c = Words32(Words32(a * W / 1000 - W - ox) * int64_t{32767}) / W;
      d = Words32(Words32(b * H / 1000 - H - oy) * int64_t{32767}) / H;
      break;
    case 270:
      a = ry;
      b = rx;
      c = Words32(Words32(a * H / 1000 - H - oy) * int64_t{32767}) / H;
      d = Words32(ox * 32767) / W;
      break;
    default:
      a = rx;
      b = ry;
      c = Words32(ox * 32767) / W;
      d = Words32(oy * 32767) / H;
      break;
  }
  words[0] = Words32(a);
  words[1] = Words32(c);
  words[2] = Words32(b);
  words[3] = Words32(d);
  return true;
}

bool CCalibrationStore::WriteFirmwareCalibration(double ratioX, double ratioY, double offsetX,
                                                 double offsetY) {
  const uint32_t type = ModelType();
  if (type == MODEL_TYPE_FIRMWARE_4) return true;
  if (!m_pFirmware) return false;
  if (type == MODEL_TYPE_FIRMWARE_3) {
    m_pFirmware->GetDevicePosition(m_aDevice);
    m_pFirmware->GetScreenPosition(m_aScreen);
    EstimatePanelPreset();
    if (m_iScreenSizeMode != PRESET_NONE) {
      ratioX = ratioX / m_base.m_dRatioX;
      ratioY = ratioY / m_base.m_dRatioY;
      offsetX = offsetX - m_base.m_dOffsetX * ratioX;
      offsetY = offsetY - m_base.m_dOffsetY * ratioY;
    }
  }
  int32_t w = 0, h = 0;
  ScreenSize(&w, &h);
  int32_t words[4];
  if (!FirmwareWords(ratioX, ratioY, offsetX, offsetY, w, h, m_display.RotationDegrees(), words))
    return false;
  for (int attempt = 0; attempt < FIRMWARE_ATTEMPTS; ++attempt) {
    if (!m_pFirmware->SetCalibrationData(words[0], words[1], words[2], words[3])) continue;
    int32_t back[4] = {};
    if (!m_pFirmware->GetCalibrationData(&back[0], &back[1], &back[2], &back[3])) continue;
    bool same = true;
    for (int i = 0; i < 4; ++i)
      same = same && static_cast<uint16_t>(back[i]) == static_cast<uint16_t>(words[i]);
    if (same) return true;
  }
  return false;
}

void CCalibrationStore::EstimatePanelPreset() {
  if (ModelType() != MODEL_TYPE_FIRMWARE_3) return;
  m_iEstimatedPreset = -1;
  m_base = CalibrationValues{};
  uint32_t dwU = 0, dhU = 0;
  ReadDetailResolution(&dwU, &dhU);
  const int64_t dw = dwU, dh = dhU;
  int32_t W = 0, H = 0;
  ScreenSize(&W, &H);
  int64_t d[8];
  for (int i = 0; i < 4; ++i) {
    d[i] = m_aDevice[i];
    d[i + 4] = m_aScreen[i];
  }
  const int64_t left = (16384 - d[0]) * 2, top = (d[1] * 16) / 9 * 2;
  const int64_t right = d[2] * 2 + 32768, bottom = (d[3] * 16) / 9 * 2;
  const PresetRecord* record = nullptr;
  if (dw <= 0x7FFFFFFF && dh <= 0x7FFFFFFF)
    record = m_presets.Find(static_cast<int32_t>(dw), static_cast<int32_t>(dh));
  if (!record) {
    if (right - left < 1 || bottom - top < 1) return;
    m_base.m_dRatioX = static_cast<double>(d[6] - d[4]) / static_cast<double>(right - left);
    m_base.m_dRatioY = static_cast<double>(d[7] - d[5]) / static_cast<double>(bottom - top);
    return;
  }
  double bestDistance = 0.0;
  for (int p = 0; p < PRESET_COUNT; ++p) {
    const CalibrationBlock& b = record->m_aBlock[p];
    if (b.m_uValid != 1) continue;
    const double tx = b.m_dOffsetX * 65535.0 / static_cast<double>(dw);
    const double ty = b.m_dOffsetY * 65535.0 / static_cast<double>(dh);
    const int64_t lp = Trunc32((d[4] + tx) / b.m_dRatioX), rp = Trunc32((d[6] + tx) / b.m_dRatioX);
    const int64_t tp = Trunc32((d[5] + ty) / b.m_dRatioY), bp = Trunc32((d[7] + ty) / b.m_dRatioY);
    const double dl = static_cast<double>(lp - left), dt = static_cast<double>(tp - top);
    const double dr = static_cast<double>(rp - right), db = static_cast<double>(bp - bottom);
    const double distance = std::sqrt(dl * dl + dt * dt) + std::sqrt(dr * dr + db * db);
    if (std::isnan(distance)) continue;
    if (m_iEstimatedPreset < 0 || distance < bestDistance) {
      m_iEstimatedPreset = p;
      bestDistance = distance;
    }
  }
  if (m_iEstimatedPreset < 0) return;
  const CalibrationBlock& b = record->m_aBlock[m_iEstimatedPreset];
  m_base = {b.m_dRatioX, b.m_dRatioY, b.m_dOffsetX, b.m_dOffsetY};
  if (W != dw && dw != 0) m_base.m_dOffsetX = m_base.m_dOffsetX * W / static_cast<double>(dw);
  if (H != dh && dh != 0) m_base.m_dOffsetY = m_base.m_dOffsetY * H / static_cast<double>(dh);
}

}  // namespace kv
