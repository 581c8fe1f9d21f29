#include "sim/SimHidDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "platform/posix/SimHidFrame.h"

namespace kv {

namespace {

bool ProcessAlive(uint32_t pid) {
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The owner named by an existing announcement, 0 when there is none or it is unreadable.
uint32_t AnnouncedOwner(const std::string& file, const std::string& name) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return 0;
  std::string text(4096, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  SimHidDescriptor d;
  return ParseSimHidDescriptor(text, name, &d) ? d.m_uOwnerPid : 0;
}

}  // namespace

CSimHidDevice::CSimHidDevice(const CPaths& paths, SimHidDescriptor descriptor,
                             unsigned collection, SimHidHandler* handler)
    : m_descriptor(std::move(descriptor)), m_pHandler(handler), m_sDir(paths.HidDir()) {
  m_descriptor.m_uOwnerPid = static_cast<uint32_t>(getpid());
  if (m_descriptor.m_sPath.empty())
    m_descriptor.m_sPath = SimHidInstancePath(m_descriptor.m_uVendorId, m_descriptor.m_uProductId,
                                              collection, m_descriptor.m_sName);
  m_sEndpoint = SimHidEndpointFile(m_sDir, m_descriptor.m_sName);
  m_sDescriptorFile = SimHidDescriptorFile(m_sDir, m_descriptor.m_sName);
  m_wakeFd.Reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  m_thread = std::thread([this] { ServiceLoop(); });
}

CSimHidDevice::~CSimHidDevice() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStop = true;
  }
  Wake();
  if (m_thread.joinable()) m_thread.join();
}

void CSimHidDevice::Wake() {
  uint64_t one = 1;
  ssize_t n = write(m_wakeFd.Get(), &one, sizeof one);
  (void)n;  // a counter already at its maximum wakes the loop just as well
}

void CSimHidDevice::RunOnService(const std::function<void()>& fn) {
  if (std::this_thread::get_id() == m_thread.get_id()) {
    fn();
    return;
  }
  auto done = std::make_shared<bool>(false);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bStop) return;
    m_tasks.push_back([this, &fn, done] {
      fn();
      std::lock_guard<std::mutex> inner(m_mutex);
      *done = true;
      m_cv.notify_all();
    });
  }
  Wake();
  std::unique_lock<std::mutex> lock(m_mutex);
  m_cv.wait(lock, [&] { return *done; });
}

bool CSimHidDevice::Plug() {
  if (!IsValidSimHidName(m_descriptor.m_sName)) return false;
  bool ok = false;
  RunOnService([&] { ok = DoPlug(); });
  return ok;
}

void CSimHidDevice::Unplug() {
  RunOnService([&] { DoUnplug(); });
}

bool CSimHidDevice::Plugged() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bPlugged;
}

size_t CSimHidDevice::ConnectionCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_uConnections;
}

void CSimHidDevice::SetFeatureSilence(bool silent) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bSilent = silent;
}

void CSimHidDevice::SendInputReport(std::span<const uint8_t> report, uint32_t delayMs) {
  std::vector<uint8_t> frame(1 + m_descriptor.m_uInputLength, 0);
  frame[0] = SIM_HID_INPUT;
  std::memcpy(frame.data() + 1, report.data(),
              std::min(report.size(), static_cast<size_t>(m_descriptor.m_uInputLength)));
  Pending p{std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs), std::move(frame)};
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto at = m_pending.end();
    while (at != m_pending.begin() && (at - 1)->m_due > p.m_due) --at;
    m_pending.insert(at, std::move(p));
  }
  Wake();
}

bool CSimHidDevice::DoPlug() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bPlugged) return true;
  }
  CPaths::EnsureDirectory(m_sDir);
  uint32_t owner = AnnouncedOwner(m_sDescriptorFile, m_descriptor.m_sName);
  if (owner != 0 && owner != m_descriptor.m_uOwnerPid && ProcessAlive(owner)) return false;
  if (m_descriptor.m_bOpenable) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (m_sEndpoint.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, m_sEndpoint.c_str(), m_sEndpoint.size() + 1);
    unlink(m_sEndpoint.c_str());  // left by a dead owner
    CUniqueFd fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.Valid()) return false;
    if (bind(fd.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(fd.Get(), 16) != 0)
      return false;
    chmod(m_sEndpoint.c_str(), 0666);
    m_listenFd = std::move(fd);
  }
  // Written under a temporary name and renamed, so enumeration never reads half a file.
  std::string tmp = m_sDescriptorFile + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << FormatSimHidDescriptor(m_descriptor);
    if (!out.flush()) {
      DoUnplug();
      return false;
    }
  }
  if (rename(tmp.c_str(), m_sDescriptorFile.c_str()) != 0) {
    unlink(tmp.c_str());
    DoUnplug();
    return false;
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bPlugged = true;
  return true;
}

void CSimHidDevice::DoUnplug() {
  // Only our own files: a successor of the same name may already have replaced them.
  if (AnnouncedOwner(m_sDescriptorFile, m_descriptor.m_sName) == m_descriptor.m_uOwnerPid)
    unlink(m_sDescriptorFile.c_str());
  if (m_listenFd.Valid()) {
    m_listenFd.Reset();
    unlink(m_sEndpoint.c_str());
  }
  m_clients.clear();
  m_backlog.clear();
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bPlugged = false;
  m_uConnections = 0;
  m_pending.clear();
}

