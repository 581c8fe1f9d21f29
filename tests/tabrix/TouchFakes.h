#pragma once
// What the firmware link's touch reporting reaches outside itself, recorded for tests: the
// region window, the Pen Software Link and the Set panel state calls. The worker thread
// writes while the test thread reads, so every record is taken under a lock.
#include <cstdint>
#include <mutex>
#include <vector>

#include "tabrix/firmware/PenSoftwareLinkSender.h"
#include "tabrix/firmware/RegionWindow.h"
#include "tabrix/firmware/TouchReportContext.h"

namespace kv::test {

class CFakeRegionWindow final : public RegionWindow {
 public:
  static constexpr uint64_t HANDLE = 0x11280;

  uint64_t Handle() const override { return HANDLE; }
  void SetPosition(double x, double y) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dX = x;
    m_dY = y;
    ++m_iPositions;
  }
  void SendRedraw() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_iSent;
  }
  void PostRedraw() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_iPosted;
  }

  struct Snapshot {
    double m_dX, m_dY;
    int m_iPositions, m_iSent, m_iPosted;
  };
  Snapshot Get() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return {m_dX, m_dY, m_iPositions, m_iSent, m_iPosted};
  }

 private:
  mutable std::mutex m_mutex;
  double m_dX = 0.0, m_dY = 0.0;
  int m_iPositions = 0, m_iSent = 0, m_iPosted = 0;
};

struct PenLinkMessage {
  uint32_t m_uIndex;
  uint64_t m_uWParam, m_uLParam;
  bool operator==(const PenLinkMessage&) const = default;
};

class CFakePenLink final : public PenSoftwareLinkSender {
 public:
  bool Send(uint32_t index, uint64_t wParam, uint64_t lParam) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sent.push_back({index, wParam, lParam});
    return true;
  }
  std::vector<PenLinkMessage> Sent() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sent;
  }

 private:
  mutable std::mutex m_mutex;
  std::vector<PenLinkMessage> m_sent;
};

// The codes of every Set panel state call; all carry flag 0, anything else is recorded as
// code + 1000 so a test sees it.
class CPanelStateLog {
 public:
  PanelStateSender Sender() {
    return [this](uint32_t code, uint32_t flag) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_codes.push_back(flag == 0 ? code : code + 1000);
    };
  }
  std::vector<uint32_t> Codes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_codes;
  }

 private:
  mutable std::mutex m_mutex;
  std::vector<uint32_t> m_codes;
};

}  // namespace kv::test
