#include "platform/posix/SimHidDeviceWatch.h"

#include <dirent.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/posix/SimHidDescriptor.h"

namespace kv {

namespace {

constexpr const char* SUFFIX = ".dev";

bool Stem(const std::string& file, std::string* stem) {
  const size_t n = std::char_traits<char>::length(SUFFIX);
  if (file.size() <= n || file.compare(file.size() - n, n, SUFFIX) != 0) return false;
  *stem = file.substr(0, file.size() - n);
  return IsValidSimHidName(*stem);
}

}  // namespace

CSimHidDeviceWatch::CSimHidDeviceWatch(const std::string& hidDir) : m_sDir(hidDir) {
  CPaths::EnsureDirectory(m_sDir);
  m_fd.Reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!m_fd.Valid() ||
      inotify_add_watch(m_fd.Get(), m_sDir.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE |
                                                        IN_MOVED_FROM) < 0) {
    m_fd.Reset();
    return;
  }
  // What is there already counts as present, not as arriving.
  if (DIR* dir = opendir(m_sDir.c_str())) {
    while (dirent* e = readdir(dir)) {
      std::string stem;
      if (!Stem(e->d_name, &stem)) continue;
      std::string name = NameOf(stem);
      if (!name.empty()) m_present[stem] = name;
    }
    closedir(dir);
  }
}

std::string CSimHidDeviceWatch::NameOf(const std::string& stem) const {
  std::ifstream in(SimHidDescriptorFile(m_sDir, stem));
  std::stringstream text;
  text << in.rdbuf();
  SimHidDescriptor d;
  if (!in || !ParseSimHidDescriptor(text.str(), stem, &d)) return {};
  // The instance part names the device, as Windows' does.
  return InterfaceName(d.m_uVendorId, d.m_uProductId, stem);
}

std::vector<DeviceEvent> CSimHidDeviceWatch::ReadEvents() {
  std::vector<DeviceEvent> events;
  if (!m_fd.Valid()) return events;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    ssize_t got = read(m_fd.Get(), buffer, sizeof buffer);
    if (got <= 0) break;
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      if (at > got || e->len == 0) continue;
      std::string stem;
      if (!Stem(std::string(e->name, ::strnlen(e->name, e->len)), &stem)) continue;
      if (e->mask & (IN_MOVED_TO | IN_CLOSE_WRITE)) {
        std::string name = NameOf(stem);
        if (name.empty() || m_present.count(stem)) continue;
        m_present[stem] = name;
        events.push_back({true, name});
      } else {
        auto it = m_present.find(stem);
        if (it == m_present.end()) continue;
        events.push_back({false, it->second});
        m_present.erase(it);
      }
    }
  }
  return events;
}

}  // namespace kv
