#pragma once
// The per-resolution pen calibration and the installed screen-size presets: loading them
// from the registry, handing them to the driver (through the service) and to the panel
// firmware, and saving what was applied. Model type 4 keeps its calibration in the panel
// and is left alone; type 3 takes its calibration from the presets and hands it to the
// firmware only. All calls run on the user-interface thread.
#include <cstdint>
#include <string>

#include "platform/Display.h"
#include "platform/Registry.h"
#include "tabrix/calibration/CalibrationSettings.h"
#include "tabrix/driverlink/OsType.h"
#include "tabrix/calibration/CalibrationValues.h"
#include "tabrix/calibration/FirmwareCalibrationPort.h"
#include "tabrix/calibration/PresetTable.h"
#include "tabrix/calibration/ScreenSizePreset.h"
#include "tabrix/driverlink/DriverLinkContext.h"

namespace kv {

class CCalibrationStore {
 public:
  static constexpr const char* RATIO_X = "CalibRatioX";
  static constexpr const char* RATIO_Y = "CalibRatioY";
  static constexpr const char* OFFSET_X = "CalibOffsetX";
  static constexpr const char* OFFSET_Y = "CalibOffsetY";
  static constexpr int FIRMWARE_ATTEMPTS = 3;

  // firmware may be null while no panel port exists; firmware writes then fail.
  CCalibrationStore(Registry& registry, CalibrationSettings& settings, Display& display,
                    const DriverLinkContext& link, FirmwareCalibrationPort* firmware);

  void SetFirmwarePort(FirmwareCalibrationPort* firmware) { m_pFirmware = firmware; }

  // The machine-wide preset key of the current model, and the user calibration key of a
  // resolution.
  std::string PresetKey() const;
  std::string ResolutionKey(int32_t width, int32_t height) const;

  void LoadPresetTable();
  const PresetTable& Presets() const { return m_presets; }
  // preset -1 means WIDE. Always succeeds; neutral values when nothing matches.
  bool FindPresetValues(ScreenSizePreset preset, CalibrationValues* values);
  bool HasAnyPreset();
  bool HasPreset(ScreenSizePreset preset);
  ScreenSizePreset BestPreset();

  void LoadCalibration(ScreenSizePreset preset, bool usePreset);
  bool ApplyCalibration(bool save);
  bool SaveCalibration();
  // 0 on success, -1 on failure, 1 for a model that keeps its calibration in the panel.
  int ApplyScreenSizePreset(ScreenSizePreset preset);

  ScreenSizePreset ReadOsdMode() { return m_settings.GetOsdMode(); }
  void WriteOsdMode(ScreenSizePreset preset) { m_settings.SetOsdMode(preset); }
  void ReadDetailResolution(uint32_t* width, uint32_t* height);
  void WriteDetailResolution(uint32_t width, uint32_t height) { m_settings.SetResolution(width, height); }

  void SetCalibrationMode(bool calibrating);
  bool WriteFirmwareCalibration(double ratioX, double ratioY, double offsetX, double offsetY);
  void EstimatePanelPreset();

  // The four firmware words (A, C, B, D in sending order) for a screen of width x height
  // at a rotation; false when the screen size cannot be divided by.
  static bool FirmwareWords(double ratioX, double ratioY, double offsetX, double offsetY,
                            int32_t width, int32_t height, int32_t rotation, int32_t words[4]);
  // "%f" of the value rounded to single precision.
  static std::string FormatValue(double value);

  CalibrationValues& Current() { return m_current; }
  const CalibrationValues& LastPresetValues() const { return m_lastPreset; }
  ScreenSizePreset ScreenSizeMode() const { return m_iScreenSizeMode; }
  void SetScreenSizeMode(ScreenSizePreset mode) { m_iScreenSizeMode = mode; }
  int EstimatedPreset() const { return m_iEstimatedPreset; }
  const CalibrationValues& BaseCalibration() const { return m_base; }

 private:
  uint32_t ModelType() const;
  void ScreenSize(int32_t* width, int32_t* height);
  bool ReadPresetBlock(const std::string& key, CalibrationBlock* block);
  void PublishPresets(int32_t width, int32_t height);

  Registry& m_registry;
  CalibrationSettings& m_settings;
  Display& m_display;
  DriverLinkContext m_link;
  FirmwareCalibrationPort* m_pFirmware;
  PresetTable m_presets;
  CalibrationValues m_current;
  CalibrationValues m_lastPreset;
  ScreenSizePreset m_iScreenSizeMode = PRESET_WIDE;
  int m_iEstimatedPreset = -1;
  CalibrationValues m_base;
  // The panel's last device and screen positions (type 3).
  int32_t m_aDevice[4] = {};
  int32_t m_aScreen[4] = {};
};

}  // namespace kv
