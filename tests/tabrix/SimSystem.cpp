#include "tests/tabrix/SimSystem.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/PipeNames.h"

namespace kv::test {

namespace {

constexpr const char* DEVICE_NAME = "\\\\.\\kvtpd700";
constexpr int START_TIMEOUT_MS = 10000;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

CSimSystem::~CSimSystem() {
  StopService();
  if (m_driver.Running()) m_driver.Stop();
}

bool CSimSystem::StartDriver() {
  const CPaths paths = m_prefix.Paths();
  if (!m_driver.Start("kvtpd-sim", {"--device", "kvtpd700"})) return false;
  return WaitForPath(paths.DevicePath(DEVICE_NAME), START_TIMEOUT_MS) &&
         WaitForPath(paths.DevicePath(DEVICE_NAME) + ".ctl", START_TIMEOUT_MS);
}

bool CSimSystem::StartService() {
  const CPaths paths = m_prefix.Paths();
  // The service runs only once it is registered (under the prefix, like everything).
  CChildProcess installer;
  int status = -1;
  if (!installer.Start("pansvc", {"-Install"}) || !installer.WaitExit(START_TIMEOUT_MS, &status) ||
      !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return false;
  if (!m_service.Start("pansvc")) return false;
  // A live pipe socket means its server holds the owner lock (taken before it listens); the
  // lock file alone may be left by a service stopped earlier.
  return WaitForPath(paths.PipePath(CONTROL_PIPE_NAME), START_TIMEOUT_MS) &&
         WaitForPath(paths.PipePath(STATUS_PIPE_NAME), START_TIMEOUT_MS);
}

bool CSimSystem::StartWithPanel(CChildProcess* panel) {
  if (!StartDriver()) return false;
  setenv("KV_SERVICE_MANAGER", "1", 1);
  const bool service = StartService();
  unsetenv("KV_SERVICE_MANAGER");
  return service && panel->Start("panel-sim", {"--model", "VT-R700A"}) &&
         WaitForPath(m_prefix.Paths().HidDir() + "/panel.ctl", START_TIMEOUT_MS);
}

void CSimSystem::StopService() {
  if (m_service.Running()) m_service.Stop();
}

std::string CSimSystem::Control(const std::string& line) {
  const std::string path = m_prefix.Paths().DevicePath(DEVICE_NAME) + ".ctl";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return {};
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {};
  std::string reply;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    std::string command = line + "\n";
    if (write(fd, command.data(), command.size()) == static_cast<ssize_t>(command.size())) {
      char c;
      while (read(fd, &c, 1) == 1 && c != '\n') reply += c;
    }
  }
  close(fd);
  if (!reply.empty() && reply.back() == '\r') reply.pop_back();
  return reply;
}

bool CSimSystem::ReadSettings(DriverSettings* settings) {
  const std::string hex = Control("settings");
  if (hex.size() != 2 * DriverSettings::SIZE) return false;
  std::vector<uint8_t> bytes(DriverSettings::SIZE);
  for (size_t i = 0; i < bytes.size(); ++i) {
    int hi = HexDigit(hex[2 * i]), lo = HexDigit(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
  }
  return DriverSettings::Decode(bytes, settings);
}

}  // namespace kv::test
