#pragma once
// What the sensor tool decides before any window opens: its start arguments, the settings
// file beside the program, the single-instance mutex and the captions that depend on the
// start switch.
#include <string>
#include <vector>

#include "optrim/device/StartArguments.h"
#include "platform/NamedMutex.h"
#include "platform/Paths.h"
#include "resources/StringTable.h"

namespace kv {

class CTevraStart {
 public:
  static constexpr const char* MUTEX_NAME = "Tevra Application";

  CTevraStart(const std::vector<std::string>& args, const std::string& programDirectory);

  const StartArguments& Args() const { return m_args; }
  const std::string& SettingsPath() const { return m_sSettingsPath; }
  // True when this process now owns the mutex; false when another instance runs.
  bool AcquireInstance(const CPaths& paths);
  void ReleaseInstance() { m_mutex.Close(); }
  // Caption of the box shown when no sensor answers: the calibration the switch asked
  // for (its point count from the settings file), or the program's caption.
  std::string ConnectFailureCaption(const CStringTable& strings) const;

 private:
  StartArguments m_args;
  std::string m_sSettingsPath;
  CNamedMutex m_mutex;
};

}  // namespace kv
