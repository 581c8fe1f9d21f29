#pragma once
// System-wide hot keys (RegisterHotKey with MOD_CONTROL | MOD_SHIFT and a virtual-key
// code: 'A'..'Z', '0'..'9', 112..123 for F1..F12). A key another program holds cannot be
// registered. Presses are polled on the user-interface thread: the descriptor becomes
// readable when one waits.
#include <cstdint>
#include <vector>

namespace kv {

class HotKeys {
 public:
  virtual ~HotKeys() = default;
  // False when the key is taken, unknown, or there is no desktop.
  virtual bool Register(int id, uint32_t virtualKey) = 0;
  virtual void Unregister(int id) = 0;
  virtual int Descriptor() const = 0;
  // The ids pressed since the last call, oldest first.
  virtual std::vector<int> ReadPressed() = 0;
};

}  // namespace kv
