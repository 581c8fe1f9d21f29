#pragma once
// The settings of the tray application in the registry: program-wide values under the
// program key and one set per display model under the model key. Reads prefer the user's
// hive, then the machine hive, then the built-in default; writes go to the machine hive
// and, outside installer mode and except for the machine-only names, to the user's hive
// as well, so that a user without write access to the machine hive still keeps his own
// copy. Nothing is cached: every getter reads anew. Many getters also apply what they read
// (system parameters, shared driver table), so that reading and applying are one step.
//
// The value names, key texts and value types are shared with the installer and with
// earlier versions: they must stay exactly as they are.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"
#include "platform/SystemParameters.h"
#include "tabrix/app/SharedSettingsSink.h"
#include "tabrix/calibration/CalibrationSettings.h"
#include "tabrix/driverlink/OsType.h"

namespace kv {

enum class SettingId : uint32_t {
  SELECT_LANGUAGE,
  WAIT_SERVICE_TIME_OUT_SECONDS,
  LOG_SIZE,
  LOG_FILE_NAME,
  USB_PORT,
  DBL_CLICK,
  SINGLE_CLICK,
  SINGLE_CLICK_TYPE,
  DBL_CLICK_INTERVAL,
  OSD_MODE,
  PEN_BUTON,
  CALIB_DISP,
  STARTUP_CALIB_DISP,
  CALIB_SHORT_KEY,
  CALIB_EASY_KEY,
  CALIB_DIRECT_KEY_0,
  CALIB_DIRECT_KEY_1,
  CALIB_DIRECT_KEY_2,
  TABRIX_VERSION,
  INPUT_MODE,
  REGION_DETECTION,
  DISP_PASS_DLG,
  DELAY_TIME,
  ROTATION_ANGLE,
  DETAIL_RESOLUTION_X,
  DETAIL_RESOLUTION_Y,
  SCREEN_SAVER_IS_SECURE,
  COUNT
};

enum class SettingScope { PROGRAM, MODEL, DESKTOP };
enum class SettingType { DWORD, TEXT };
// Defaults that are only known at run time.
enum class SettingDefault { FIXED, BY_OS_TYPE, SCREEN_WIDTH, SCREEN_HEIGHT };

struct SettingRow {
  SettingId m_id;
  const char* m_pszName;
  SettingScope m_scope;
  SettingType m_type;
  uint32_t m_uDefault;         // DWORD rows
  const char* m_pszDefault;    // TEXT rows
  uint32_t m_uFallback;        // replaces a DWORD read as 0; 0 = none
  SettingDefault m_default;
};

class SettingsStore final : public CalibrationSettings {
 public:
  static constexpr uint32_t ABSENT_DWORD = 999999;   // a stored 999999 reads as absent
  static constexpr size_t READ_TEXT_MAX = 255;       // texts read through a 256-byte buffer
  static constexpr size_t WRITE_TEXT_MAX = 254;      // texts written from a 255-byte buffer
  static constexpr int OS_TYPE_WINDOWS_7 = OS_TYPE_WIN7;

  static const char* const MAKER_KEY;    // "SOFTWARE\KAVRO"
  static const char* const PROGRAM_KEY;  // "SOFTWARE\KAVRO\Corvane\Setting"
  static const char* const DESKTOP_KEY;  // "Control Panel\Desktop"
  static const char* const FIRST_MODEL_SUBKEY;  // the first built-in model, "\VT-R700A"

  // `shared` may be null (no shared table yet); see SetSharedTable.
  SettingsStore(Registry& registry, SystemParameters& systemParameters,
                SharedSettingsSink* shared = nullptr);

  // The value table, one row per setting, in SettingId order.
  static const SettingRow& Row(SettingId id);
  static const SettingRow* Rows(size_t* count);
  // "SleepTime" and "DelayTime" never go to the user's hive.
  static bool IsMachineOnly(const std::string& name);

