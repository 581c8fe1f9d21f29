#pragma once
// The computer name and its addresses for the test display, which refreshes every 100 ms on
// the user-interface thread. Resolving a name can wait many seconds for a name server that
// does not answer, so it never runs there: Current() only reads the last result and, when
// that is older than the refresh interval and no resolution is under way, starts one on a
// thread of its own. A resolution that hangs keeps the old result on show and starts no
// second one; the cache can be destroyed meanwhile (the thread finishes on its own).
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/HostNames.h"

namespace kv {

class CHostAddressCache {
 public:
  static constexpr uint32_t DEFAULT_REFRESH_MS = 2000;

  struct Snapshot {
    std::string m_sName;
    bool m_bDone = false;    // a resolution of this name has finished
    bool m_bFailed = false;  // ... and found nothing
    std::vector<Ipv4Address> m_addresses;
    uint64_t m_uGeneration = 0;  // counts finished resolutions
  };

  CHostAddressCache(std::shared_ptr<HostNames> names, Clock& clock,
                    uint32_t refreshMs = DEFAULT_REFRESH_MS);
  ~CHostAddressCache();
  CHostAddressCache(const CHostAddressCache&) = delete;
  CHostAddressCache& operator=(const CHostAddressCache&) = delete;

  // Never blocks on the network.
  Snapshot Current();
  bool Resolving() const;

  // "a.b.c.d" with four decimal parts of 0 to 255: such a name is not looked up.
  static bool IsDottedAddress(const std::string& name);
  // " %d.%d.%d.%d", with the leading blank.
  static std::string Format(const Ipv4Address& address);

 private:
  struct Shared {
    std::mutex m_mutex;
    Snapshot m_result;
    bool m_bInFlight = false;
  };
  void StartResolution(const std::string& name);

  std::shared_ptr<HostNames> m_pNames;
  Clock& m_clock;
  uint32_t m_uRefreshMs;
  std::shared_ptr<Shared> m_pShared;
  bool m_bStarted = false;
  uint32_t m_uLastStart = 0;
};

}  // namespace kv