void CSimHidDevice::SendFrame(int fd, const std::vector<uint8_t>& frame) {
  // Frames to one host keep their order: behind a backlog a new one only queues.
  auto it = m_backlog.find(fd);
  if (it == m_backlog.end() || it->second.empty()) {
    ssize_t n = send(fd, frame.data(), frame.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return;  // sent, or a dead host
  }
  auto& queue = m_backlog[fd];
  // A host that stopped reading altogether loses the oldest, as its input buffer would.
  if (queue.size() >= MAX_BACKLOG) queue.pop_front();
  queue.push_back(frame);
}

void CSimHidDevice::FlushBacklog(int fd) {
  auto it = m_backlog.find(fd);
  if (it == m_backlog.end()) return;
  auto& queue = it->second;
  while (!queue.empty()) {
    const auto& frame = queue.front();
    ssize_t n = send(fd, frame.data(), frame.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    queue.pop_front();  // sent, or the host is gone (its hang-up arrives on the next poll)
  }
  m_backlog.erase(it);
}

void CSimHidDevice::HandleFrame(int fd, const uint8_t* frame, size_t length) {
  SimHidFrameView view;
  if (!DecodeSimHidHostFrame({frame, length}, &view)) return;
  bool silent;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    silent = m_bSilent;
  }
  switch (view.m_uKind) {
    case SIM_HID_OUTPUT:
      if (m_pHandler) m_pHandler->OnOutputReport(view.m_report);
      break;
    case SIM_HID_SET_FEATURE: {
      bool ok = m_pHandler && m_pHandler->OnSetFeature(view.m_report);
      if (!silent) SendFrame(fd, {SIM_HID_FEATURE_ACK, view.m_uSeq, static_cast<uint8_t>(ok ? 0 : 1)});
      break;
    }
    case SIM_HID_GET_FEATURE: {
      std::vector<uint8_t> report;
      bool ok = m_pHandler && m_pHandler->OnGetFeature(view.m_uReportId, view.m_uLength, &report);
      if (silent) break;
      if (ok && !report.empty() && report.size() <= view.m_uLength) {
        std::vector<uint8_t> answer{SIM_HID_FEATURE_REPORT, view.m_uSeq};
        answer.insert(answer.end(), report.begin(), report.end());
        SendFrame(fd, answer);
      } else {
        SendFrame(fd, {SIM_HID_FEATURE_ACK, view.m_uSeq, 1});
      }
      break;
    }
    default:
      break;
  }
}

void CSimHidDevice::ServiceLoop() {
  std::vector<uint8_t> buf(SIM_HID_MAX_FRAME + 1);
  for (;;) {
    std::deque<std::function<void()>> tasks;
    std::vector<std::vector<uint8_t>> due;
    int timeoutMs = -1;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      tasks.swap(m_tasks);
    }
    for (auto& t : tasks) t();
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_bStop && m_tasks.empty()) break;
      auto now = std::chrono::steady_clock::now();
      size_t n = 0;
      while (n < m_pending.size() && m_pending[n].m_due <= now) due.push_back(std::move(m_pending[n++].m_frame));
      m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<ptrdiff_t>(n));
      if (!m_pending.empty()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_pending.front().m_due - now);
        timeoutMs = static_cast<int>(left.count()) + 1;
      }
    }
    for (auto& frame : due)
      for (const CUniqueFd& client : m_clients) SendFrame(client.Get(), frame);

    std::vector<pollfd> fds;
    fds.push_back({m_wakeFd.Get(), POLLIN, 0});
    if (m_listenFd.Valid()) fds.push_back({m_listenFd.Get(), POLLIN, 0});
    size_t firstClient = fds.size();
    for (const CUniqueFd& client : m_clients) {
      const int fd = client.Get();
      fds.push_back({fd, static_cast<short>(m_backlog.count(fd) ? POLLIN | POLLOUT : POLLIN), 0});
    }
    if (poll(fds.data(), fds.size(), timeoutMs) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents & POLLIN) {
      uint64_t v;
      ssize_t n = read(m_wakeFd.Get(), &v, sizeof v);
      (void)n;
    }
    std::vector<int> closed;
    for (size_t i = firstClient; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].revents & POLLOUT) FlushBacklog(fds[i].fd);
      if ((fds[i].revents & ~POLLOUT) == 0) continue;
      ssize_t n = recv(fds[i].fd, buf.data(), buf.size(), MSG_DONTWAIT);
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
      if (n <= 0) {
        closed.push_back(fds[i].fd);
        continue;
      }
      if (static_cast<size_t>(n) <= SIM_HID_MAX_FRAME)
        HandleFrame(fds[i].fd, buf.data(), static_cast<size_t>(n));
    }
    // A handler may have unplugged the device meanwhile; only close what is still ours.
    for (int fd : closed) {
      auto it = std::find_if(m_clients.begin(), m_clients.end(),
                             [fd](const CUniqueFd& client) { return client.Get() == fd; });
      if (it == m_clients.end()) continue;
      m_clients.erase(it);
      m_backlog.erase(fd);
    }
    if (m_listenFd.Valid() && firstClient == 2 && (fds[1].revents & POLLIN)) {
      CUniqueFd client(accept4(m_listenFd.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
      if (client.Valid()) {
        SendFrame(client.Get(), {SIM_HID_HELLO});
        m_clients.push_back(std::move(client));
      }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_uConnections = m_clients.size();
  }
  DoUnplug();
}

}  // namespace kv
