#pragma once
// Base of every device object and listener: posts notifications through a broadcaster that
// is handed in, and receives them in OnNotify once registered.
#include <cstdint>

namespace kv {

class CBroadCaster;

class CMsgThrower {
 public:
  explicit CMsgThrower(CBroadCaster* broadcaster) : m_pBroadCaster(broadcaster) {}
  virtual ~CMsgThrower();
  CMsgThrower(const CMsgThrower&) = delete;
  CMsgThrower& operator=(const CMsgThrower&) = delete;

  virtual void OnNotify(uint32_t code, uintptr_t payload) { (void)code; (void)payload; }

  void RegisterListener();
  void UnregisterListener();
  // Does nothing while disabled or without a broadcaster.
  void Post(uint32_t code, uintptr_t payload = 0);
  void SetEnabled(bool enabled) { m_bEnabled = enabled; }
  bool Registered() const { return m_bRegistered; }

 private:
  CBroadCaster* m_pBroadCaster;
  bool m_bRegistered = false;
  bool m_bEnabled = true;
};

}  // namespace kv
