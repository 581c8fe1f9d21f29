// Arbitrary texts set as the command window's text by other programs (any bytes, invalid
// UTF-8, long texts): only an empty text or the window's own is kept, only "Get PenMode"
// is answered, and the answer is the Pen Software Link's third message with 0 or 1.
#include <cstddef>
#include <cstdint>
#include <string>

#include "resources/StringTable.h"
#include "tabrix/app/CommandWindow.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

struct Link final : kv::PenSoftwareLinkSender {
  bool Send(uint32_t index, uint64_t wParam, uint64_t lParam) override {
    Require(index == 2 && wParam == 0 && lParam <= 1);
    ++sent;
    return true;
  }
  int sent = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const kv::CStringTable strings = kv::CStringTable::BuiltIn("tabrix");
  const uint32_t inputMode = data[0];
  const bool eraser = (data[1] & 1) != 0;
  // The rest: the window's own text, a zero byte, then what the other program sets.
  const std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const size_t zero = rest.find('\0');
  const std::string own = zero == std::string::npos ? "KV_TPDrv_CommandWindow" : rest.substr(0, zero);
  const std::string text = zero == std::string::npos ? rest : rest.substr(zero + 1);
  Link link;
  kv::CCommandWindow window(strings, link, [&] { return inputMode; }, [&] { return eraser; });
  const auto outcome = window.OnSetText(text, own);
  Require((outcome == kv::CCommandWindow::Outcome::STORED) == (text.empty() || text == own));
  if (outcome == kv::CCommandWindow::Outcome::ANSWERED) Require(text == "Get PenMode");
  Require(link.sent == (outcome == kv::CCommandWindow::Outcome::ANSWERED ? 1 : 0));
  return 0;
}
