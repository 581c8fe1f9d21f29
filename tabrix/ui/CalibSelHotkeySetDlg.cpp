#include "tabrix/ui/CalibSelHotkeySetDlg.h"

#include "tabrix/app/HotKeyDispatcher.h"
#include "tabrix/driverlink/OsType.h"

namespace kv {

void CCalibSelHotkeySetDlg::Open() {
  m_candidates.clear();
  m_iSelected = -1;
  HotKeys& system = m_shell.Services().m_hotKeys;
  m_keys.Unregister(m_iHotKey);
  const uint32_t current = m_shell.Settings().HotKeyCode(m_iHotKey);
  if (m_shell.Services().m_iOsType >= OS_TYPE_WIN2000) {
    for (const char* c = CANDIDATES; *c; ++c) {
      if (!system.Register(m_iHotKey, static_cast<uint32_t>(*c))) continue;
      system.Unregister(m_iHotKey);
      if (static_cast<uint32_t>(*c) == current) m_iSelected = static_cast<int>(m_candidates.size());
      m_candidates.push_back(*c);
    }
  }
  m_keys.Register(m_iHotKey);
}

bool CCalibSelHotkeySetDlg::Ok(int selected) {
  if (selected < 0 || selected >= static_cast<int>(m_candidates.size())) return false;
  const char key = m_candidates[static_cast<size_t>(selected)];
  m_keys.Unregister(m_iHotKey);
  if (!m_shell.Services().m_hotKeys.Register(m_iHotKey, static_cast<uint32_t>(key))) {
    // The old key must not be lost with the attempt.
    m_keys.Register(m_iHotKey);
    m_shell.Box(m_shell.Text(CHANGE_FAILED_ID), MBF_ICON_EXCLAMATION);
    return false;
  }
  SettingsStore& settings = m_shell.Settings();
  const std::string text(1, key);
  const bool selection = m_iHotKey == CHotKeyDispatcher::ID_SELECTION;
  if (selection)
    settings.SetCalibShortKey(text);
  else
    settings.SetCalibEasyKey(text);
  const std::string name = m_shell.Text(KEY_LABEL_ID, text);
  m_shell.Box(m_shell.Text(selection ? SELECT_CHANGED_ID : EASY_CHANGED_ID, name), MBF_ICON_ASTERISK);
  return true;
}

}  // namespace kv
