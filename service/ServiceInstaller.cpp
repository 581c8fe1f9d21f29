#include "service/ServiceInstaller.h"

#include <filesystem>
#include <fstream>

#include "common/SystemError.h"
#include "platform/Processes.h"
#include "platform/ServiceStatusReporter.h"
#include "service/ServiceNames.h"

namespace kv {

namespace {

// systemd's quoting for one word of ExecStart= and Environment=.
std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

// What the service may reach when systemd runs it: its pipes and status under /run/kavro,
// its hive under /var/lib/kavro, the driver's device (the stand-in's endpoint below
// /run/kavro, or a character device of the kvtpd driver) and local sockets; nothing of the
// network, the kernel's settings or any capability. Users stay visible as themselves
// (no PrivateUsers=): the pipes refuse the guest account by the peer's uid, and in a user
// namespace every other user would look like that account. packaging/systemd/pansvc.service
// carries the same lines.
constexpr const char* kHardening[] = {
    "Restart=on-failure",
    "RestartSec=2s",
    "RuntimeDirectory=kavro",
    "RuntimeDirectoryPreserve=yes",
    "StateDirectory=kavro",
    "UMask=0022",
    "CapabilityBoundingSet=",
    "NoNewPrivileges=yes",
    "ProtectSystem=strict",
    "ProtectHome=tmpfs",
    "PrivateTmp=yes",
    "PrivateNetwork=yes",
    "IPAddressDeny=any",
    "RestrictAddressFamilies=AF_UNIX",
    "DevicePolicy=closed",
    "DeviceAllow=char-kvtpd rw",
    "ProtectKernelTunables=yes",
    "ProtectKernelModules=yes",
    "ProtectKernelLogs=yes",
    "ProtectControlGroups=yes",
    "ProtectClock=yes",
    "ProtectHostname=yes",
    "ProtectProc=invisible",
    "ProcSubset=pid",
    "PrivateMounts=yes",
    "RestrictNamespaces=yes",
    "RestrictRealtime=yes",
    "RestrictSUIDSGID=yes",
    "LockPersonality=yes",
    "MemoryDenyWriteExecute=yes",
    "RemoveIPC=yes",
    "SystemCallArchitectures=native",
    "SystemCallFilter=@system-service",
    "SystemCallFilter=~@privileged @resources",
    "SystemCallErrorNumber=EPERM",
};

}  // namespace

CServiceInstaller::CServiceInstaller(ServiceInstallerContext context) : m_ctx(std::move(context)) {
  m_sName = m_ctx.m_pStrings->Get(IDS_SERVICE_NAME);
}

std::string CServiceInstaller::ServiceKey() const {
  return std::string(SERVICES_KEY) + "\\" + m_sName;
}

std::string CServiceInstaller::UnitPath() const {
  std::string dir = m_ctx.m_sUnitDir.empty() ? m_ctx.m_paths.MachineDir() + "/systemd"
                                             : m_ctx.m_sUnitDir;
  return dir + "/" + SERVICE_UNIT_FILE;
}

std::string CServiceInstaller::UnitText() const {
  std::string text;
  text += "[Unit]\n";
  text += "Description=" + m_ctx.m_pStrings->Get(IDS_DISPLAY_NAME) + "\n";
  // The service depends on the RPC subsystem; here that is the message bus.
  text += "After=dbus.service\nWants=dbus.service\n\n";
  text += "[Service]\nType=notify\nNotifyAccess=main\n";
  text += "Environment=KV_SERVICE_MANAGER=1\n";
  if (!m_ctx.m_sPrefix.empty()) text += "Environment=" + Quote("KV_PREFIX=" + m_ctx.m_sPrefix) + "\n";
  text += "ExecStart=" + Quote(m_ctx.m_sImagePath) + "\n";
  for (const char* line : kHardening) text += std::string(line) + "\n";
  // A program or prefix outside the system's folders (a build folder, a test prefix under
  // /tmp or a home) would be hidden or read-only behind the lines above.
  if (!m_ctx.m_sPrefix.empty()) text += "BindPaths=" + Quote(m_ctx.m_sPrefix) + "\n";
  std::string folder = std::filesystem::path(m_ctx.m_sImagePath).parent_path().string();
  if (folder.rfind("/usr/", 0) != 0) text += "BindReadOnlyPaths=" + Quote(folder) + "\n";
  text += "\n";
  text += "[Install]\nWantedBy=multi-user.target\n";
  return text;
}

void CServiceInstaller::MessageBox(uint32_t id) {
  if (m_ctx.m_pErrors) *m_ctx.m_pErrors << m_sName << ": " << m_ctx.m_pStrings->Get(id) << std::endl;
}

bool CServiceInstaller::IsInstalled() {
  std::string image;
  return m_ctx.m_pRegistry->QueryString(RegistryHive::LOCAL_MACHINE, ServiceKey(), "ImagePath",
                                        &image) == ERROR_CODE_SUCCESS;
}

bool CServiceInstaller::WriteRecord() {
  Registry& r = *m_ctx.m_pRegistry;
  const auto hive = RegistryHive::LOCAL_MACHINE;
  const std::string key = ServiceKey();
  if (r.SetDword(hive, key, "Type", SERVICE_TYPE_OWN_PROCESS) != 0 ||
      r.SetDword(hive, key, "Start", SERVICE_START_AUTOMATIC) != 0 ||
      r.SetDword(hive, key, "ErrorControl", SERVICE_ERROR_NORMAL) != 0 ||
      r.SetString(hive, key, "ImagePath", m_ctx.m_sImagePath) != 0 ||
      r.SetString(hive, key, "DependOnService", SERVICE_DEPENDENCY) != 0 ||
      r.SetString(hive, key, "ObjectName", "LocalSystem") != 0 ||
      r.SetString(hive, key, "DisplayName", m_sName) != 0)
    return false;
  std::filesystem::path unit(UnitPath());
  if (!CPaths::EnsureDirectory(unit.parent_path().string())) return false;
  std::string temp = unit.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << UnitText();
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, unit, ec);
  return !ec;
}

