#include "sim/kvtpd/KvtpdModel.h"

#include <algorithm>
#include <cstring>

#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "common/ControlCodes.h"

namespace kv::sim {

namespace {

// Copies as much of the record as the caller's out area holds, as a buffered driver does.
uint32_t CopyOut(std::span<const uint8_t> record, std::span<uint8_t> out) {
  size_t n = std::min(record.size(), out.size());
  if (n) std::memcpy(out.data(), record.data(), n);
  return static_cast<uint32_t>(n);
}

}  // namespace

CKvtpdModel::CKvtpdModel() {
  WriteI32(m_touchPoint.data(), -1);
  WriteI32(m_touchPoint.data() + 4, -1);
  SetInfo("1.0.0.0", 0, 0, 0x0100);
}

uint32_t CKvtpdModel::Open() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_bPlugged) return ERROR_CODE_FILE_NOT_FOUND;
  if (m_bOpen) return ERROR_CODE_SHARING_VIOLATION;
  m_bOpen = true;
  return ERROR_CODE_SUCCESS;
}

void CKvtpdModel::Close() {
  std::vector<WaitCompletion> waiters;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bOpen = false;
    waiters = TakeWaiters();
  }
  for (auto& w : waiters) w(ERROR_CODE_OPERATION_ABORTED, {});
}

bool CKvtpdModel::HandleOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bOpen;
}

uint32_t CKvtpdModel::TakeFailure() {
  if (!m_bPlugged) return ERROR_CODE_FILE_NOT_FOUND;
  if (m_uFailCount == 0) return 0;
  --m_uFailCount;
  return m_uFailCode;
}

std::vector<CKvtpdModel::WaitCompletion> CKvtpdModel::TakeWaiters() {
  std::vector<WaitCompletion> w;
  w.swap(m_waiters);
  return w;
}

std::array<uint8_t, KVTPD_RECORD_SIZE> CKvtpdModel::StatusRecord() const {
  std::array<uint8_t, KVTPD_RECORD_SIZE> r{};
  WriteU32(r.data() + 16, m_uStatusFlags);
  return r;
}

uint32_t CKvtpdModel::Control(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                              uint32_t* returned) {
  *returned = 0;
  std::vector<WaitCompletion> release;
  std::array<uint8_t, KVTPD_RECORD_SIZE> status{};
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bOpen) return ERROR_CODE_INVALID_HANDLE;
    if (uint32_t fail = TakeFailure()) return fail;
    switch (code) {
      case CONTROL_CODE_GET_INFO:
        if (out.size() < KVTPD_RECORD_SIZE) return ERROR_CODE_INSUFFICIENT_BUFFER;
        *returned = CopyOut(m_info, out);
        return ERROR_CODE_SUCCESS;
      case CONTROL_CODE_SET_SETTINGS:
        if (in.size() < KVTPD_SETTINGS_SIZE) return ERROR_CODE_INVALID_PARAMETER;
        std::memcpy(m_settings.data(), in.data(), KVTPD_SETTINGS_SIZE);
        *returned = CopyOut(m_settings, out);
        return ERROR_CODE_SUCCESS;
      case CONTROL_CODE_GET_SETTINGS:
        if (out.size() < KVTPD_SETTINGS_SIZE) return ERROR_CODE_INSUFFICIENT_BUFFER;
        *returned = CopyOut(m_settings, out);
        return ERROR_CODE_SUCCESS;
      case CONTROL_CODE_PUT_TOUCH_POINT:
        if (in.size() < KVTPD_RECORD_SIZE) return ERROR_CODE_INVALID_PARAMETER;
        std::memcpy(m_touchPoint.data(), in.data(), KVTPD_RECORD_SIZE);
        *returned = CopyOut(m_touchPoint, out);
        return ERROR_CODE_SUCCESS;
      case CONTROL_CODE_GET_TOUCH_POINT:
        if (out.size() < KVTPD_RECORD_SIZE) return ERROR_CODE_INSUFFICIENT_BUFFER;
        *returned = CopyOut(m_touchPoint, out);
        return ERROR_CODE_SUCCESS;
      case CONTROL_CODE_CANCEL_WAIT:
        // A cancelled wait completes normally with the flags as they are; the waiter then
        // sees no change.
        status = StatusRecord();
        release = TakeWaiters();
        *returned = CopyOut(status, out);
        break;
      case CONTROL_CODE_SET_TOUCH_MODE: {
        uint16_t mode = 0;
        if (!CheckedReadU16(in, 0, &mode) || mode > 1) return ERROR_CODE_INVALID_PARAMETER;
        m_uTouchMode = mode;
        return ERROR_CODE_SUCCESS;
      }
      default:  // WaitStatus comes through BeginWait only
        return ERROR_CODE_INVALID_FUNCTION;
    }
  }
  for (auto& w : release) w(ERROR_CODE_SUCCESS, status);
  return ERROR_CODE_SUCCESS;
}

uint32_t CKvtpdModel::BeginWait(uint32_t code, WaitCompletion done) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_bOpen) return ERROR_CODE_INVALID_HANDLE;
  if (uint32_t fail = TakeFailure()) return fail;
  if (code != CONTROL_CODE_WAIT_STATUS) return ERROR_CODE_INVALID_FUNCTION;
  m_waiters.push_back(std::move(done));
  return ERROR_CODE_IO_PENDING;
}

void CKvtpdModel::Touch(int32_t x, int32_t y) {
  std::lock_guard<std::mutex> lock(m_mutex);
  WriteI32(m_touchPoint.data(), x);
  WriteI32(m_touchPoint.data() + 4, y);
}

void CKvtpdModel::SetStatus(uint32_t flags) {
  std::vector<WaitCompletion> release;
  std::array<uint8_t, KVTPD_RECORD_SIZE> status{};
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (flags == m_uStatusFlags) return;
    m_uStatusFlags = flags;
    status = StatusRecord();
    release = TakeWaiters();
  }
  for (auto& w : release) w(ERROR_CODE_SUCCESS, status);
}

std::array<uint8_t, KVTPD_SETTINGS_SIZE> CKvtpdModel::Settings() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_settings;
}

std::array<uint8_t, KVTPD_RECORD_SIZE> CKvtpdModel::TouchPoint() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_touchPoint;
}

uint16_t CKvtpdModel::TouchMode() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_uTouchMode;
}

size_t CKvtpdModel::PendingWaits() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_waiters.size();
}

void CKvtpdModel::FailNext(uint32_t code, uint32_t count) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_uFailCode = code;
  m_uFailCount = code ? count : 0;
}

void CKvtpdModel::Unplug() {
  std::vector<WaitCompletion> waiters;
  std::function<void()> drop;
  bool wasOpen;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bPlugged = false;
    wasOpen = m_bOpen;
    m_bOpen = false;
    waiters = TakeWaiters();
    drop = m_drop;
  }
  for (auto& w : waiters) w(ERROR_CODE_FILE_NOT_FOUND, {});
  if (wasOpen && drop) drop();
}

void CKvtpdModel::Plug() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bPlugged = true;
}

void CKvtpdModel::SetInfo(const std::string& version, uint16_t w1, uint16_t w2, uint16_t w3) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_info.fill(0);
  // char[16] with its NUL: at most 15 characters of text.
  std::memcpy(m_info.data(), version.data(), std::min<size_t>(version.size(), 15));
  WriteU16(m_info.data() + 18, w1);
  WriteU16(m_info.data() + 20, w2);
  WriteU16(m_info.data() + 22, w3);
}

void CKvtpdModel::OnDrop(std::function<void()> drop) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_drop = std::move(drop);
}

}  // namespace kv::sim
