#pragma once
// The Ctrl+Shift hot keys: 0 opens the calibration selection, 1 steps through the
// screen-size presets (easy calibration), 2 to 4 apply preset 0 to 2 directly. Keys held
// by another program are reported at start and left out.
#include <cstdint>
#include <string>

#include "platform/HotKeys.h"
#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/app/CalibrationWnd.h"

namespace kv {

class CHotKeyDispatcher {
 public:
  static constexpr int ID_SELECTION = 0, ID_EASY = 1, ID_DIRECT_FIRST = 2, ID_COUNT = 5;
  static constexpr uint32_t SHORT_KEY_FAILED_ID = 57711;
  static constexpr uint32_t EASY_KEY_FAILED_ID = 57738;
  static constexpr uint32_t DIRECT_KEY_FAILED_ID = 57741;
  static constexpr uint32_t KEY_NAME_ID = 57709;  // "CTRL + SHIFT + %1"

  CHotKeyDispatcher(CAppShell& shell, AppViews& views, CCalibrationWnd& window, HotKeys& keys)
      : m_shell(shell), m_views(views), m_window(window), m_keys(keys) {}

  // Registers ids 0 to 4 from the settings; a key that is taken gets its message.
  void RegisterAll();
  void UnregisterAll();
  bool Register(int id);
  void Unregister(int id) { m_keys.Unregister(id); }
  // WM_HOTKEY.
  void OnHotKey(int id);
  void EasyCalibration();
  void DirectPreset(int preset);
  int RotatingIndex() const { return m_iRotating; }
  // A new resolution starts the easy-change cycle at WIDE again.
  void ResetRotating() { m_iRotating = 0; }

  // "F01".."F12" for 112..123, else the key's own character.
  static std::string KeyName(uint32_t virtualKey);

 private:
  bool MayChangePreset();
  bool SendPreset(int preset);
  void ShowAutoSet(int preset);

  CAppShell& m_shell;
  AppViews& m_views;
  CCalibrationWnd& m_window;
  HotKeys& m_keys;
  int m_iRotating = 0;
};

}  // namespace kv
