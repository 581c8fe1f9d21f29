#pragma once
// The stand-in's control channel language: one text command per line, one reply line each
// ("ok", a value, or "error TEXT"). Tests and the demo drive the simulated driver with it:
//   touch X Y | status FLAGS | settings | touchpoint | touchmode | waiting (pending waits)
//   fail CODE COUNT | unplug | plug | info TEXT W1 W2 W3
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/kvtpd/KvtpdModel.h"

namespace kv::sim {

inline constexpr size_t KVTPD_MAX_LINE = 256;

class CKvtpdControl {
 public:
  explicit CKvtpdControl(CKvtpdModel& model) : m_model(model) {}

  // One command line (without its line end) -> the reply (without its line end).
  std::string Execute(std::string_view line);
  // Where "plug" (true) and "unplug" (false) go; unset, straight to the model.
  void OnPlug(std::function<void(bool)> plug) { m_plug = std::move(plug); }

  // Decimal (with optional '-') or 0x-hex, the whole token, inside [min, max].
  static std::optional<int64_t> ParseNumber(std::string_view token, int64_t min, int64_t max);

 private:
  CKvtpdModel& m_model;
  std::function<void(bool)> m_plug;
};

}  // namespace kv::sim
