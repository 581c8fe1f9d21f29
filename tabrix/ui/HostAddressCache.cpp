#include "tabrix/ui/HostAddressCache.h"

#include <cstdio>
#include <system_error>
#include <thread>

namespace kv {

CHostAddressCache::CHostAddressCache(std::shared_ptr<HostNames> names, Clock& clock,
                                     uint32_t refreshMs)
    : m_pNames(std::move(names)),
      m_clock(clock),
      m_uRefreshMs(refreshMs),
      m_pShared(std::make_shared<Shared>()) {}

CHostAddressCache::~CHostAddressCache() = default;

bool CHostAddressCache::IsDottedAddress(const std::string& name) {
  int parts = 0, digits = 0, value = 0;
  for (char c : name) {
    if (c == '.') {
      if (digits == 0 || ++parts > 3) return false;
      digits = value = 0;
    } else if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
      if (++digits > 3 || value > 255) return false;
    } else {
      return false;
    }
  }
  return parts == 3 && digits > 0;
}

std::string CHostAddressCache::Format(const Ipv4Address& a) {
  char text[20];
  std::snprintf(text, sizeof text, " %d.%d.%d.%d", a[0], a[1], a[2], a[3]);
  return text;
}

bool CHostAddressCache::Resolving() const {
  std::lock_guard<std::mutex> lock(m_pShared->m_mutex);
  return m_pShared->m_bInFlight;
}

CHostAddressCache::Snapshot CHostAddressCache::Current() {
  const std::string name = m_pNames->ComputerName();
  const uint32_t now = m_clock.TickCount();
  bool start = false;
  Snapshot snapshot;
  {
    std::lock_guard<std::mutex> lock(m_pShared->m_mutex);
    Snapshot& r = m_pShared->m_result;
    if (r.m_sName != name) {
      // Another name: what was found for the old one no longer applies.
      r = Snapshot{name, false, false, {}, r.m_uGeneration};
      m_bStarted = false;
    }
    const bool due = !m_bStarted || now - m_uLastStart >= m_uRefreshMs;
    if (due && !m_pShared->m_bInFlight && !IsDottedAddress(name) && !name.empty()) {
      m_pShared->m_bInFlight = true;
      start = true;
    }
    snapshot = r;
  }
  if (name.empty()) snapshot.m_bDone = snapshot.m_bFailed = true;  // nothing to look up
  if (start) {
    m_bStarted = true;
    m_uLastStart = now;
    StartResolution(name);
  }
  return snapshot;
}

void CHostAddressCache::StartResolution(const std::string& name) {
  // The thread owns what it uses, so a cache destroyed meanwhile leaves it nothing dangling.
  std::shared_ptr<Shared> shared = m_pShared;
  std::shared_ptr<HostNames> names = m_pNames;
  auto resolve = [shared, names, name] {
    std::vector<Ipv4Address> addresses;
    const bool ok = names->Resolve(name, &addresses);
    std::lock_guard<std::mutex> lock(shared->m_mutex);
    shared->m_bInFlight = false;
    Snapshot& r = shared->m_result;
    if (r.m_sName != name) return;
    r.m_bDone = true;
    r.m_bFailed = !ok || addresses.empty();
    r.m_addresses = ok ? std::move(addresses) : std::vector<Ipv4Address>{};
    ++r.m_uGeneration;
  };
  try {
    std::thread(std::move(resolve)).detach();
  } catch (const std::system_error&) {
    // No thread to be had: try again at the next interval.
    std::lock_guard<std::mutex> lock(m_pShared->m_mutex);
    m_pShared->m_bInFlight = false;
  }
}

}  // namespace kv
