#pragma once
// The Pen Software Link: each linked pen program's window, found by class and/or name,
// gets WM_USER + its own message number for index 0, 1 or 2. Each post is traced to the
// memory log. Posts only; never waits for a window, so the firmware worker may call it.
#include <mutex>
#include <vector>

#include "platform/WindowSystem.h"
#include "tabrix/app/PenSoftwareLink.h"
#include "tabrix/driverlink/MemoryLog.h"
#include "tabrix/firmware/PenSoftwareLinkSender.h"

namespace kv {

class CPenSoftwareLinkPoster final : public PenSoftwareLinkSender {
 public:
  CPenSoftwareLinkPoster(WindowSystem& windows, std::vector<PenSoftwareLink>& links,
                         CMemoryLog& log)
      : m_windows(windows), m_links(links), m_log(log) {}
  bool Send(uint32_t index, uint64_t wParam, uint64_t lParam) override;

 private:
  WindowSystem& m_windows;
  std::vector<PenSoftwareLink>& m_links;
  CMemoryLog& m_log;
  std::mutex m_mutex;  // the worker and the button watch may send at once
};

}  // namespace kv
