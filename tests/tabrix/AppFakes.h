#pragma once
// Stand-ins for the desktop the tray program's logic talks to: a service manager, a
// process launcher, message boxes, windows, the views and the main window's view. Each
// records what it was asked and answers as the test says.
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/Beeper.h"
#include "platform/HotKeys.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessLauncher.h"
#include "platform/ServiceControl.h"
#include "platform/ServiceStatusReporter.h"
#include "platform/WindowSystem.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/app/CalibrationWnd.h"
#include "tabrix/app/MainWindowView.h"

namespace kv::test {

class CFakeServiceControl final : public ServiceControl {
 public:
  uint32_t OpenManager() override { return m_uManager; }
  uint32_t OpenService(const std::string&) override { return m_uService; }
  uint32_t QueryStatus(const std::string&, uint32_t* state) override {
    *state = m_uState;
    return m_uQuery;
  }
  uint32_t m_uManager = 0, m_uService = 0, m_uQuery = 0;
  uint32_t m_uState = SERVICE_STATE_RUNNING;
};

class CFakeProcessLauncher final : public ProcessLauncher {
 public:
  uint32_t Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                   ProcessHandle* process) override {
    m_runs.push_back(verb + " " + file);
    m_parameters.push_back(parameters);
    if (m_uExecuteError != 0) return m_uExecuteError;
    *process = static_cast<ProcessHandle>(m_runs.size());
    return 0;
  }
  uint32_t Wait(ProcessHandle, int timeoutMs) override {
    return (timeoutMs == 0 && m_bStillRunning) ? WAIT_RESULT_TIMEOUT : WAIT_RESULT_SIGNALLED;
  }
  void Close(ProcessHandle) override {}
  bool ProgramExists(const std::string& file) override { return m_present.count(file) != 0; }
  std::vector<std::string> m_runs, m_parameters;
  uint32_t m_uExecuteError = 0;
  std::map<std::string, bool> m_present;
  bool m_bStillRunning = false;
};

class CFakeMessageBoxes final : public MessageBoxes {
 public:
  int Show(const std::string& text, const std::string& caption, uint32_t flags) override {
    m_shown.push_back({text, caption, flags});
    if (m_answers.empty()) return (flags & 0xF) == MBF_YES_NO ? MBR_NO : MBR_OK;
    int a = m_answers.front();
    m_answers.pop_front();
    return a;
  }
  struct Box {
    std::string m_sText, m_sCaption;
    uint32_t m_uFlags;
  };
  std::vector<Box> m_shown;
  std::deque<int> m_answers;
};

class CFakeWindowSystem final : public WindowSystem {
 public:
  bool Available() override { return true; }
  WindowId FindWindow(const std::string*, const std::string* name) override {
    auto it = name ? m_byName.find(*name) : m_byName.end();
    return it == m_byName.end() ? 0 : it->second;
  }
  std::vector<WindowId> WindowsOfProcess(uint32_t pid) override {
    return m_byProcess.count(pid) ? m_byProcess[pid] : std::vector<WindowId>{};
  }
  bool SetForeground(WindowId w) override {
    m_foreground.push_back(w);
    return true;
  }
  bool PostMessage(WindowId w, uint32_t message, uint64_t, int64_t) override {
    m_posted.push_back({w, message});
    return true;
  }
  std::string WindowText(WindowId) override { return {}; }
  bool SetWindowText(WindowId, const std::string&) override { return true; }
  bool SetWindowClass(WindowId, const std::string&) override { return true; }
  std::map<std::string, WindowId> m_byName;
  std::map<uint32_t, std::vector<WindowId>> m_byProcess;
  std::vector<WindowId> m_foreground;
  std::vector<std::pair<WindowId, uint32_t>> m_posted;
};

class CFakeHotKeys final : public HotKeys {
 public:
  bool Register(int id, uint32_t vk) override {
    if (m_taken.count(vk)) return false;
    m_registered[id] = vk;
    return true;
  }
  void Unregister(int id) override { m_registered.erase(id); }
  int Descriptor() const override { return -1; }
  std::vector<int> ReadPressed() override { return {}; }
  std::map<int, uint32_t> m_registered;
  std::map<uint32_t, bool> m_taken;
};

class CFakeBeeper final : public Beeper {
 public:
  void Beep(uint32_t type) override { m_beeps.push_back(type); }
  std::vector<uint32_t> m_beeps;
};

