#include "tabrix/ui/AboutDlg.h"

#include "resources/TextFormat.h"

namespace kv {

CAboutDlg::CAboutDlg(const CStringTable& strings, const CVersionResource& version)
    : m_sCaption(strings.Get(CAPTION_ID)) {
  std::string name, number;
  version.Query("ProductName", &name);
  version.Query("ProductVersion", &number);
  version.Query("LegalCopyright", &m_sCopyright);
  m_sVersionLine = CTextFormat::Printf(strings.Get(VERSION_FORMAT_ID), {name, number});
}

}  // namespace kv
