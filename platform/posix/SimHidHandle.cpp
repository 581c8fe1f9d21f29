#include "platform/posix/SimHidHandle.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "common/SystemError.h"
#include "platform/posix/SimHidFrame.h"

namespace kv {

CSimHidHandle::CSimHidHandle(int fd, SimHidDescriptor descriptor, int featureTimeoutMs)
    : m_fd(fd), m_descriptor(std::move(descriptor)), m_iFeatureTimeoutMs(featureTimeoutMs) {
  // A stand-in that stops reading must not hang a writer: WriteFile on a HID handle gives
  // up too, and the port worker waits at most 3 s for a write.
  timeval tv{3, 0};
  setsockopt(m_fd.Get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  m_receiver = std::thread([this] { ReceiveLoop(); });
}

CSimHidHandle::~CSimHidHandle() {
  Close();
}

void CSimHidHandle::ReceiveLoop() {
  std::vector<uint8_t> buf(SIM_HID_MAX_FRAME + 1);
  for (;;) {
    ssize_t n = recv(m_fd.Get(), buf.data(), buf.size(), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // unplugged, the stand-in died, or Close() shut the socket
    std::span<const uint8_t> frame(buf.data(), static_cast<size_t>(n));
    SimHidFrameView view;
    // Oversized, short and unknown frames are not ours and are ignored.
    if (!DecodeSimHidDeviceFrame(frame, &view)) continue;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (view.m_uKind == SIM_HID_INPUT) {
      ++m_uReceived;
      while (m_inputs.size() >= m_uQueueLimit) m_inputs.pop_front();
      m_inputs.emplace_back(view.m_report.begin(), view.m_report.end());
      m_cv.notify_all();
    } else if (view.m_uKind == SIM_HID_FEATURE_ACK || view.m_uKind == SIM_HID_FEATURE_REPORT) {
      m_answer.assign(frame.begin(), frame.end());
      m_bHaveAnswer = true;
      m_cv.notify_all();
    }
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bDisconnected = true;
  m_inputs.clear();
  m_cv.notify_all();
}

size_t CSimHidHandle::InputReportsReceived() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_uReceived;
}

uint32_t CSimHidHandle::StateError() const {
  if (m_bClosed) return ERROR_CODE_INVALID_HANDLE;
  if (m_bDisconnected) return ERROR_CODE_DEVICE_NOT_CONNECTED;
  return ERROR_CODE_SUCCESS;
}

uint32_t CSimHidHandle::GetAttributes(HidAttributes* attributes) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (uint32_t e = StateError()) return e;
  attributes->m_uVendorId = m_descriptor.m_uVendorId;
  attributes->m_uProductId = m_descriptor.m_uProductId;
  attributes->m_uVersionNumber = m_descriptor.m_uVersionNumber;
  return ERROR_CODE_SUCCESS;
}

uint32_t CSimHidHandle::GetCaps(HidCaps* caps) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (uint32_t e = StateError()) return e;
  caps->m_uUsagePage = m_descriptor.m_uUsagePage;
  caps->m_uUsage = m_descriptor.m_uUsage;
  caps->m_uInputReportByteLength = m_descriptor.m_uInputLength;
  caps->m_uOutputReportByteLength = m_descriptor.m_uOutputLength;
  caps->m_uFeatureReportByteLength = m_descriptor.m_uFeatureLength;
  return ERROR_CODE_SUCCESS;
}

uint32_t CSimHidHandle::GetProductString(std::u16string* text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (uint32_t e = StateError()) return e;
  if (m_descriptor.m_sProduct.empty()) return ERROR_CODE_INVALID_PARAMETER;  // as HidD_ does
  *text = Utf8ToUtf16(m_descriptor.m_sProduct);
  return ERROR_CODE_SUCCESS;
}

uint32_t CSimHidHandle::GetSerialNumberString(std::u16string* text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (uint32_t e = StateError()) return e;
  if (m_descriptor.m_sSerial.empty()) return ERROR_CODE_INVALID_PARAMETER;
  *text = Utf8ToUtf16(m_descriptor.m_sSerial);
  return ERROR_CODE_SUCCESS;
}

uint32_t CSimHidHandle::Send(const std::vector<uint8_t>& frame) {
  for (;;) {
    ssize_t n = send(m_fd.Get(), frame.data(), frame.size(), MSG_NOSIGNAL);
    if (n == static_cast<ssize_t>(frame.size())) return ERROR_CODE_SUCCESS;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return ERROR_CODE_TIMEOUT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bClosed) return ERROR_CODE_INVALID_HANDLE;
    return ERROR_CODE_DEVICE_NOT_CONNECTED;
  }
}

uint32_t CSimHidHandle::WriteOutputReport(std::span<const uint8_t> report) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (uint32_t e = StateError()) return e;
  }
  if (report.empty() || report.size() != m_descriptor.m_uOutputLength)
    return ERROR_CODE_INVALID_PARAMETER;
  std::vector<uint8_t> frame;
  frame.reserve(report.size() + 1);
  frame.push_back(SIM_HID_OUTPUT);
  frame.insert(frame.end(), report.begin(), report.end());
  return Send(frame);
}

