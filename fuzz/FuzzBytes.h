#pragma once
// Takes a fuzz input apart front to back: fixed fields, length-prefixed pieces and the rest.
// Past the end every read gives zeros or an empty piece, so a harness never needs to check.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv::fuzz {

class CFuzzBytes {
 public:
  CFuzzBytes(const uint8_t* data, size_t size) : m_data(data, size) {}

  bool Empty() const { return m_uPos >= m_data.size(); }
  size_t Left() const { return m_data.size() - m_uPos; }
  uint8_t Byte() { return Empty() ? 0 : m_data[m_uPos++]; }
  uint16_t U16() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
  uint32_t U32() { return static_cast<uint32_t>(U16()) | (static_cast<uint32_t>(U16()) << 16); }
  // Up to n bytes (fewer at the end).
  std::span<const uint8_t> Take(size_t n) {
    if (n > Left()) n = Left();
    std::span<const uint8_t> part = m_data.subspan(m_uPos, n);
    m_uPos += n;
    return part;
  }
  // A piece whose length is the next byte (or the next two with wide).
  std::span<const uint8_t> Piece(bool wide = false) { return Take(wide ? U16() : Byte()); }
  std::span<const uint8_t> Rest() { return Take(Left()); }
  static std::string Text(std::span<const uint8_t> bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

 private:
  std::span<const uint8_t> m_data;
  size_t m_uPos = 0;
};

// Splits text into lines at "\n" (the last one may lack it), as a control channel does.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace kv::fuzz
