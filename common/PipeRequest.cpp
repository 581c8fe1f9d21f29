#include "common/PipeRequest.h"

#include <algorithm>
#include <cstring>

#include "common/LittleEndian.h"

namespace kv {

namespace {

// True when [offset, offset + length) lies inside a buffer of `size` bytes; written so
// that no sum can wrap.
bool Inside(size_t size, uint64_t offset, uint64_t length) {
  return offset <= size && length <= size - offset;
}

// P: the out descriptor follows the payload, or the single zero byte that stands in for
// an empty payload.
uint64_t DescriptorOffsetFor(uint32_t inSize) {
  return inSize == 0 ? PipeRequest::PAYLOAD_OFFSET + 1 : PipeRequest::PAYLOAD_OFFSET + inSize;
}

}  // namespace

bool PipeRequest::Build(uint32_t command, std::span<const uint8_t> in, uint32_t outSize,
                        std::vector<uint8_t>* message) {
  message->clear();
  uint64_t total = static_cast<uint64_t>(in.size()) + outSize + OVERHEAD_SIZE;
  if (total > MAX_MESSAGE_SIZE) return false;
  message->assign(static_cast<size_t>(total), 0);
  uint8_t* p = message->data();
  const uint32_t inSize = static_cast<uint32_t>(in.size());
  WriteU32(p + TOTAL_LENGTH_OFFSET, static_cast<uint32_t>(total));
  WriteU32(p + STATUS_OFFSET, 0);
  WriteU32(p + COMMAND_OFFSET, command);
  WriteU32(p + IN_SIZE_OFFSET, inSize);
  if (!in.empty()) std::memcpy(p + PAYLOAD_OFFSET, in.data(), in.size());
  const size_t descriptor = static_cast<size_t>(DescriptorOffsetFor(inSize));
  WriteU32(p + descriptor, outSize);
  WriteU32(p + descriptor + 4, 0);
  return true;
}

bool PipeRequest::ReadField(size_t offset, uint32_t* value) const {
  return CheckedReadU32(m_bytes, offset, value);
}

bool PipeRequest::WriteField(size_t offset, uint32_t value) {
  if (!Inside(m_bytes.size(), offset, 4)) return false;
  WriteU32(m_bytes.data() + offset, value);
  return true;
}

bool PipeRequest::TotalLength(uint32_t* value) const { return ReadField(TOTAL_LENGTH_OFFSET, value); }
bool PipeRequest::Status(uint32_t* value) const { return ReadField(STATUS_OFFSET, value); }
bool PipeRequest::Command(uint32_t* value) const { return ReadField(COMMAND_OFFSET, value); }
bool PipeRequest::InSize(uint32_t* value) const { return ReadField(IN_SIZE_OFFSET, value); }

bool PipeRequest::LengthMatches() const {
  uint32_t total = 0;
  return TotalLength(&total) && total == m_bytes.size();
}

bool PipeRequest::Payload(std::span<uint8_t>* payload) const {
  uint32_t inSize = 0;
  if (!InSize(&inSize) || !Inside(m_bytes.size(), PAYLOAD_OFFSET, inSize)) return false;
  *payload = m_bytes.subspan(PAYLOAD_OFFSET, inSize);
  return true;
}

bool PipeRequest::OutDescriptorOffset(size_t* offset) const {
  uint32_t inSize = 0;
  if (!InSize(&inSize)) return false;
  uint64_t p = DescriptorOffsetFor(inSize);
  if (p > m_bytes.size()) return false;
  *offset = static_cast<size_t>(p);
  return true;
}

bool PipeRequest::OutSize(uint32_t* value) const {
  size_t p = 0;
  return OutDescriptorOffset(&p) && ReadField(p, value);
}

bool PipeRequest::OutReturned(uint32_t* value) const {
  size_t p = 0;
  return OutDescriptorOffset(&p) && Inside(m_bytes.size(), p, OUT_DESCRIPTOR_SIZE) &&
         ReadField(p + 4, value);
}

bool PipeRequest::OutArea(std::span<uint8_t>* area) const {
  size_t p = 0;
  uint32_t outSize = 0;
  if (!OutDescriptorOffset(&p) || !OutSize(&outSize)) return false;
  if (!Inside(m_bytes.size(), static_cast<uint64_t>(p) + OUT_DESCRIPTOR_SIZE, outSize)) return false;
  *area = m_bytes.subspan(p + OUT_DESCRIPTOR_SIZE, outSize);
  return true;
}

bool PipeRequest::ReturnedOutput(std::span<const uint8_t>* output) const {
  std::span<uint8_t> area;
  uint32_t returned = 0;
  if (!OutArea(&area) || !OutReturned(&returned)) return false;
  *output = area.first(std::min<size_t>(returned, area.size()));
  return true;
}

bool PipeRequest::SetStatus(uint32_t status) { return WriteField(STATUS_OFFSET, status); }

bool PipeRequest::SetOutReturned(uint32_t count) {
  size_t p = 0;
  return OutDescriptorOffset(&p) && Inside(m_bytes.size(), p, OUT_DESCRIPTOR_SIZE) &&
         WriteField(p + 4, count);
}

bool PipeRequest::SetOutArea(std::span<const uint8_t> data) {
  std::span<uint8_t> area;
  if (!OutArea(&area)) return false;
  const size_t n = std::min(data.size(), area.size());
  if (n != 0) std::memmove(area.data(), data.data(), n);
  return true;
}

}  // namespace kv
