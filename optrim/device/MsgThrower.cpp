#include "optrim/device/MsgThrower.h"

#include "optrim/device/BroadCaster.h"

namespace kv {

CMsgThrower::~CMsgThrower() { UnregisterListener(); }

void CMsgThrower::RegisterListener() {
  if (m_pBroadCaster && !m_bRegistered) m_pBroadCaster->Register(this);
  m_bRegistered = m_pBroadCaster != nullptr;
}

void CMsgThrower::UnregisterListener() {
  if (m_pBroadCaster && m_bRegistered) m_pBroadCaster->Unregister(this);
  m_bRegistered = false;
}

void CMsgThrower::Post(uint32_t code, uintptr_t payload) {
  if (m_bEnabled && m_pBroadCaster) m_pBroadCaster->Post(this, code, payload);
}

}  // namespace kv
