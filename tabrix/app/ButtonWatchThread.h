#pragma once
// Watches the pen's function buttons through the driver's status wait and tells the
// linked pen programs of button 2 presses and releases. It sleeps on its event while the
// driver is off or the panel's firmware reports the buttons itself (types 3 and 4).
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/Event.h"
#include "tabrix/firmware/PenSoftwareLinkSender.h"

namespace kv {

class CAppShell;

class CButtonWatchThread {
 public:
  static constexpr uint32_t BUTTON2_DOWN = 0x10;
  static constexpr uint32_t BUTTON2_UP = 0x20;
  static constexpr uint32_t IDLE_SLEEP_MS = 10;

  CButtonWatchThread(CAppShell& shell, PenSoftwareLinkSender& link) : m_shell(shell), m_link(link) {}
  ~CButtonWatchThread() { Join(); }
  CButtonWatchThread(const CButtonWatchThread&) = delete;
  CButtonWatchThread& operator=(const CButtonWatchThread&) = delete;

  bool Start();
  // Called from the thread when the driver stops answering while it is enabled (the
  // service went away): the user-interface thread switches to driver off. Once per loss.
  void SetLostHandler(std::function<void()> onLost) {
    std::lock_guard<std::mutex> lock(m_handlerMutex);
    m_onLost = std::move(onLost);
  }
  // Wakes a sleeping thread (driver enabled again, or the run flag cleared).
  void Signal() { m_event.Set(); }
  bool Alive() const { return m_bAlive; }
  // Waits up to timeoutMs for the thread to end; true when it did.
  bool WaitEnd(int timeoutMs);
  void Join();
  // Bit 1 while button 2 is held, for the pen programs that ask.
  uint32_t LinkState() const { return m_uLinkState; }
  void ClearLinkState() { m_uLinkState = 0; }

  // One pass's decision on the status bits 0x10/0x20: which Pen Software Link message
  // to send (0 down, 1 up, -1 none) when button 2 is linked ("PenButon" bits 8-11 = 1).
  static int MessageFor(uint32_t changedBits, uint32_t penButon);

 private:
  void Run();

  CAppShell& m_shell;
  PenSoftwareLinkSender& m_link;
  CEvent m_event{false, true};
  CEvent m_ended{true, false};
  std::atomic<bool> m_bAlive{false};
  std::atomic<uint32_t> m_uLinkState{0};
  std::thread m_thread;
  std::mutex m_handlerMutex;
  std::function<void()> m_onLost;
};

}  // namespace kv