class CFakeChangeDisplayView final : public ChangeDisplayView {
 public:
  void SetText(const std::string& text) override { m_sText = text; }
  void Show() override {
    m_bVisible = true;
    ++m_iShows;
  }
  void Hide() override { m_bVisible = false; }
  void StartTimer(uint32_t id, uint32_t ms) override {
    m_timers[id] = ms;
    ++m_starts[id];
  }
  void StopTimer(uint32_t id) override { m_timers.erase(id); }
  bool Running(uint32_t id) const { return m_timers.count(id) != 0; }
  std::string m_sText;
  bool m_bVisible = false;
  int m_iShows = 0;
  std::map<uint32_t, uint32_t> m_timers, m_starts;
};

class CFakeMainWindowView final : public MainWindowView {
 public:
  ChangeDisplayView* DisplayChangeView() override { return &m_notice; }
  CFakeChangeDisplayView m_notice;
  bool AddTrayIcon(uint32_t icon, const std::string& tip) override {
    m_icons.push_back(icon);
    m_sTip = tip;
    return m_bTrayReady;
  }
  bool ModifyTrayIcon(uint32_t icon, const std::string& tip) override {
    return AddTrayIcon(icon, tip);
  }
  void DeleteTrayIcon() override { m_bDeleted = true; }
  void StartTimer(uint32_t id, uint32_t ms) override { m_timers[id] = ms; }
  void StopTimer(uint32_t id) override { m_timers.erase(id); }
  void SetCommandWindowText(const std::string& text) override { m_sCommand = text; }
  void Quit() override { m_bQuit = true; }
  void PostCommand(uint32_t id) override { m_posted.push_back(id); }
  uint32_t ShowMenu(const std::vector<TrayMenuItem>& items) override {
    m_menus.push_back(items);
    return m_uChoice;
  }
  std::vector<std::vector<TrayMenuItem>> m_menus;
  uint32_t m_uChoice = 0;
  bool m_bTrayReady = true;
  std::vector<uint32_t> m_icons, m_posted;
  std::string m_sTip, m_sCommand;
  std::map<uint32_t, uint32_t> m_timers;
  bool m_bDeleted = false, m_bQuit = false;
};

class CFakeAppViews final : public AppViews {
 public:
  int AskReleasePassword(bool* dontShowAgain) override {
    ++m_iAsked;
    *dontShowAgain = m_bTick;
    return m_iAnswer;
  }
  // The first icon add comes with the event loop, after start-up: FireFirstAdd.
  bool CreateMainWindow(CCalibrationWnd& window) override {
    m_pWindow = &window;
    window.OnCreate(m_view);
    return true;
  }
  void FireFirstAdd() {
    if (m_pWindow) m_pWindow->OnTimer(CCalibrationWnd::TIMER_FIRST_ADD);
  }
  void ShowStartGuide(int mode) override { m_guides.push_back(mode); }
  void ShowGuideMessage(const std::string& text, bool) override { m_messages.push_back(text); }
  void ShowAbout() override { ++m_iAbout; }
  bool ShowProperties() override {
    ++m_iProperties;
    return m_bPropertiesOk;
  }
  void ShowTestDisplay() override { ++m_iTestDisplay; }
  void EnableServiceModeButton(bool enabled) override { m_serviceButton.push_back(enabled); }
  bool RunCalibrationSelection(SelectionResult* result) override {
    ++m_iCalibration;
    if (m_pWindow) m_bSelectionSeenOpen = m_pWindow->SelectionOpen();
    *result = m_selection;
    return m_bSelectionOk;
  }
  SelectionResult m_selection;
  bool m_bSelectionOk = false, m_bSelectionSeenOpen = false;
  void ShowAutoSet(int preset) override { m_autoSets.push_back(preset); }
  std::vector<int> m_autoSets;
  int m_iAbout = 0, m_iProperties = 0, m_iTestDisplay = 0, m_iCalibration = 0;
  bool m_bPropertiesOk = true;
  std::vector<bool> m_serviceButton;
  int m_iAsked = 0, m_iAnswer = MBR_NO;
  bool m_bTick = false;
  CCalibrationWnd* m_pWindow = nullptr;
  CFakeMainWindowView m_view;
  std::vector<int> m_guides;
  std::vector<std::string> m_messages;
};

}  // namespace kv::test
