#pragma once
// The tray program's application object as a whole: the core state of CRivelleApp (models,
// shared tables, driver state, instance mutex) and what the running program keeps around
// it for its whole life: the settings, the memory log, the texts, the firmware link, the
// calibration store, the flags start-up and the main window share, and the system values
// found at start so that exit can put them back.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "resources/StringTable.h"
#include "tabrix/app/AppServices.h"
#include "tabrix/app/ButtonWatchThread.h"
#include "tabrix/app/LanguageList.h"
#include "tabrix/app/PenSoftwareLinkPoster.h"
#include "tabrix/app/RivelleApp.h"
#include "tabrix/app/SettingsStore.h"
#include "tabrix/app/SharedTableSettingsSink.h"
#include "tabrix/app/TabrixIni.h"
#include "tabrix/calibration/CalibrationStore.h"
#include "tabrix/driverlink/MemoryLog.h"
#include "tabrix/firmware/PenSoftwareLinkSender.h"
#include "tabrix/firmware/TPdrvServiceMode.h"
#include "tabrix/firmware/TrafficLog.h"

namespace kv {

// The four window names of the program: main window class and name, command window class
// and text; other pen programs find the program by them.
struct WindowNames {
  std::string m_sMainClass, m_sMainName, m_sCommandClass, m_sCommandText;
};

class CAppShell {
 public:
  static constexpr const char* SERVICE_NAME = "Pansvc";
  static constexpr uint32_t TITLE_ID = 57344;

  explicit CAppShell(AppServices& services, FirmwareLinkTimeouts firmwareWaits = {});
  ~CAppShell();
  CAppShell(const CAppShell&) = delete;
  CAppShell& operator=(const CAppShell&) = delete;

  AppServices& Services() { return m_services; }
  CRivelleApp& App() { return m_app; }
  SettingsStore& Settings() { return m_settings; }
  CMemoryLog& MemoryLog() { return m_memoryLog; }
  CCalibrationStore& Calibration() { return m_calibration; }
  PenSoftwareLinkSender& PenLink() { return m_penLink; }
  CButtonWatchThread& ButtonWatch() { return *m_pButtonWatch; }
  // Null until start-up has read Tabrix.ini (the traffic log names come from there).
  CTPdrvServiceMode* Firmware() { return m_pFirmware.get(); }
  void CreateFirmwareLink();

  const CStringTable& Strings() const { return m_strings; }
  CStringTable& Strings() { return m_strings; }
  // The application name (string 57344): caption of every box, %1 of many texts.
  std::string Title() const { return m_strings.Get(TITLE_ID); }
  // A string-table text with %1 filled in.
  std::string Text(uint32_t id, const std::string& insert = {}) const;
  // A message box with the title as caption.
  int Box(const std::string& text, uint32_t flags);

  CLanguageList& Languages() { return m_languages; }
  CTabrixIni& Ini() { return m_ini; }
  WindowNames& Names() { return m_names; }
  DriverLinkContext LinkContext() { return m_app.LinkContext(); }
  const ModelEntry* CurrentModel() const { return m_app.CurrentModel(); }
  void SetCurrentModel(const ModelEntry* model);
  uint32_t CurrentModelType() const;
  // The folder named like the current model beside the program.
  std::string ModelFolder() const;

  // The five mouse values as found at start (double-click width, height and time, drag
  // width and height), and putting them back.
  void SaveSystemValues();
  void RestoreSystemValues();

  // Flags of the application object (atomic: the button watch reads some of them).
  std::atomic<bool> m_bPanelConnected{false};
  std::atomic<bool> m_bRun{false};
  std::atomic<bool> m_bDriverEnabled{false};
  std::atomic<bool> m_bStartupCalibration{false};
  // SIGTERM or SIGINT arrived: start-up's long waits give up, the program ends.
  std::atomic<bool> m_bStopRequested{false};
  std::atomic<uint32_t> m_uRotation{0};  // the angle last applied, degrees
  uint32_t m_uServiceWaitMs = 0;
  int32_t m_iSingleMode = 0;

 private:
  void SendPanelState(uint32_t code, uint32_t flag);

  AppServices& m_services;
  FirmwareLinkTimeouts m_firmwareWaits;
  CRivelleApp m_app;
  CSharedTableSettingsSink m_sharedSink;
  SettingsStore m_settings;
  CMemoryLog m_memoryLog;
  CStringTable m_strings;
  CLanguageList m_languages;
  CTabrixIni m_ini;
  WindowNames m_names;
  std::unique_ptr<CTrafficLog> m_pTrafficLog;
  std::unique_ptr<CTPdrvServiceMode> m_pFirmware;
  CCalibrationStore m_calibration;
  CPenSoftwareLinkPoster m_penLink;
  std::unique_ptr<CButtonWatchThread> m_pButtonWatch;
  std::array<uint32_t, SYSTEM_PARAMETER_COUNT> m_savedValues{};
  bool m_bValuesSaved = false;
};

}  // namespace kv
