#pragma once
// What the test display's logic asks of its window: the refresh timer, running a
// service-mode dialog modally, and hiding itself.
#include <cstdint>

namespace kv {

class StatusDispView {
 public:
  virtual ~StatusDispView() = default;
  virtual void StartTimer(uint32_t id, uint32_t ms) = 0;
  virtual void StopTimer(uint32_t id) = 0;
  // Dialog 260 for firmware-managed models, dialog 200 for the others.
  virtual void RunServiceMode(bool firmwareManaged) = 0;
  virtual void HideWindow() = 0;
};

}  // namespace kv
