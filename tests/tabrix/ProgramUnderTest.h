#pragma once
// The tray program's logic wired to the real system under a test's prefix (registry,
// pipes, the simulated HID bus, the service state) with recording stand-ins for the
// desktop. Several can share one prefix, as several processes would.
#include <memory>
#include <string>

#include "platform/posix/FileSystemParameters.h"
#include "platform/posix/RegistryServiceControl.h"
#include "platform/posix/SimHidBus.h"
#include "platform/posix/SqliteRegistry.h"
#include "tabrix/app/StartupSequence.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/AppFakes.h"
#include "tests/tabrix/CalibrationFakes.h"

namespace kv::test {

// One tray program's worth of system under the test's prefix; several can share it.
struct ProgramUnderTest {
  explicit ProgramUnderTest(const CTempPrefix& prefix, const std::string& programDir,
                   uint32_t pid = 4242)
      : paths(prefix.Paths()), registry(paths), parameters(paths), pipes(paths), hid(paths),
        services(paths, registry),
        system{paths,   programDir, clock,   registry, parameters, pipes,   hid,
               display, boxes,      processes, services, windows,  beeper, version,
               pid,     16,         0x0409} {
    FirmwareLinkTimeouts waits;
    waits.m_iCommandMs = 2500;  // a silent panel costs this per probe, not 8 s
    shell = std::make_unique<CAppShell>(system, waits);
    window = std::make_unique<CCalibrationWnd>(*shell, views);
    startup = std::make_unique<CStartupSequence>(*shell, views, *window);
  }
  ~ProgramUnderTest() {
    window->OnClose();
    startup->ExitInstance();
  }
  CPaths paths;
  CSystemClock clock;
  CSqliteRegistry registry;
  CFileSystemParameters parameters;
  CPipeClientTransport pipes;
  CSimHidBus hid;
  CFakeDisplay display;
  CFakeMessageBoxes boxes;
  CFakeProcessLauncher processes;
  CRegistryServiceControl services;
  CFakeWindowSystem windows;
  CFakeBeeper beeper;
  CVersionResource version{{{"ProductVersion", "2.2.2.7"}}};
  AppServices system;
  CFakeAppViews views;
  std::unique_ptr<CAppShell> shell;
  std::unique_ptr<CCalibrationWnd> window;
  std::unique_ptr<CStartupSequence> startup;
};

}  // namespace kv::test
