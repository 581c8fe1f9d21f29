#include "optrim/device/BroadCaster.h"

#include <algorithm>

#include "optrim/device/MsgThrower.h"

namespace kv {

void CBroadCaster::Register(CMsgThrower* listener) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
    m_listeners.push_back(listener);
}

void CBroadCaster::Unregister(CMsgThrower* listener) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                    m_listeners.end());
}

void CBroadCaster::Post(CMsgThrower* sender, uint32_t code, uintptr_t payload) {
  std::vector<CMsgThrower*> listeners;
  {
    // A listener may unregister from inside OnNotify: deliver to a copy.
    std::lock_guard<std::mutex> lock(m_mutex);
    listeners = m_listeners;
  }
  for (CMsgThrower* l : listeners) {
    if (l == sender) continue;
    {
      // A listener that an earlier one closed (unregistered and destroyed) during this
      // delivery must not be called.
      std::lock_guard<std::mutex> lock(m_mutex);
      if (std::find(m_listeners.begin(), m_listeners.end(), l) == m_listeners.end()) continue;
    }
    l->OnNotify(code, payload);
  }
}

}  // namespace kv
