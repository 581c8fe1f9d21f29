#pragma once
// The state of the touch panel driver stand-in: one settings record, one touch point, the
// status flags, the touch mode and the information record, behind the eight control codes.
// One handle may be open at a time; WaitStatus stays pending until the flags change.
// Thread-safe: device calls and control-channel commands arrive on different threads.
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace kv::sim {

inline constexpr size_t KVTPD_SETTINGS_SIZE = 36;
inline constexpr size_t KVTPD_RECORD_SIZE = 24;

class CKvtpdModel {
 public:
  // Completes one pending WaitStatus: error 0 with the 24-byte status record, or an error.
  using WaitCompletion = std::function<void(uint32_t error, std::span<const uint8_t> record)>;

  CKvtpdModel();

  // Opening and closing the one handle. Open: 0, 2 while unplugged, 32 while open.
  uint32_t Open();
  // Ends every pending wait of the handle with 995.
  void Close();

  // One synchronous control call (every code but WaitStatus). 0 or a system error code.
  uint32_t Control(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                   uint32_t* returned);
  // WaitStatus: ERROR_CODE_IO_PENDING with done kept until the flags change, CancelWait
  // arrives or the handle closes; any other result is final and done is not called.
  uint32_t BeginWait(uint32_t code, WaitCompletion done);

  // Control channel.
  void Touch(int32_t x, int32_t y);
  void SetStatus(uint32_t flags);  // completes pending waits when the flags change
  std::array<uint8_t, KVTPD_SETTINGS_SIZE> Settings() const;
  std::array<uint8_t, KVTPD_RECORD_SIZE> TouchPoint() const;
  uint16_t TouchMode() const;
  size_t PendingWaits() const;
  void FailNext(uint32_t code, uint32_t count);
  // Unplugged: every open and call fails with 2 and the open handle is dropped.
  void Unplug();
  void Plug();
  void SetInfo(const std::string& version, uint16_t w1, uint16_t w2, uint16_t w3);
  // Called (outside the lock) when unplugging drops the open handle.
  void OnDrop(std::function<void()> drop);
  bool HandleOpen() const;

 private:
  uint32_t TakeFailure();  // under lock: the injected error for this call, or 0
  std::vector<WaitCompletion> TakeWaiters();  // under lock
  std::array<uint8_t, KVTPD_RECORD_SIZE> StatusRecord() const;  // under lock

  mutable std::mutex m_mutex;
  std::array<uint8_t, KVTPD_SETTINGS_SIZE> m_settings{};
  std::array<uint8_t, KVTPD_RECORD_SIZE> m_touchPoint{};
  std::array<uint8_t, KVTPD_RECORD_SIZE> m_info{};
  uint32_t m_uStatusFlags = 0;
  uint16_t m_uTouchMode = 0;
  uint32_t m_uFailCode = 0;
  uint32_t m_uFailCount = 0;
  bool m_bPlugged = true;
  bool m_bOpen = false;
  std::vector<WaitCompletion> m_waiters;
  std::function<void()> m_drop;
};

}  // namespace kv::sim
