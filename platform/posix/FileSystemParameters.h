#pragma once
// System parameters of one user session kept in a small text file under the session's
// run folder, so that every program of the session reads the same values. Each change
// replaces the file through a rename under a lock, so readers never see half a file.
#include <array>
#include <string>

#include "platform/Paths.h"
#include "platform/SystemParameters.h"

namespace kv {

class CFileSystemParameters final : public SystemParameters {
 public:
  explicit CFileSystemParameters(const CPaths& paths);

  uint32_t Get(SystemParameter parameter, uint32_t* value) override;
  uint32_t Set(SystemParameter parameter, uint32_t value, uint32_t flags) override;

  const std::string& FilePath() const { return m_sFile; }

  using Values = std::array<uint32_t, SYSTEM_PARAMETER_COUNT>;
  // The values a session starts with (those of a fresh Windows profile).
  static Values Defaults();
  // Parses the file text onto `values`; unknown names, bad numbers and over-long lines are
  // skipped, so a damaged file only loses the damaged lines.
  static void Parse(const std::string& text, Values* values);
  static std::string Format(const Values& values);

 private:
  uint32_t Load(Values* values) const;

  std::string m_sDir;
  std::string m_sFile;
  std::string m_sLock;
};

}  // namespace kv
