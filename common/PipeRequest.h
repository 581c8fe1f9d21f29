#pragma once
// One request on a service pipe; the same bytes travel both ways and the answer has the
// length of the request.
//
//   0  u32 total length      4  u32 status      8  u32 command      12 u32 in size
//   16 payload (in size bytes; a single zero byte when in size is 0)
//   P  u32 out size   P+4 u32 out returned   P+8 out area (out size bytes)
//   with P = 16 + in size, or 17 when in size is 0, and zeros up to total length.
//
// Build() makes a request as the client sends it. A PipeRequest is a view over received
// bytes: the length fields come from the peer, so every field is checked against the bytes
// actually present and an accessor answers false (or an empty span) rather than read or
// write outside them, whatever the fields claim.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kv {

class PipeRequest {
 public:
  static constexpr size_t HEADER_SIZE = 16;
  // The service reads at most this much per request; longer requests fail its length check.
  static constexpr size_t MAX_MESSAGE_SIZE = 1024;
  static constexpr size_t OUT_DESCRIPTOR_SIZE = 8;
  // in size + out size + this many bytes make the whole message.
  static constexpr size_t OVERHEAD_SIZE = 32;

  static constexpr size_t TOTAL_LENGTH_OFFSET = 0;
  static constexpr size_t STATUS_OFFSET = 4;
  static constexpr size_t COMMAND_OFFSET = 8;
  static constexpr size_t IN_SIZE_OFFSET = 12;
  static constexpr size_t PAYLOAD_OFFSET = 16;

  // Builds the zero-filled request. False (and *message left empty) when the message
  // would be longer than MAX_MESSAGE_SIZE, which the service would refuse anyway.
  static bool Build(uint32_t command, std::span<const uint8_t> in, uint32_t outSize,
                    std::vector<uint8_t>* message);

  explicit PipeRequest(std::span<uint8_t> bytes) : m_bytes(bytes) {}

  std::span<uint8_t> Bytes() const { return m_bytes; }

  bool TotalLength(uint32_t* value) const;
  bool Status(uint32_t* value) const;
  bool Command(uint32_t* value) const;
  bool InSize(uint32_t* value) const;
  // True when the total length field is present and equals the number of bytes held.
  bool LengthMatches() const;

  // The in size bytes at 16; false when they do not all lie in the bytes held.
  bool Payload(std::span<uint8_t>* payload) const;
  // Offset P of the out descriptor; false when in size is missing.
  bool OutDescriptorOffset(size_t* offset) const;
  bool OutSize(uint32_t* value) const;
  bool OutReturned(uint32_t* value) const;
  // The out size bytes at P+8; false when they do not all lie in the bytes held.
  bool OutArea(std::span<uint8_t>* area) const;
  // What the answer carries: the first out returned bytes of the out area, never more
  // than out size.
  bool ReturnedOutput(std::span<const uint8_t>* output) const;

  // Service side. Each returns false and writes nothing when its field lies outside.
  bool SetStatus(uint32_t status);
  bool SetOutReturned(uint32_t count);
  // Copies data into the out area, at most out size bytes of it.
  bool SetOutArea(std::span<const uint8_t> data);

 private:
  bool ReadField(size_t offset, uint32_t* value) const;
  bool WriteField(size_t offset, uint32_t value);

  std::span<uint8_t> m_bytes;
};

}  // namespace kv
