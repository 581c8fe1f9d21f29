#include "tabrix/app/SettingsStore.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kv {

namespace {

using S = SettingScope;
using T = SettingType;
using D = SettingDefault;

// name, key, type, default, fallback (0 = none), run-time default
constexpr SettingRow kRows[] = {
    {SettingId::SELECT_LANGUAGE, "SelectLanguage", S::PROGRAM, T::TEXT, 0, "", 0, D::FIXED},
    {SettingId::WAIT_SERVICE_TIME_OUT_SECONDS, "WaitServiceTimeOutSeconds", S::PROGRAM, T::DWORD, 300, "", 0, D::FIXED},
    {SettingId::LOG_SIZE, "LogSize", S::PROGRAM, T::DWORD, 4096, "", 0, D::FIXED},
    {SettingId::LOG_FILE_NAME, "LogFileName", S::PROGRAM, T::TEXT, 0, "", 0, D::FIXED},
    {SettingId::USB_PORT, "USBPort", S::MODEL, T::DWORD, 0, "", 0, D::FIXED},
    {SettingId::DBL_CLICK, "DblClick", S::MODEL, T::DWORD, 0, "", 32, D::FIXED},
    {SettingId::SINGLE_CLICK, "SingleClick", S::MODEL, T::DWORD, 0, "", 16, D::FIXED},
    {SettingId::SINGLE_CLICK_TYPE, "SingleClickType", S::MODEL, T::DWORD, 0, "", 0, D::FIXED},
    {SettingId::DBL_CLICK_INTERVAL, "DblClickInterval", S::MODEL, T::DWORD, 0, "", 500, D::FIXED},
    {SettingId::OSD_MODE, "OSDmode", S::MODEL, T::DWORD, 0, "", 0, D::FIXED},
    {SettingId::PEN_BUTON, "PenButon", S::MODEL, T::DWORD, 257, "", 0, D::FIXED},
    {SettingId::CALIB_DISP, "CalibDisp", S::MODEL, T::DWORD, 1, "", 0, D::FIXED},
    {SettingId::STARTUP_CALIB_DISP, "StartupCalibDisp", S::MODEL, T::DWORD, 1, "", 0, D::FIXED},
    {SettingId::CALIB_SHORT_KEY, "CalibShortKey", S::MODEL, T::TEXT, 0, "D", 0, D::FIXED},
    {SettingId::CALIB_EASY_KEY, "CalibEasyKey", S::MODEL, T::TEXT, 0, "S", 0, D::FIXED},
    {SettingId::CALIB_DIRECT_KEY_0, "CalibDirectKey0", S::MODEL, T::TEXT, 0, "", 0, D::FIXED},
    {SettingId::CALIB_DIRECT_KEY_1, "CalibDirectKey1", S::MODEL, T::TEXT, 0, "", 0, D::FIXED},
    {SettingId::CALIB_DIRECT_KEY_2, "CalibDirectKey2", S::MODEL, T::TEXT, 0, "", 0, D::FIXED},
    {SettingId::TABRIX_VERSION, "TabrixVersion", S::MODEL, T::TEXT, 0, "", 0, D::FIXED},
    {SettingId::INPUT_MODE, "InputMode", S::MODEL, T::DWORD, 32, "", 0, D::BY_OS_TYPE},
    {SettingId::REGION_DETECTION, "RegionDetection", S::MODEL, T::DWORD, 1, "", 0, D::FIXED},
    {SettingId::DISP_PASS_DLG, "DispPassDlg", S::MODEL, T::DWORD, 1, "", 0, D::FIXED},
    {SettingId::DELAY_TIME, "DelayTime", S::MODEL, T::DWORD, 0, "", 0, D::FIXED},
    {SettingId::ROTATION_ANGLE, "RotationAngle", S::MODEL, T::DWORD, 0, "", 0, D::FIXED},
    {SettingId::DETAIL_RESOLUTION_X, "DetailResolutionX", S::MODEL, T::DWORD, 0, "", 0, D::SCREEN_WIDTH},
    {SettingId::DETAIL_RESOLUTION_Y, "DetailResolutionY", S::MODEL, T::DWORD, 0, "", 0, D::SCREEN_HEIGHT},
    {SettingId::SCREEN_SAVER_IS_SECURE, "ScreenSaverIsSecure", S::DESKTOP, T::TEXT, 0, "0", 0, D::FIXED},
};
static_assert(sizeof kRows / sizeof kRows[0] == static_cast<size_t>(SettingId::COUNT));

constexpr bool RowsInIdOrder() {
  for (size_t i = 0; i < sizeof kRows / sizeof kRows[0]; ++i) {
    if (static_cast<size_t>(kRows[i].m_id) != i) return false;
  }
  return true;
}
static_assert(RowsInIdOrder(), "the value table must be in SettingId order");

constexpr uint32_t kInputModeBeforeWindows7 = 0;

bool EqualNoCase(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// A stored text as a 256-byte read buffer would hold it: cut at a stored terminator (some
// tools store one) and at 255 characters.
std::string AsRead(std::string text) {
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  if (text.size() > SettingsStore::READ_TEXT_MAX) text.resize(SettingsStore::READ_TEXT_MAX);
  return text;
}

}  // namespace

const char* const SettingsStore::MAKER_KEY = "SOFTWARE\\KAVRO";
const char* const SettingsStore::PROGRAM_KEY = "SOFTWARE\\KAVRO\\Corvane\\Setting";
const char* const SettingsStore::DESKTOP_KEY = "Control Panel\\Desktop";
const char* const SettingsStore::FIRST_MODEL_SUBKEY = "\\VT-R700A";

SettingsStore::SettingsStore(Registry& registry, SystemParameters& systemParameters,
                             SharedSettingsSink* shared)
    : m_registry(registry),
      m_systemParameters(systemParameters),
      m_pShared(shared),
      m_sModelSubkey(FIRST_MODEL_SUBKEY) {}

const SettingRow& SettingsStore::Row(SettingId id) {
  size_t i = static_cast<size_t>(id);
  if (i >= sizeof kRows / sizeof kRows[0]) i = 0;
  return kRows[i];
}

const SettingRow* SettingsStore::Rows(size_t* count) {
  if (count) *count = sizeof kRows / sizeof kRows[0];
  return kRows;
}

bool SettingsStore::IsMachineOnly(const std::string& name) {
  return EqualNoCase(name, "SleepTime") || EqualNoCase(name, "DelayTime");
}

void SettingsStore::SetModelSubkey(const std::string& subkey) {
  std::lock_guard<std::mutex> guard(m_modelLock);
  m_sModelSubkey = subkey;
}

std::string SettingsStore::ModelSubkey() const {
  std::lock_guard<std::mutex> guard(m_modelLock);
  return m_sModelSubkey;
}

std::string SettingsStore::KeyOf(SettingScope scope) const {
  switch (scope) {
    case SettingScope::PROGRAM:
      return PROGRAM_KEY;
    case SettingScope::MODEL:
      return ModelKey();
    case SettingScope::DESKTOP:
      return DESKTOP_KEY;
  }
  return PROGRAM_KEY;
}

std::string SettingsStore::KeyOfRow(const SettingRow& row) const { return KeyOf(row.m_scope); }

uint32_t SettingsStore::ReadDword(const std::string& key, const std::string& name,
                                  uint32_t defaultValue) {
  // The user's copy shadows the machine's; a stored sentinel or a value of another type
  // counts as absent in that hive.
  for (RegistryHive hive : {RegistryHive::CURRENT_USER, RegistryHive::LOCAL_MACHINE}) {
    uint32_t value = ABSENT_DWORD;
    if (m_registry.QueryDword(hive, key, name, &value) == 0 && value != ABSENT_DWORD) return value;
  }
  return defaultValue;
}

std::string SettingsStore::ReadString(const std::string& key, const std::string& name,
                                      const std::string& defaultValue) {
  for (RegistryHive hive : {RegistryHive::CURRENT_USER, RegistryHive::LOCAL_MACHINE}) {
    std::string value;
    if (m_registry.QueryString(hive, key, name, &value) != 0) continue;
    value = AsRead(std::move(value));
    if (!value.empty()) return value;
  }
  return defaultValue;
}

void SettingsStore::WriteDword(const std::string& key, const std::string& name, uint32_t value) {
  // No registry error is reported: a hive that cannot be written is skipped.
  m_registry.SetDword(RegistryHive::LOCAL_MACHINE, key, name, value);
  if (!IsMachineOnly(name) && !InstallerMode())
    m_registry.SetDword(RegistryHive::CURRENT_USER, key, name, value);
}

void SettingsStore::WriteString(const std::string& key, const std::string& name,
                                const std::string& value) {
  std::string text = value.substr(0, std::min(value.find('\0'), WRITE_TEXT_MAX));
  m_registry.SetString(RegistryHive::LOCAL_MACHINE, key, name, text);
  if (!IsMachineOnly(name) && !InstallerMode())
    m_registry.SetString(RegistryHive::CURRENT_USER, key, name, text);
}

uint32_t SettingsStore::DefaultDword(SettingId id, uint32_t screenWidth, uint32_t screenHeight) const {
  const SettingRow& row = Row(id);
  switch (row.m_default) {
    case SettingDefault::FIXED:
      return row.m_uDefault;
    case SettingDefault::BY_OS_TYPE:
      return m_iOsType.load() < OS_TYPE_WINDOWS_7 ? kInputModeBeforeWindows7 : row.m_uDefault;
    case SettingDefault::SCREEN_WIDTH:
      return screenWidth;
    case SettingDefault::SCREEN_HEIGHT:
      return screenHeight;
  }
  return row.m_uDefault;
}

uint32_t SettingsStore::GetDword(SettingId id, uint32_t screenWidth, uint32_t screenHeight) {
  const SettingRow& row = Row(id);
  uint32_t value = ReadDword(KeyOfRow(row), row.m_pszName, DefaultDword(id, screenWidth, screenHeight));
  if (value == 0 && row.m_uFallback != 0) value = row.m_uFallback;
  return value;
}

std::string SettingsStore::GetText(SettingId id) {
  const SettingRow& row = Row(id);
  return ReadString(KeyOfRow(row), row.m_pszName, row.m_pszDefault);
}

void SettingsStore::SetDword(SettingId id, uint32_t value) {
  const SettingRow& row = Row(id);
  WriteDword(KeyOfRow(row), row.m_pszName, value);
}

void SettingsStore::SetText(SettingId id, const std::string& value) {
  const SettingRow& row = Row(id);
  WriteString(KeyOfRow(row), row.m_pszName, value);
}

void SettingsStore::CreateMakerKey(bool userHive) {
  m_registry.CreateKey(RegistryHive::LOCAL_MACHINE, MAKER_KEY);
  if (userHive) m_registry.CreateKey(RegistryHive::CURRENT_USER, MAKER_KEY);
}

uint64_t SettingsStore::MemoryLogBytes() {
  if (GetLogFileName().empty()) return 0;
  uint64_t kib = GetLogSize();
  if (kib < 16) kib = 16;
  return kib * 1024;
}

void SettingsStore::ApplyParameter(SystemParameter parameter, uint32_t value, uint32_t flags) {
  m_systemParameters.Set(parameter, value, flags);
}

uint32_t SettingsStore::GetDblClick() {
  uint32_t v = GetDword(SettingId::DBL_CLICK);
  ApplyParameter(SystemParameter::DOUBLE_CLICK_HEIGHT, v, SPIF_SEND_CHANGE);
  ApplyParameter(SystemParameter::DOUBLE_CLICK_WIDTH, v, SPIF_SEND_CHANGE);
  return v;
}

void SettingsStore::SetDblClick(uint32_t v) {
  // Apply what the getter will apply: a 0 would otherwise shrink the rectangle to nothing.
  uint32_t applied = v != 0 ? v : Row(SettingId::DBL_CLICK).m_uFallback;
  ApplyParameter(SystemParameter::DOUBLE_CLICK_HEIGHT, applied, SPIF_SEND_CHANGE);
  ApplyParameter(SystemParameter::DOUBLE_CLICK_WIDTH, applied, SPIF_SEND_CHANGE);
  SetDword(SettingId::DBL_CLICK, v);
}

void SettingsStore::ApplyClickRange(uint32_t pixels) {
  ApplyParameter(SystemParameter::DRAG_HEIGHT, pixels, SPIF_UPDATE_INI_FILE | SPIF_SEND_CHANGE);
  ApplyParameter(SystemParameter::DRAG_WIDTH, pixels, SPIF_UPDATE_INI_FILE | SPIF_SEND_CHANGE);
}

uint32_t SettingsStore::GetSingleClickType() {
  uint32_t v = GetDword(SettingId::SINGLE_CLICK_TYPE);
  if (SharedSettingsSink* shared = m_pShared.load()) shared->SetSingleClickType(v);
  return v;
}

void SettingsStore::SetSingleClickType(uint32_t v) {
  SetDword(SettingId::SINGLE_CLICK_TYPE, v);
  if (SharedSettingsSink* shared = m_pShared.load()) shared->SetSingleClickType(v);
}

uint32_t SettingsStore::GetDblClickInterval() {
  uint32_t v = GetDword(SettingId::DBL_CLICK_INTERVAL);
  ApplyParameter(SystemParameter::DOUBLE_CLICK_TIME, v, SPIF_SEND_CHANGE);
  return v;
}

void SettingsStore::SetDblClickInterval(uint32_t v) {
  uint32_t applied = v != 0 ? v : Row(SettingId::DBL_CLICK_INTERVAL).m_uFallback;
  ApplyParameter(SystemParameter::DOUBLE_CLICK_TIME, applied, SPIF_SEND_CHANGE);
  SetDword(SettingId::DBL_CLICK_INTERVAL, v);
}

uint32_t SettingsStore::GetCalibDisp() {
  uint32_t v = GetDword(SettingId::CALIB_DISP);
  if (SharedSettingsSink* shared = m_pShared.load()) shared->SetCalibDisp(v);
  return v;
}

void SettingsStore::SetCalibDisp(uint32_t v) {
  SetDword(SettingId::CALIB_DISP, v);
  if (SharedSettingsSink* shared = m_pShared.load()) shared->SetCalibDisp(v);
}

namespace {
SettingId DirectKeyId(int n) {
  return static_cast<SettingId>(static_cast<uint32_t>(SettingId::CALIB_DIRECT_KEY_0) +
                                static_cast<uint32_t>(n));
}
}  // namespace

std::string SettingsStore::GetCalibDirectKey(int n) {
  if (n < 0 || n > 2) return "";
  return GetText(DirectKeyId(n));
}

void SettingsStore::SetCalibDirectKey(int n, const std::string& v) {
  if (n < 0 || n > 2) return;
  SetText(DirectKeyId(n), v);
}

std::pair<uint32_t, uint32_t> SettingsStore::GetResolution(uint32_t screenWidth, uint32_t screenHeight) {
  return {GetDword(SettingId::DETAIL_RESOLUTION_X, screenWidth, screenHeight),
          GetDword(SettingId::DETAIL_RESOLUTION_Y, screenWidth, screenHeight)};
}

void SettingsStore::SetResolution(uint32_t width, uint32_t height) {
  SetDword(SettingId::DETAIL_RESOLUTION_X, width);
  SetDword(SettingId::DETAIL_RESOLUTION_Y, height);
}

uint32_t SettingsStore::KeyCodeFromText(const std::string& text) {
  if (text.empty()) return 0;
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kFunctionKeys[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                              "F7", "F8", "F9", "F10", "F11", "F12"};
  for (uint32_t i = 0; i < 12; ++i) {
    if (upper == kFunctionKeys[i]) return 112 + i;
  }
  return static_cast<unsigned char>(upper[0]);
}

uint32_t SettingsStore::HotKeyCode(int index) {
  switch (index) {
    case 0:
      return KeyCodeFromText(GetCalibShortKey());
    case 1:
      return KeyCodeFromText(GetCalibEasyKey());
    case 2:
    case 3:
    case 4:
      return KeyCodeFromText(GetCalibDirectKey(index - 2));
    default:
      return 0;
  }
}

void SettingsStore::WriteFreshInstallDefaults(const std::vector<std::string>& modelSubkeys) {
  const std::string previous = ModelSubkey();
  const uint32_t inputMode = DefaultDword(SettingId::INPUT_MODE);
  for (const std::string& subkey : modelSubkeys) {
    SetModelSubkey(subkey);
    SetUsbPort(1);
    SetStartupCalibDisp(1);
    SetPenButon(257);
    SetDword(SettingId::CALIB_DISP, 1);
    SetRotationAngle(0);
    SetInputMode(inputMode);
    SetRegionDetection(1);
  }
  SetModelSubkey(previous);
}

}  // namespace kv
