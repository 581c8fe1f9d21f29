#include "tabrix/app/StartupSequence.h"

#include "platform/IniFile.h"
#include "tabrix/app/InstanceGuard.h"
#include "tabrix/app/PanelBringUp.h"
#include "tabrix/app/PanelSearch.h"
#include "tabrix/app/ServiceWait.h"

namespace kv {

namespace {

// Window names by "DriverMode": 1 speaks to the older pen programs by their own names.
constexpr uint32_t kNamesDefault = 60136;
constexpr uint32_t kNamesDriverMode1 = 60140;

}  // namespace

void CStartupSequence::ChooseLanguage() {
  const std::string selected = m_shell.Settings().GetSelectLanguage();
  const CLanguageList& list = m_shell.Languages();
  const LanguageEntry* entry = nullptr;
  if (selected.empty()) {
    for (const auto& e : list.Entries())
      if (e.m_uLangId == m_shell.Services().m_uUiLanguage) {
        entry = &e;
        break;
      }
  } else {
    entry = list.Find(selected);
  }
  if (!entry || entry->m_sResourceFileName.empty()) return;
  // A module that is missing or damaged leaves the built-in texts in place.
  const std::string path = m_shell.Services().m_sProgramDir + "/" + entry->m_sResourceFileName;
  m_bLanguageLoaded = m_shell.Strings().LoadModule(path) == 0;
}

void CStartupSequence::LoadConfiguration() {
  const std::string& dir = m_shell.Services().m_sProgramDir;
  m_shell.App().LoadModels(dir + "/model.ini");
  m_shell.Languages().Load(CIniFile::Load(dir + "/" + CLanguageList::FILE_NAME));
  ChooseLanguage();
  SettingsStore& settings = m_shell.Settings();
  m_shell.MemoryLog().Start(settings.MemoryLogBytes());
  m_shell.m_uServiceWaitMs = settings.GetWaitServiceTimeOutSeconds() * 1000;
  m_shell.Ini() = CTabrixIni::Read(CIniFile::Load(dir + "/" + CTabrixIni::FILE_NAME));
  m_shell.m_iSingleMode = m_shell.Ini().SingleMode();
}

void CStartupSequence::AskScreenSaver() {
  SettingsStore& settings = m_shell.Settings();
  if (m_shell.Services().m_iOsType < OS_TYPE_XP) return;
  if (!settings.GetScreenSaverIsSecure()) {
    // The question comes back once the user turns the setting on again.
    settings.SetDispPassDlg(1);
    return;
  }
  if (settings.GetDispPassDlg() != 1) return;
  bool dontShowAgain = false;
  if (m_views.AskReleasePassword(&dontShowAgain) == MBR_YES) settings.SetScreenSaverIsSecure(false);
  if (dontShowAgain) settings.SetDispPassDlg(0);
}

void CStartupSequence::RunSwitch() {
  if (CCommandLineSwitch::WritesDefaults(m_switch)) {
    SettingsStore& settings = m_shell.Settings();
    if (m_switch != StartSwitch::DEFAULTS_WITH_USER) settings.SetInstallerMode(true);
    std::vector<std::string> subkeys;
    const CModelTable& models = m_shell.App().Models();
    for (size_t i = 0; const ModelEntry* row = models.Row(i); ++i)
      subkeys.push_back(FixedText(row->m_szRegistry));
    settings.WriteFreshInstallDefaults(subkeys);
  } else if (m_switch == StartSwitch::QUIT) {
    CInstanceGuard(m_shell).CloseRunningInstance();
  }
}

void CStartupSequence::PickWindowNames() {
  const uint32_t first = m_shell.Ini().DriverMode() == 1 ? kNamesDriverMode1 : kNamesDefault;
  const CStringTable& s = m_shell.Strings();
  m_shell.Names() = {s.Get(first), s.Get(first + 1), s.Get(first + 2), s.Get(first + 3)};
}

bool CStartupSequence::InitInstance(const std::string& argumentText) {
  m_switch = CCommandLineSwitch::Parse(argumentText);
  // "/Rollback" and "/Uninstall" leave everything untouched: no hive, lock or window.
  if (m_switch == StartSwitch::ROLLBACK || m_switch == StartSwitch::UNINSTALL) return false;
  LoadConfiguration();
  if (m_switch == StartSwitch::NONE) AskScreenSaver();
  AppServices& services = m_shell.Services();
  services.m_clock.Sleep(m_shell.Settings().GetDelayTime());
  // "/Install" and "/Commit" write the machine hive only; the account that runs the
  // installer gets no key of its own, which nothing would ever remove.
  m_shell.Settings().CreateMakerKey(m_switch != StartSwitch::INSTALL && m_switch != StartSwitch::COMMIT);
  m_shell.SaveSystemValues();
  m_shell.App().OpenSharedTables(m_switch == StartSwitch::NONE);
  if (m_switch != StartSwitch::NONE) {
    RunSwitch();
    return false;
  }
  if (!CInstanceGuard(m_shell).Claim()) return false;
  m_bClaimed = true;
  m_shell.m_bRun = true;
  m_shell.ButtonWatch().Start();
  PickWindowNames();
  m_iServiceWait =
      CServiceWait::Wait(services.m_services, services.m_clock, CAppShell::SERVICE_NAME,
                         m_shell.m_uServiceWaitMs, [this] { return m_shell.m_bStopRequested.load(); });
  m_shell.CreateFirmwareLink();
  CPanelSearch search(m_shell, m_installer);
  bool driverFound = false;
  search.Run(&driverFound);
  return CPanelBringUp(m_shell, m_views, m_window).Run(driverFound);
}

void CStartupSequence::ExitInstance() {
  if (m_bLanguageLoaded) m_shell.Strings() = CStringTable::BuiltIn("tabrix");
  // A refused second start or a switch run changed nothing, and the model name in the
  // shared table is the running instance's: only the instance puts things back.
  if (m_bClaimed) {
    m_shell.RestoreSystemValues();
    m_shell.App().SharedModelTable().ClearModelName();
  }
  m_bClaimed = false;
  m_shell.App().CloseSharedTables();
  m_shell.MemoryLog().Release();
  m_shell.App().ReleaseInstance();
}

}  // namespace kv
