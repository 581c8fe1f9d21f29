#include "platform/posix/SimHidBus.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/SystemError.h"
#include "platform/posix/ErrnoToSystemError.h"
#include "platform/posix/UniqueFd.h"
#include "platform/posix/SimHidFrame.h"
#include "platform/posix/SimHidHandle.h"

namespace kv {

namespace {

bool OwnerAlive(uint32_t pid) {
  if (kill(static_cast<pid_t>(pid), 0) == 0) return true;
  return errno == EPERM;  // alive, only not ours to signal
}

bool IsSocket(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

bool SamePathIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

// The device greets every connection once it has taken it in (see SimHidFrame.h).
bool AwaitHello(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  int r;
  do {
    r = poll(&p, 1, timeoutMs);
  } while (r < 0 && errno == EINTR);
  if (r <= 0) return false;
  uint8_t frame[SIM_HID_MAX_FRAME + 1];
  ssize_t n = recv(fd, frame, sizeof frame, MSG_DONTWAIT);
  return n == 1 && frame[0] == SIM_HID_HELLO;
}

}  // namespace

CSimHidBus::CSimHidBus(const CPaths& paths, int featureTimeoutMs)
    : m_sDir(paths.HidDir()), m_iFeatureTimeoutMs(featureTimeoutMs) {}

std::vector<SimHidDescriptor> CSimHidBus::PresentDevices() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(m_sDir, ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    std::string file = it->path().filename().string();
    if (file.size() <= 4 || file.compare(file.size() - 4, 4, ".dev") != 0) continue;
    std::string name = file.substr(0, file.size() - 4);
    if (IsValidSimHidName(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::vector<SimHidDescriptor> devices;
  for (const auto& name : names) {
    std::ifstream in(SimHidDescriptorFile(m_sDir, name), std::ios::binary);
    if (!in) continue;  // removed meanwhile
    std::string text(4096, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    SimHidDescriptor d;
    if (!ParseSimHidDescriptor(text, name, &d)) continue;
    if (!OwnerAlive(d.m_uOwnerPid)) continue;  // left behind by a killed stand-in
    if (d.m_bOpenable && !IsSocket(SimHidEndpointFile(m_sDir, name))) continue;
    devices.push_back(std::move(d));
  }
  return devices;
}

uint32_t CSimHidBus::EnumerateInterface(uint32_t index, std::string* path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (index == 0 || !m_bHaveSnapshot) {
    m_snapshot = PresentDevices();
    m_bHaveSnapshot = true;
  }
  if (index >= m_snapshot.size()) return ERROR_CODE_NO_MORE_ITEMS;
  *path = m_snapshot[index].m_sPath;
  return ERROR_CODE_SUCCESS;
}

uint32_t CSimHidBus::Open(const std::string& path, bool /*overlapped*/,
                          std::unique_ptr<HidDevice>* device) {
  device->reset();
  // A path from the current snapshot is opened from it (a device gone since then refuses
  // the connect); any other path is looked up afresh.
  std::vector<SimHidDescriptor> devices;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& d : m_snapshot)
      if (SamePathIgnoringCase(d.m_sPath, path)) devices.push_back(d);
  }
  if (devices.empty()) devices = PresentDevices();
  for (auto& d : devices) {
    if (!SamePathIgnoringCase(d.m_sPath, path)) continue;
    if (!d.m_bOpenable) return ERROR_CODE_ACCESS_DENIED;
    std::string endpoint = SimHidEndpointFile(m_sDir, d.m_sName);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (endpoint.size() >= sizeof addr.sun_path) return ERROR_CODE_INVALID_PARAMETER;
    std::memcpy(addr.sun_path, endpoint.c_str(), endpoint.size() + 1);
    CUniqueFd fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) return ERROR_CODE_NOT_ENOUGH_MEMORY;
    // Refused means not ours to open; anything else, unplugged between enumeration and open.
    if (connect(fd.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
      return ErrnoToSystemError(errno, ErrnoCall::HID_CONNECT);
    if (!AwaitHello(fd.Get(), m_iFeatureTimeoutMs))
      return ERROR_CODE_FILE_NOT_FOUND;  // a stale endpoint, or a device that hangs
    *device = std::make_unique<CSimHidHandle>(fd.Release(), std::move(d), m_iFeatureTimeoutMs);
    return ERROR_CODE_SUCCESS;
  }
  return ERROR_CODE_FILE_NOT_FOUND;
}

}  // namespace kv
