#include "service/RequestFrame.h"

#include "common/LittleEndian.h"
#include "common/PipeRequest.h"

namespace kv {

CRequestFrame::CRequestFrame(std::span<uint8_t> buffer, size_t read)
    : m_buffer(buffer), m_uRead(read <= buffer.size() ? read : buffer.size()) {}

bool CRequestFrame::StatusFits() const {
  uint32_t total = 0;
  return CheckedReadU32(m_buffer, PipeRequest::TOTAL_LENGTH_OFFSET, &total) && total >= 8 &&
         m_buffer.size() >= 8;
}

void CRequestFrame::SetStatus(uint32_t status) {
  // Into the message buffer, not only the bytes read: a short message with a wrong length
  // goes back as the service's buffer holds it.
  if (StatusFits()) WriteU32(m_buffer.data() + PipeRequest::STATUS_OFFSET, status);
}

CRequestFrame::Check CRequestFrame::Validate() {
  PipeRequest request(m_buffer.first(m_uRead));
  if (!request.LengthMatches()) return Check::LENGTH_MISMATCH;
  // From here total length equals the bytes read; every field must lie inside them.
  size_t descriptor = 0;
  uint32_t returned = 0;
  if (!request.Payload(&m_payload) || !request.OutArea(&m_out) ||
      !request.OutDescriptorOffset(&descriptor) || !request.OutReturned(&returned))
    return Check::BAD_LAYOUT;
  m_uOutDescriptor = descriptor;
  return Check::OK;
}

uint32_t CRequestFrame::Command() const {
  return ReadU32(m_buffer.data() + PipeRequest::COMMAND_OFFSET);
}

void CRequestFrame::SetOutReturned(uint32_t count) {
  if (m_uOutDescriptor) WriteU32(m_buffer.data() + m_uOutDescriptor + 4, count);
}

}  // namespace kv