bool CServiceInstaller::Install() {
  Registry& r = *m_ctx.m_pRegistry;
  if (r.CreateKey(RegistryHive::LOCAL_MACHINE, SERVICES_KEY) != ERROR_CODE_SUCCESS) {
    MessageBox(IDS_CANNOT_OPEN_SCM);
    return false;
  }
  if (!IsInstalled()) {
    if (!WriteRecord()) {
      MessageBox(IDS_CANNOT_CREATE_SERVICE);
      return false;
    }
  } else {
    // Installed already: the same configuration again.
    if (r.OpenKey(RegistryHive::LOCAL_MACHINE, ServiceKey()) != ERROR_CODE_SUCCESS) {
      MessageBox(IDS_CANNOT_OPEN_SERVICE);
      return false;
    }
    if (!WriteRecord()) {
      MessageBox(IDS_CANNOT_CHANGE_CONFIG);
      return false;
    }
  }
  if (r.OpenKey(RegistryHive::LOCAL_MACHINE, ServiceKey()) != ERROR_CODE_SUCCESS) {
    if (m_ctx.m_pLog) m_ctx.m_pLog->Information(m_ctx.m_pStrings->Get(IDS_SERVICE_KEY_OPEN_FAILURE));
    return false;
  }
  return r.SetString(RegistryHive::LOCAL_MACHINE, ServiceKey(), "DisplayName",
                     m_ctx.m_pStrings->Get(IDS_DISPLAY_NAME)) == ERROR_CODE_SUCCESS &&
         r.SetString(RegistryHive::LOCAL_MACHINE, ServiceKey(), "Description",
                     m_ctx.m_pStrings->Get(IDS_DESCRIPTION)) == ERROR_CODE_SUCCESS;
}

void CServiceInstaller::StopRunningService() {
  uint32_t state = 0, pid = 0;
  if (CServiceStatusReporter::Query(m_ctx.m_paths, m_sName, &state, &pid) != ERROR_CODE_SUCCESS ||
      state == SERVICE_STATE_STOPPED)
    return;
  // Only a process that is this program: a stale pid may belong to anyone by now.
  if (IsOtherProcessOfImage(pid, m_ctx.m_sImagePath)) AskProcessToEnd(pid);
}

bool CServiceInstaller::Uninstall() {
  if (!IsInstalled()) return true;
  Registry& r = *m_ctx.m_pRegistry;
  if (r.OpenKey(RegistryHive::LOCAL_MACHINE, SERVICES_KEY) != ERROR_CODE_SUCCESS) {
    MessageBox(IDS_CANNOT_OPEN_SCM);
    return false;
  }
  if (r.OpenKey(RegistryHive::LOCAL_MACHINE, ServiceKey()) != ERROR_CODE_SUCCESS) {
    MessageBox(IDS_CANNOT_OPEN_SERVICE);
    return false;
  }
  StopRunningService();
  std::error_code ec;
  std::filesystem::remove(UnitPath(), ec);
  if (r.DeleteKey(RegistryHive::LOCAL_MACHINE, ServiceKey()) != ERROR_CODE_SUCCESS || ec) {
    MessageBox(IDS_CANNOT_DELETE_SERVICE);
    return false;
  }
  return true;
}

int CServiceInstaller::RegisterServer() {
  Registry& r = *m_ctx.m_pRegistry;
  const auto hive = RegistryHive::CLASSES_ROOT;
  uint32_t rc = r.SetString(hive, SERVICE_APPID_KEY, "", m_sName);
  if (rc == ERROR_CODE_SUCCESS) rc = r.SetString(hive, SERVICE_EXE_APPID_KEY, "AppID", SERVICE_APPID);
  if (rc != ERROR_CODE_SUCCESS) return static_cast<int>(rc);
  r.DeleteValue(hive, SERVICE_APPID_KEY, "LocalService");
  r.DeleteValue(hive, SERVICE_APPID_KEY, "ServiceParameters");
  r.SetString(hive, SERVICE_APPID_KEY, "LocalService", m_sName);
  r.SetString(hive, SERVICE_APPID_KEY, "ServiceParameters", SERVICE_PARAMETERS);
  // A failed installation is not a success, whatever the rest of the registration says.
  return Install() ? 0 : 1;
}

int CServiceInstaller::UnregisterServer() {
  Registry& r = *m_ctx.m_pRegistry;
  // The AppID key itself stays (other servers keep their entries under it).
  r.DeleteKey(RegistryHive::CLASSES_ROOT, SERVICE_APPID_KEY);
  r.DeleteKey(RegistryHive::CLASSES_ROOT, SERVICE_EXE_APPID_KEY);
  Uninstall();
  return 0;
}

}  // namespace kv
