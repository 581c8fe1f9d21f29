#pragma once
// The version box: "<name> Version <version> (64bit)" and the copyright line, from the
// program's own version record (both inserted texts empty when it has none).
#include <string>

#include "platform/VersionResource.h"
#include "resources/StringTable.h"

namespace kv {

class CAboutDlg {
 public:
  static constexpr uint32_t CAPTION_ID = 61000;
  static constexpr uint32_t VERSION_FORMAT_ID = 61001;  // "%s Version %s (64bit)"

  CAboutDlg(const CStringTable& strings, const CVersionResource& version);
  const std::string& Caption() const { return m_sCaption; }
  const std::string& VersionLine() const { return m_sVersionLine; }  // text 1114
  const std::string& Copyright() const { return m_sCopyright; }       // text 1113

 private:
  std::string m_sCaption;
  std::string m_sVersionLine;
  std::string m_sCopyright;
};

}  // namespace kv
