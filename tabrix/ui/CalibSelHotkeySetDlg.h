#pragma once
// Changing one calibration hot key (0: the selection key "CalibShortKey", 1: the easy-change
// key "CalibEasyKey"). The list offers exactly the keys no other program holds right now:
// each candidate is tried by registering it, as nothing else can tell.
#include <cstdint>
#include <string>
#include <vector>

#include "tabrix/app/AppShell.h"

namespace kv {

class CHotKeyDispatcher;

class CCalibSelHotkeySetDlg {
 public:
  static constexpr uint32_t CHANGE_FAILED_ID = 57708;
  static constexpr uint32_t SELECT_CHANGED_ID = 57707;
  static constexpr uint32_t EASY_CHANGED_ID = 57739;
  static constexpr uint32_t KEY_LABEL_ID = 57709;
  static constexpr const char* CANDIDATES = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890";

  CCalibSelHotkeySetDlg(CAppShell& shell, CHotKeyDispatcher& keys, int hotKey)
      : m_shell(shell), m_keys(keys), m_iHotKey(hotKey) {}

  // Builds the list; the current key is offered too, since it is let go while probing.
  void Open();
  const std::vector<char>& Candidates() const { return m_candidates; }
  int Selected() const { return m_iSelected; }
  // OK with the list's selection (-1: none, the dialog stays). True when the new key is
  // registered and stored; false keeps the dialog open.
  bool Ok(int selected);

 private:
  CAppShell& m_shell;
  CHotKeyDispatcher& m_keys;
  int m_iHotKey;
  std::vector<char> m_candidates;
  int m_iSelected = -1;
};

}  // namespace kv
