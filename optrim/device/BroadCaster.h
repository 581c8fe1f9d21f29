#pragma once
// Hands numbered notifications from device objects to the windows registered as listeners.
#include <cstdint>
#include <mutex>
#include <vector>

namespace kv {

class CMsgThrower;

class CBroadCaster {
 public:
  void Register(CMsgThrower* listener);
  void Unregister(CMsgThrower* listener);
  // Delivers (code, payload) to every registered listener except the sender.
  void Post(CMsgThrower* sender, uint32_t code, uintptr_t payload);

 private:
  std::mutex m_mutex;
  std::vector<CMsgThrower*> m_listeners;
};

}  // namespace kv
