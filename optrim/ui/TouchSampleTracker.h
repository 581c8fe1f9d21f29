#pragma once
// Turns the stream of touch samples at one mark into one steady point: a hold starts away
// from every point already taken, continues while the samples stay close together and
// keep coming, and is complete after 10 samples or half a second.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv {

struct TrackerPoint {
  int x = 0;
  int y = 0;
  bool operator==(const TrackerPoint&) const = default;
};

class CTouchSampleTracker {
 public:
  static constexpr size_t RING_SIZE = 10;
  static constexpr int TOLERANCE_X = 50;
  static constexpr int TOLERANCE_Y = 50;
  static constexpr int SEPARATION_X = 800;
  static constexpr int SEPARATION_Y = 800;
  static constexpr uint32_t MAX_GAP_MS = 300;
  static constexpr uint32_t COMPLETE_MS = 500;
  static constexpr size_t MAX_ACCEPTED = 100;

  // True when the sample was stored (it started or continued a hold).
  bool OnSample(int x, int y, uint32_t nowMs);
  // Forgets the hold (not the accepted points).
  void Reset();

  bool Waiting() const { return m_bWaiting; }
  size_t Count() const { return m_uCount; }
  bool IsComplete() const;
  // Milliseconds from the first to the last sample of the hold.
  uint32_t HeldMs() const { return m_bWaiting ? 0 : m_uLastMs - m_uFirstMs; }
  uint32_t FirstMs() const { return m_uFirstMs; }
  // The mean of the stored samples, rounded half away from zero; (0, 0) without any.
  TrackerPoint Average() const;

  void AddAccepted(const TrackerPoint& p);
  void RemoveLastAccepted();
  void ClearAccepted() { m_accepted.clear(); }
  const std::vector<TrackerPoint>& Accepted() const { return m_accepted; }

 private:
  bool FarFromAccepted(int x, int y) const;
  void Store(int x, int y);

  std::array<TrackerPoint, RING_SIZE> m_ring{};
  size_t m_uWrite = 0;
  size_t m_uCount = 0;
  bool m_bWaiting = true;
  TrackerPoint m_first, m_last;
  uint32_t m_uFirstMs = 0, m_uLastMs = 0;
  std::vector<TrackerPoint> m_accepted;
};

}  // namespace kv
