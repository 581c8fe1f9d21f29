#include "tabrix/app/PenSoftwareLinkPoster.h"

#include <string>

namespace kv {

bool CPenSoftwareLinkPoster::Send(uint32_t index, uint64_t wParam, uint64_t lParam) {
  if (index > 2) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  bool any = false;
  for (PenSoftwareLink& link : m_links) {
    const std::string* cls = link.m_bUseClass ? &link.m_sClassName : nullptr;
    const std::string* name = link.m_bUseWindow ? &link.m_sWindowName : nullptr;
    // Neither class nor name would match any window at all: such an entry links nothing.
    if (!cls && !name) continue;
    link.m_hWndLast = m_windows.FindWindow(cls, name);
    if (link.m_hWndLast == 0) continue;
    const uint32_t number = link.m_auMessages[index];
    m_log.AppendWithTime(("PB " + std::to_string(number) + "," + std::to_string(wParam) + "," +
                          std::to_string(lParam) + "\n").c_str());
    const bool posted = m_windows.PostMessage(link.m_hWndLast, WINDOW_MESSAGE_USER + number,
                                              wParam, static_cast<int64_t>(lParam));
    m_log.Append(posted ? "PA(1)\n" : "PA(0)\n");
    any = any || posted;
  }
  return any;
}

}  // namespace kv
