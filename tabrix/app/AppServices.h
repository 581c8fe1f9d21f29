#pragma once
// Everything of the system the tray program reaches, handed in by its main (or by a test):
// the OS boundary's interfaces, the program's folder and the facts of the process.
#include <cstdint>
#include <string>

#include "platform/Beeper.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/HidBus.h"
#include "platform/HotKeys.h"
#include "platform/MessageBoxes.h"
#include "platform/Paths.h"
#include "platform/ProcessLauncher.h"
#include "platform/Registry.h"
#include "platform/ServiceControl.h"
#include "platform/SystemParameters.h"
#include "platform/VersionResource.h"
#include "platform/WindowSystem.h"
#include "tabrix/driverlink/PipeTransport.h"

namespace kv {

struct AppServices {
  CPaths m_paths;
  // The folder that holds the program: Tabrix.ini, model.ini, language.ini, the language
  // modules and one folder per model (the driver installer, the sensor tool).
  std::string m_sProgramDir;
  Clock& m_clock;
  Registry& m_registry;
  SystemParameters& m_systemParameters;
  PipeTransport& m_pipes;
  HidBus& m_hidBus;
  Display& m_display;
  MessageBoxes& m_messageBoxes;
  ProcessLauncher& m_processes;
  ServiceControl& m_services;
  WindowSystem& m_windows;
  Beeper& m_beeper;
  HotKeys& m_hotKeys;
  const CVersionResource& m_version;
  uint32_t m_uProcessId = 0;
  // The Windows version code the program behaves as (16 on Linux; KV_OSTYPE overrides).
  int32_t m_iOsType = 16;
  uint16_t m_uUiLanguage = 0x0409;  // GetSystemDefaultUILanguage
};

}  // namespace kv
