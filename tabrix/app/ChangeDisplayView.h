#pragma once
// What the resolution notice's logic asks of its window: the question shown or hidden and
// the dialog's own two timers. The Qt view implements it; tests record the calls.
#include <cstdint>
#include <string>

namespace kv {

class ChangeDisplayView {
 public:
  virtual ~ChangeDisplayView() = default;
  // The question's text; the dialog becomes the active window when it is visible.
  virtual void SetText(const std::string& text) = 0;
  // Visible, top-most and in front, the keyboard focus on "Yes".
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual void StartTimer(uint32_t id, uint32_t ms) = 0;
  virtual void StopTimer(uint32_t id) = 0;
};

}  // namespace kv
