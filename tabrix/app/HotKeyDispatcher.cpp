#include "tabrix/app/HotKeyDispatcher.h"

#include <cstdio>

#include "tabrix/app/TrayCommands.h"

namespace kv {

std::string CHotKeyDispatcher::KeyName(uint32_t vk) {
  if (vk >= 112 && vk <= 123) {
    char text[8];
    std::snprintf(text, sizeof text, "F%02u", vk - 111);
    return text;
  }
  return std::string(1, static_cast<char>(vk));
}

bool CHotKeyDispatcher::Register(int id) {
  const uint32_t vk = m_shell.Settings().HotKeyCode(id);
  return vk != 0 && m_keys.Register(id, vk);
}

void CHotKeyDispatcher::RegisterAll() {
  SettingsStore& settings = m_shell.Settings();
  auto fail = [&](const std::string& text) { m_shell.Box(text, MBF_ICON_EXCLAMATION); };
  if (!Register(ID_SELECTION)) fail(m_shell.Text(SHORT_KEY_FAILED_ID));
  if (!Register(ID_EASY)) fail(m_shell.Text(EASY_KEY_FAILED_ID));
  for (int n = 0; n < 3; ++n) {
    if (settings.GetCalibDirectKey(n).empty()) continue;
    if (Register(ID_DIRECT_FIRST + n)) continue;
    const std::string key = m_shell.Text(KEY_NAME_ID, KeyName(settings.HotKeyCode(ID_DIRECT_FIRST + n)));
    fail(m_shell.Text(DIRECT_KEY_FAILED_ID, key));
  }
}

void CHotKeyDispatcher::UnregisterAll() {
  for (int id = 0; id < ID_COUNT; ++id) m_keys.Unregister(id);
}

void CHotKeyDispatcher::OnHotKey(int id) {
  if (!m_window.DriverOn()) {
    m_shell.Services().m_beeper.Beep(MBF_ICON_EXCLAMATION);
    return;
  }
  if (id == ID_EASY)
    EasyCalibration();
  else if (id >= ID_DIRECT_FIRST && id < ID_COUNT)
    DirectPreset(id - ID_DIRECT_FIRST);
  else
    m_window.Commands().Calibration();
}

bool CHotKeyDispatcher::MayChangePreset() {
  if (m_window.DriverOn() && !m_window.Busy() && !m_window.Calibrating() &&
      !m_window.AutoSetShown())
    return true;
  m_shell.Services().m_beeper.Beep(MBF_ICON_EXCLAMATION);
  return false;
}

bool CHotKeyDispatcher::SendPreset(int preset) {
  // A panel that keeps its own calibration (1) has nothing to send.
  return m_shell.Calibration().ApplyScreenSizePreset(preset) >= 0;
}

void CHotKeyDispatcher::EasyCalibration() {
  if (!MayChangePreset()) return;
  CCalibrationStore& store = m_shell.Calibration();
  int preset = -1;
  for (int i = 0; i < 3 && preset < 0; ++i) {
    const int candidate = (m_iRotating + i) % 3;
    if (store.HasPreset(candidate)) preset = candidate;
  }
  if (preset < 0) return;
  m_iRotating = (preset + 1) % 3;
  const ScreenSizePreset previous = store.ScreenSizeMode();
  store.SetScreenSizeMode(preset);
  if (!SendPreset(preset)) {
    store.SetScreenSizeMode(previous);
    m_window.DeviceLostGuide(true);
    return;
  }
  ShowAutoSet(preset);
  store.WriteOsdMode(preset);
}

void CHotKeyDispatcher::ShowAutoSet(int preset) {
  m_window.SetAutoSetShown(true);
  m_views.ShowAutoSet(preset);
  m_window.SetAutoSetShown(false);
}

void CHotKeyDispatcher::DirectPreset(int preset) {
  if (!MayChangePreset()) return;
  CCalibrationStore& store = m_shell.Calibration();
  if (!store.HasPreset(preset)) {
    m_shell.Services().m_beeper.Beep(0);
    return;
  }
  if (!SendPreset(preset)) {
    m_window.DeviceLostGuide(true);
    return;
  }
  ShowAutoSet(preset);
  store.WriteOsdMode(preset);
}

}  // namespace kv
