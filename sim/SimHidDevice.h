#pragma once
// Device side of the simulated HID bus, for the hardware stand-ins: announces one device
// under CPaths::HidDir() (endpoint socket NAME and descriptor NAME.dev), accepts any number
// of host handles, hands their reports to a SimHidHandler and sends input reports to all
// of them. A service thread does all socket work; the public calls are thread-safe.
//
// Plug() replaces the stale files of an earlier, dead owner of the same name, but refuses
// a name whose owner still runs. Unplug() removes the announcement and drops every open
// handle (their calls then fail with 1167); Plug() announces it again.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/Paths.h"
#include "platform/posix/SimHidDescriptor.h"
#include "platform/posix/UniqueFd.h"
#include "sim/SimHidHandler.h"

namespace kv {

class CSimHidDevice {
 public:
  // descriptor: identity, capabilities, strings, openable; its name must be valid. An
  // empty path gets SimHidInstancePath(vid, pid, collection, name); the owner is this
  // process.
  CSimHidDevice(const CPaths& paths, SimHidDescriptor descriptor, unsigned collection,
                SimHidHandler* handler);
  ~CSimHidDevice();
  CSimHidDevice(const CSimHidDevice&) = delete;
  CSimHidDevice& operator=(const CSimHidDevice&) = delete;

  static constexpr size_t MAX_BACKLOG = 8192;

  bool Plug();
  void Unplug();
  bool Plugged() const;

  // Sends one input report (report id first) to every open handle, padded with zeros or
  // cut to the declared input length, after delayMs. Reports due while unplugged are
  // dropped. Reports of one delay keep their order. A burst larger than a handle's socket
  // takes waits for the host to read (up to MAX_BACKLOG frames per handle).
  void SendInputReport(std::span<const uint8_t> report, uint32_t delayMs = 0);
  // While set, feature requests get no answer at all (a hung device).
  void SetFeatureSilence(bool silent);
  size_t ConnectionCount() const;

  const std::string& Path() const { return m_descriptor.m_sPath; }
  const std::string& EndpointPath() const { return m_sEndpoint; }
  const std::string& DescriptorPath() const { return m_sDescriptorFile; }
  const SimHidDescriptor& Descriptor() const { return m_descriptor; }

 private:
  struct Pending {
    std::chrono::steady_clock::time_point m_due;
    std::vector<uint8_t> m_frame;
  };
  void ServiceLoop();
  // Runs fn on the service thread and waits for it (at once when already there).
  void RunOnService(const std::function<void()>& fn);
  void Wake();
  bool DoPlug();
  void DoUnplug();
  void HandleFrame(int fd, const uint8_t* frame, size_t length);
  void SendFrame(int fd, const std::vector<uint8_t>& frame);
  void FlushBacklog(int fd);

  SimHidDescriptor m_descriptor;
  SimHidHandler* m_pHandler;
  std::string m_sDir;
  std::string m_sEndpoint;
  std::string m_sDescriptorFile;
  CUniqueFd m_wakeFd;  // eventfd

  // Owned by the service thread.
  CUniqueFd m_listenFd;
  std::vector<CUniqueFd> m_clients;
  // Frames a host's socket had no room for yet, oldest first: a USB device holds its
  // reports until the host controller polls, it does not throw them away. Bounded, so a
  // host that stopped reading altogether cannot make us grow without limit.
  std::map<int, std::deque<std::vector<uint8_t>>> m_backlog;

  mutable std::mutex m_mutex;
  std::condition_variable m_cv;
  std::deque<std::function<void()>> m_tasks;
  std::vector<Pending> m_pending;  // ordered by due time
  bool m_bStop = false;
  bool m_bPlugged = false;
  bool m_bSilent = false;
  size_t m_uConnections = 0;
  std::thread m_thread;
};

}  // namespace kv
