#include "optrim/ui/TouchSampleTracker.h"

#include <cstdlib>

namespace kv {

namespace {

bool Within(const TrackerPoint& a, int x, int y, int tx, int ty) {
  return std::abs(x - a.x) <= tx && std::abs(y - a.y) <= ty;
}

// Integer mean rounded half away from zero; 64 bits so that ten extreme samples never wrap.
int RoundedMean(int64_t sum, int64_t n) {
  const int64_t half = n / 2;
  return static_cast<int>(sum >= 0 ? (sum + half) / n : -((-sum + half) / n));
}

}  // namespace

bool CTouchSampleTracker::FarFromAccepted(int x, int y) const {
  for (const TrackerPoint& p : m_accepted)
    if (std::abs(x - p.x) <= SEPARATION_X && std::abs(y - p.y) <= SEPARATION_Y) return false;
  return true;
}

void CTouchSampleTracker::Store(int x, int y) {
  m_ring[m_uWrite] = {x, y};
  m_uWrite = (m_uWrite + 1) % RING_SIZE;
  ++m_uCount;
}

bool CTouchSampleTracker::OnSample(int x, int y, uint32_t nowMs) {
  if (m_bWaiting) {
    if (!FarFromAccepted(x, y)) return false;
    Reset();
    Store(x, y);
    m_first = m_last = {x, y};
    m_uFirstMs = m_uLastMs = nowMs;
    m_bWaiting = false;
    return true;
  }
  const bool steady = nowMs - m_uLastMs <= MAX_GAP_MS &&
                      Within(m_first, x, y, TOLERANCE_X, TOLERANCE_Y) &&
                      Within(m_last, x, y, TOLERANCE_X, TOLERANCE_Y);
  if (!steady) {
    Reset();
    return false;
  }
  Store(x, y);
  m_last = {x, y};
  m_uLastMs = nowMs;
  return true;
}

void CTouchSampleTracker::Reset() {
  m_uWrite = 0;
  m_uCount = 0;
  m_bWaiting = true;
}

bool CTouchSampleTracker::IsComplete() const {
  return !m_bWaiting && m_uCount >= 2 &&
         (m_uCount >= RING_SIZE || m_uLastMs - m_uFirstMs > COMPLETE_MS);
}

TrackerPoint CTouchSampleTracker::Average() const {
  const size_t n = m_uCount < RING_SIZE ? m_uCount : RING_SIZE;
  if (n == 0) return {};
  int64_t sx = 0, sy = 0;
  for (size_t i = 0; i < n; ++i) {
    sx += m_ring[i].x;
    sy += m_ring[i].y;
  }
  return {RoundedMean(sx, static_cast<int64_t>(n)), RoundedMean(sy, static_cast<int64_t>(n))};
}

void CTouchSampleTracker::AddAccepted(const TrackerPoint& p) {
  while (m_accepted.size() >= MAX_ACCEPTED) m_accepted.erase(m_accepted.begin());
  m_accepted.push_back(p);
}

void CTouchSampleTracker::RemoveLastAccepted() {
  if (!m_accepted.empty()) m_accepted.pop_back();
}

}  // namespace kv
