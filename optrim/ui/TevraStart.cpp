#include "optrim/ui/TevraStart.h"

#include "optrim/device/CalibrationGenSettings.h"
#include "optrim/ui/Format.h"
#include "optrim/ui/OptrimStrings.h"

namespace kv {

CTevraStart::CTevraStart(const std::vector<std::string>& args,
                         const std::string& programDirectory)
    : m_args(ParseStartArguments(args)),
      m_sSettingsPath(SettingsFilePath(programDirectory, m_args.settingsFileName)) {}

bool CTevraStart::AcquireInstance(const CPaths& paths) {
  return m_mutex.Create(paths, MUTEX_NAME) == 0;
}

std::string CTevraStart::ConnectFailureCaption(const CStringTable& strings) const {
  if (m_args.startSwitch == "-b") return strings.Get(optrim_str::TITLE_BASIC);
  if (m_args.startSwitch != "-p") return strings.Get(optrim_str::APP_CAPTION);
  // No sensor answered, so no model default: the usual 4 by 4 unless the file says otherwise.
  CalibrationGenSettings s = DefaultCalibrationGenSettings(4, 2185);
  LoadCalibrationSettings(m_sSettingsPath, &s);
  return FormatText(strings.Get(optrim_str::TITLE_PRECISE), (s.preciseNx + 1) * (s.preciseNy + 1));
}

}  // namespace kv