  // --- Configuration, set by start-up ---
  void SetInstallerMode(bool on) { m_bInstallerMode.store(on); }
  bool InstallerMode() const { return m_bInstallerMode.load(); }
  void SetOsType(int osType) { m_iOsType.store(osType); }
  // The current model's registry subkey (with its leading backslash).
  void SetModelSubkey(const std::string& subkey);
  std::string ModelSubkey() const override;
  void SetSharedTable(SharedSettingsSink* shared) { m_pShared.store(shared); }

  std::string ModelKey() const override { return std::string(PROGRAM_KEY) + ModelSubkey(); }
  std::string KeyOf(SettingScope scope) const;

  // --- The read and write algorithms ---
  uint32_t ReadDword(const std::string& key, const std::string& name, uint32_t defaultValue);
  std::string ReadString(const std::string& key, const std::string& name,
                         const std::string& defaultValue) override;
  void WriteDword(const std::string& key, const std::string& name, uint32_t value);
  void WriteString(const std::string& key, const std::string& name,
                   const std::string& value) override;

  // A row read with its default and fallback, without side effects (screen-size defaults
  // need the current screen size).
  uint32_t GetDword(SettingId id, uint32_t screenWidth = 0, uint32_t screenHeight = 0);
  std::string GetText(SettingId id);
  void SetDword(SettingId id, uint32_t value);
  void SetText(SettingId id, const std::string& value);
  uint32_t DefaultDword(SettingId id, uint32_t screenWidth = 0, uint32_t screenHeight = 0) const;

  // Creates the maker key in both hives (every start).
  // userHive false: the machine hive only (an installer run leaves the installing
  // account's own hive alone).
  void CreateMakerKey(bool userHive = true);

  // --- One getter and setter per row ---
  std::string GetSelectLanguage() { return GetText(SettingId::SELECT_LANGUAGE); }
  void SetSelectLanguage(const std::string& v) { SetText(SettingId::SELECT_LANGUAGE, v); }
  uint32_t GetWaitServiceTimeOutSeconds() { return GetDword(SettingId::WAIT_SERVICE_TIME_OUT_SECONDS); }
  void SetWaitServiceTimeOutSeconds(uint32_t v) { SetDword(SettingId::WAIT_SERVICE_TIME_OUT_SECONDS, v); }
  uint32_t GetLogSize() { return GetDword(SettingId::LOG_SIZE); }
  void SetLogSize(uint32_t v) { SetDword(SettingId::LOG_SIZE, v); }
  std::string GetLogFileName() { return GetText(SettingId::LOG_FILE_NAME); }
  void SetLogFileName(const std::string& v) { SetText(SettingId::LOG_FILE_NAME, v); }
  // The size to start the memory log with: 0 (off) without a log file name, else "LogSize"
  // KiB, at least 16.
  uint64_t MemoryLogBytes();

