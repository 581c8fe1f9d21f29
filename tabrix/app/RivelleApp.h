#pragma once
// The application object of the tray program: it owns the model table and the current
// model, what the driver link has learned of the driver, the two shared tables and the
// single-instance mutex. Everything that needs the application gets it handed in; nothing
// here is global.
#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/NamedMutex.h"
#include "platform/Paths.h"
#include "tabrix/firmware/PenInputState.h"
#include "tabrix/driverlink/DriverLinkContext.h"
#include "tabrix/driverlink/DriverSharedData.h"
#include "tabrix/driverlink/DriverState.h"
#include "tabrix/driverlink/ModelSharedData.h"
#include "tabrix/driverlink/ModelTable.h"
#include "tabrix/driverlink/PipeTransport.h"
#include "platform/ScreenSizeSource.h"

namespace kv {

class CRivelleApp {
 public:
  // Marks the running instance.
  static constexpr const char* INSTANCE_MUTEX_NAME = "KV_TOUCH_PANEL_DRIVER";

  // osType: the Windows version code (0, 1, 11 to 16; 16 = Windows 7 and later).
  CRivelleApp(CPaths paths, Clock& clock, PipeTransport& transport, ScreenSizeSource& screen,
              int32_t osType);
  CRivelleApp(const CRivelleApp&) = delete;
  CRivelleApp& operator=(const CRivelleApp&) = delete;
  ~CRivelleApp();

  const CPaths& Paths() const { return m_paths; }
  Clock& GetClock() { return m_clock; }
  int32_t OsType() const { return m_iOsType; }

  // Reads the model.ini rows; false only when a row could not be allocated.
  bool LoadModels(const std::string& iniPath = CModelTable::DefaultIniPath());
  const CModelTable& Models() const { return m_models; }
  // Null only if a caller clears it; starts at the first built-in row.
  const ModelEntry* CurrentModel() const { return m_pCurrentModel; }
  void SetCurrentModel(const ModelEntry* model) { m_pCurrentModel = model; }

  CDriverState& DriverState() { return m_driverState; }
  DriverSharedData& SharedDriverTable() { return m_driverTable; }
  ModelSharedData& SharedModelTable() { return m_modelTable; }
  // The pen as the panel firmware reports it, and the settings its touch reporting reads.
  CPenInputState& PenInput() { return m_penInput; }

  // What a driver link needs of the application.
  DriverLinkContext LinkContext();

  // The model table is always created. The driver table is created by a normal start and
  // only opened by a run with an installer switch (createDriverTable false). A table that
  // exists already is kept as it is while another instance runs, and cleared when it was
  // left behind by one that is gone.
  void OpenSharedTables(bool createDriverTable);
  void CloseSharedTables();

  // Takes the instance mutex and stores processId in the shared driver table. False when
  // another instance holds the mutex.
  bool ClaimInstance(uint32_t processId);
  void ReleaseInstance();
  static bool InstanceRunning(const CPaths& paths);
  // The process id the running instance stored in the shared driver table (0 if none).
  uint32_t RunningInstanceProcessId() const { return m_driverTable.ProcessId(); }

 private:
  CPaths m_paths;
  Clock& m_clock;
  PipeTransport& m_transport;
  ScreenSizeSource& m_screen;
  int32_t m_iOsType;
  CModelTable m_models;
  const ModelEntry* m_pCurrentModel;
  CDriverState m_driverState;
  DriverSharedData m_driverTable;
  ModelSharedData m_modelTable;
  CPenInputState m_penInput;
  CNamedMutex m_instanceMutex;
};

}  // namespace kv