uint32_t CSimHidHandle::ReadInputReport(std::span<uint8_t> buffer, int timeoutMs, size_t* read) {
  *read = 0;
  std::unique_lock<std::mutex> lock(m_mutex);
  if (uint32_t e = StateError()) return e;
  if (m_descriptor.m_uInputLength == 0 || buffer.size() < m_descriptor.m_uInputLength)
    return ERROR_CODE_INSUFFICIENT_BUFFER;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (m_bClosed) return ERROR_CODE_OPERATION_ABORTED;  // closed while we waited
    if (m_bCancel) {
      m_bCancel = false;
      return ERROR_CODE_OPERATION_ABORTED;
    }
    if (m_bDisconnected) return ERROR_CODE_DEVICE_NOT_CONNECTED;
    if (!m_inputs.empty()) {
      std::vector<uint8_t> report = std::move(m_inputs.front());
      m_inputs.pop_front();
      // A device sends reports of its declared length; a short one is zero-filled so that
      // the caller never sees bytes of an earlier report.
      size_t n = std::min(report.size(), static_cast<size_t>(m_descriptor.m_uInputLength));
      std::memcpy(buffer.data(), report.data(), n);
      std::memset(buffer.data() + n, 0, m_descriptor.m_uInputLength - n);
      *read = m_descriptor.m_uInputLength;
      return ERROR_CODE_SUCCESS;
    }
    if (timeoutMs < 0) {
      m_cv.wait(lock);
    } else if (m_cv.wait_until(lock, deadline) == std::cv_status::timeout) {
      if (m_inputs.empty() && !m_bCancel && !m_bDisconnected && !m_bClosed)
        return ERROR_CODE_TIMEOUT;
    }
  }
}

uint32_t CSimHidHandle::SetNumInputBuffers(size_t count) {
  if (count < 2 || count > MAX_INPUT_BUFFERS) return ERROR_CODE_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (uint32_t e = StateError()) return e;
  m_uQueueLimit = count;
  return ERROR_CODE_SUCCESS;
}

void CSimHidHandle::CancelRead() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bCancel = true;
  m_cv.notify_all();
}

uint32_t CSimHidHandle::FeatureTransfer(std::vector<uint8_t> frame, std::vector<uint8_t>* answer) {
  std::lock_guard<std::mutex> transfer(m_featureMutex);
  uint8_t seq = ++m_uSeq;
  frame[1] = seq;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (uint32_t e = StateError()) return e;
    m_bHaveAnswer = false;
  }
  if (uint32_t e = Send(frame)) return e;
  std::unique_lock<std::mutex> lock(m_mutex);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_iFeatureTimeoutMs);
  for (;;) {
    if (uint32_t e = StateError()) return e;
    if (m_bHaveAnswer) {
      m_bHaveAnswer = false;
      if (m_answer[1] == seq) {
        *answer = m_answer;
        return ERROR_CODE_SUCCESS;
      }
      continue;  // the late answer of an earlier request
    }
    if (m_cv.wait_until(lock, deadline) == std::cv_status::timeout && !m_bHaveAnswer)
      return StateError() ? StateError() : ERROR_CODE_TIMEOUT;
  }
}

uint32_t CSimHidHandle::SetFeature(std::span<const uint8_t> report) {
  if (report.empty() || report.size() != m_descriptor.m_uFeatureLength)
    return ERROR_CODE_INVALID_PARAMETER;
  std::vector<uint8_t> frame{SIM_HID_SET_FEATURE, 0};
  frame.insert(frame.end(), report.begin(), report.end());
  std::vector<uint8_t> answer;
  if (uint32_t e = FeatureTransfer(std::move(frame), &answer)) return e;
  SimHidFrameView view;
  if (!DecodeSimHidDeviceFrame(answer, &view) || view.m_uKind != SIM_HID_FEATURE_ACK ||
      view.m_uStatus != 0)
    return ERROR_CODE_GEN_FAILURE;
  return ERROR_CODE_SUCCESS;
}

uint32_t CSimHidHandle::GetFeature(std::span<uint8_t> buffer) {
  if (buffer.empty() || buffer.size() != m_descriptor.m_uFeatureLength)
    return ERROR_CODE_INVALID_PARAMETER;
  std::vector<uint8_t> frame{SIM_HID_GET_FEATURE, 0, buffer[0],
                             static_cast<uint8_t>(buffer.size()),
                             static_cast<uint8_t>(buffer.size() >> 8)};
  std::vector<uint8_t> answer;
  if (uint32_t e = FeatureTransfer(std::move(frame), &answer)) return e;
  SimHidFrameView view;
  if (!DecodeSimHidDeviceFrame(answer, &view) || view.m_uKind != SIM_HID_FEATURE_REPORT)
    return ERROR_CODE_GEN_FAILURE;
  // The answer must be a report of the id asked for and fit the caller's buffer.
  size_t n = view.m_report.size();
  if (n == 0 || n > buffer.size() || view.m_report[0] != buffer[0]) return ERROR_CODE_GEN_FAILURE;
  std::memcpy(buffer.data(), view.m_report.data(), n);
  std::memset(buffer.data() + n, 0, buffer.size() - n);
  return ERROR_CODE_SUCCESS;
}

void CSimHidHandle::Close() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bClosed) return;
    m_bClosed = true;
    m_cv.notify_all();
  }
  // The descriptor stays open until destruction, so that a concurrent send fails on a
  // shut socket instead of writing into a reused descriptor number.
  shutdown(m_fd.Get(), SHUT_RDWR);
  if (m_receiver.joinable()) m_receiver.join();
}

}  // namespace kv
