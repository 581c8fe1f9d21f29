#pragma once
// One PipeRequest as the service receives it: the bytes read into the 1024-byte message
// buffer, checked once so that the handlers can reach the payload and the out area without
// ever leaving the bytes the client sent.
//   0 total length | 4 status | 8 command | 12 in size | 16 payload
//   P out size | P+4 out returned | P+8 out area        (P = 16 + in size, 17 when 0)
#include <cstddef>
#include <cstdint>
#include <span>

namespace kv {

inline constexpr size_t PIPE_MESSAGE_CAPACITY = 1024;  // PipeRequest::MAX_MESSAGE_SIZE

class CRequestFrame {
 public:
  enum class Check {
    OK,
    LENGTH_MISMATCH,  // total length differs from the bytes read
    BAD_LAYOUT,       // in size or out size reaches past the bytes read
  };

  // buffer: the whole message buffer; read: the byte count of the read (<= buffer size).
  CRequestFrame(std::span<uint8_t> buffer, size_t read);

  Check Validate();
  // Status goes back only when the echoed bytes hold it (total length of at least 8).
  void SetStatus(uint32_t status);
  bool StatusFits() const;

  // Valid after Validate() returned OK.
  uint32_t Command() const;
  std::span<uint8_t> Payload() const { return m_payload; }
  std::span<uint8_t> OutArea() const { return m_out; }
  void SetOutReturned(uint32_t count);

 private:
  std::span<uint8_t> m_buffer;
  size_t m_uRead;
  size_t m_uOutDescriptor = 0;
  std::span<uint8_t> m_payload;
  std::span<uint8_t> m_out;
};

}  // namespace kv
