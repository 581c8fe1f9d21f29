#include "tabrix/app/ButtonWatchThread.h"

#include "tabrix/app/AppShell.h"
#include "tabrix/driverlink/DriverLink.h"

namespace kv {

bool CButtonWatchThread::Start() {
  if (m_thread.joinable()) return false;
  m_bAlive = true;
  m_thread = std::thread([this] { Run(); });
  return true;
}

bool CButtonWatchThread::WaitEnd(int timeoutMs) { return m_ended.Wait(timeoutMs); }

void CButtonWatchThread::Join() {
  if (!m_thread.joinable()) return;
  m_shell.m_bRun = false;
  // A thread still in the driver's status wait holds on to it until the wait returns.
  m_thread.join();
}

int CButtonWatchThread::MessageFor(uint32_t bits, uint32_t penButon) {
  const bool linked = ((penButon >> 8) & 0xF) == 1;
  if (!linked) return -1;
  if (bits & BUTTON2_DOWN) return 0;
  if (bits & BUTTON2_UP) return 1;
  return -1;
}

void CButtonWatchThread::Run() {
  uint32_t last = 0;
  bool reported = false;
  Clock& clock = m_shell.Services().m_clock;
  while (m_shell.m_bRun) {
    if (!m_shell.m_bDriverEnabled || m_shell.CurrentModelType() == MODEL_TYPE_FIRMWARE_3 ||
        m_shell.CurrentModelType() == MODEL_TYPE_FIRMWARE_4) {
      m_event.Reset();
      reported = false;
      m_event.Wait(-1);
      continue;
    }
    DriverLink link(m_shell.LinkContext());
    if (!link.Open() || !link.WaitStatus()) {
      // Told once; the user-interface thread then clears the driver-enabled flag, which
      // puts this thread to sleep until the panel is back.
      if (!reported) {
        std::lock_guard<std::mutex> lock(m_handlerMutex);
        if (m_onLost) m_onLost();
        reported = true;
      }
      clock.Sleep(IDLE_SLEEP_MS);
      continue;
    }
    reported = false;
    const uint32_t penButon = m_shell.Settings().GetPenButon();
    const uint32_t bits = m_shell.App().DriverState().StatusFlags() & (BUTTON2_DOWN | BUTTON2_UP);
    if (bits == last) {
      clock.Sleep(IDLE_SLEEP_MS);
      continue;
    }
    // Both bits may be set in one pass: the press is told first, then the release.
    if ((bits & BUTTON2_DOWN) && MessageFor(BUTTON2_DOWN, penButon) == 0) {
      m_link.Send(0, 0, 0);
      m_uLinkState |= 2u;
    }
    if ((bits & BUTTON2_UP) && MessageFor(BUTTON2_UP, penButon) == 1) {
      m_link.Send(1, 0, 0);
      m_uLinkState &= ~2u;
    }
    last = bits;
  }
  m_bAlive = false;
  m_ended.Set();
}

}  // namespace kv