  uint32_t GetUsbPort() { return GetDword(SettingId::USB_PORT); }
  void SetUsbPort(uint32_t v) { SetDword(SettingId::USB_PORT, v); }
  // Applies the double-click rectangle (32 when 0) to the system.
  uint32_t GetDblClick();
  void SetDblClick(uint32_t v);
  uint32_t GetSingleClick() { return GetDword(SettingId::SINGLE_CLICK); }
  void SetSingleClick(uint32_t v) { SetDword(SettingId::SINGLE_CLICK, v); }
  // Sets the drag rectangle to the click range, kept in the profile and announced.
  void ApplyClickRange(uint32_t pixels);
  // Copies the value into the shared driver table.
  uint32_t GetSingleClickType();
  void SetSingleClickType(uint32_t v);
  // Applies the double-click time (500 when 0) to the system.
  uint32_t GetDblClickInterval();
  void SetDblClickInterval(uint32_t v);
  // The screen-size preset; -1 = none.
  int32_t GetOsdMode() override { return static_cast<int32_t>(GetDword(SettingId::OSD_MODE)); }
  void SetOsdMode(int32_t v) override { SetDword(SettingId::OSD_MODE, static_cast<uint32_t>(v)); }
  uint32_t GetPenButon() { return GetDword(SettingId::PEN_BUTON); }
  void SetPenButon(uint32_t v) { SetDword(SettingId::PEN_BUTON, v); }
  // Copies the value into the shared driver table.
  uint32_t GetCalibDisp();
  void SetCalibDisp(uint32_t v);
  uint32_t GetStartupCalibDisp() { return GetDword(SettingId::STARTUP_CALIB_DISP); }
  void SetStartupCalibDisp(uint32_t v) { SetDword(SettingId::STARTUP_CALIB_DISP, v); }
  std::string GetCalibShortKey() { return GetText(SettingId::CALIB_SHORT_KEY); }
  void SetCalibShortKey(const std::string& v) { SetText(SettingId::CALIB_SHORT_KEY, v); }
  std::string GetCalibEasyKey() { return GetText(SettingId::CALIB_EASY_KEY); }
  void SetCalibEasyKey(const std::string& v) { SetText(SettingId::CALIB_EASY_KEY, v); }
  // n = 0, 1, 2; "" for any other n.
  std::string GetCalibDirectKey(int n);
  void SetCalibDirectKey(int n, const std::string& v);
  std::string GetTabrixVersion() { return GetText(SettingId::TABRIX_VERSION); }
  void SetTabrixVersion(const std::string& v) { SetText(SettingId::TABRIX_VERSION, v); }
  uint32_t GetInputMode() { return GetDword(SettingId::INPUT_MODE); }
  void SetInputMode(uint32_t v) { SetDword(SettingId::INPUT_MODE, v); }
  uint32_t GetRegionDetection() { return GetDword(SettingId::REGION_DETECTION); }
  void SetRegionDetection(uint32_t v) { SetDword(SettingId::REGION_DETECTION, v); }
  uint32_t GetDispPassDlg() { return GetDword(SettingId::DISP_PASS_DLG); }
  void SetDispPassDlg(uint32_t v) { SetDword(SettingId::DISP_PASS_DLG, v); }
  uint32_t GetDelayTime() { return GetDword(SettingId::DELAY_TIME); }
  void SetDelayTime(uint32_t v) { SetDword(SettingId::DELAY_TIME, v); }
  uint32_t GetRotationAngle() { return GetDword(SettingId::ROTATION_ANGLE); }
  void SetRotationAngle(uint32_t v) { SetDword(SettingId::ROTATION_ANGLE, v); }
  // ("DetailResolutionX", "DetailResolutionY"), the current screen size by default.
  std::pair<uint32_t, uint32_t> GetResolution(uint32_t screenWidth,
                                              uint32_t screenHeight) override;
  void SetResolution(uint32_t width, uint32_t height) override;
  // True exactly when the stored text is "1".
  bool GetScreenSaverIsSecure() { return GetText(SettingId::SCREEN_SAVER_IS_SECURE) == "1"; }
  void SetScreenSaverIsSecure(bool on) { SetText(SettingId::SCREEN_SAVER_IS_SECURE, on ? "1" : "0"); }

  // The virtual-key code of Ctrl+Shift hot key `index`: 0 "CalibShortKey", 1 "CalibEasyKey",
  // 2 to 4 "CalibDirectKey0" to "CalibDirectKey2"; 0 = no key.
  uint32_t HotKeyCode(int index);
  // Upper-cased; "F1" to "F12" give 112 to 123, other text the code of its first
  // character, "" gives 0.
  static uint32_t KeyCodeFromText(const std::string& text);

  // Writes the defaults of a fresh installation for every model, given by its subkey; the
  // current model is the same afterwards as before.
  void WriteFreshInstallDefaults(const std::vector<std::string>& modelSubkeys);

 private:
  std::string KeyOfRow(const SettingRow& row) const;
  void ApplyParameter(SystemParameter parameter, uint32_t value, uint32_t flags);

  Registry& m_registry;
  SystemParameters& m_systemParameters;
  std::atomic<SharedSettingsSink*> m_pShared;
  std::atomic<bool> m_bInstallerMode{false};
  std::atomic<int> m_iOsType{OS_TYPE_WINDOWS_7};
  // The button-watch thread reads settings while start-up may switch the model.
  mutable std::mutex m_modelLock;
  std::string m_sModelSubkey;
};

}  // namespace kv
