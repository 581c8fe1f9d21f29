#pragma once
// A driver device in memory for the handler tests: keeps a settings record and a touch
// point, logs every call with the handle it came through, fails on request, and holds an
// overlapped call until the test completes or cancels it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/ControlCodes.h"
#include "common/SystemError.h"
#include "platform/DeviceIo.h"

namespace kv::test {

struct FakeCall {
  int m_iHandle;
  uint32_t m_uCode;
  std::vector<uint8_t> m_in;
  size_t m_uOutSize;
};

class CFakeDevice final : public DeviceIo {
 public:
  struct State {
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<FakeCall> m_calls;
    std::vector<std::string> m_opens;
    std::map<uint32_t, uint32_t> m_failOnce;  // code -> error of its next call
    uint32_t m_uOpenError = 0;
    uint8_t m_settings[36] = {};
    uint8_t m_touch[24] = {};
    uint8_t m_status[24] = {};
    int m_iOpenHandles = 0;
    int m_iNextHandle = 1;
    int m_iPendingWaits = 0;
    bool m_bCompleteWait = false;
    std::atomic<int> m_iCloseDelayMs{0};
  };

  class CHandle final : public DeviceHandle {
   public:
    CHandle(std::shared_ptr<State> s, int id) : m_s(std::move(s)), m_iId(id) {}
    ~CHandle() override {
      // A real close takes a moment after the last reference is gone.
      std::this_thread::sleep_for(std::chrono::milliseconds(m_s->m_iCloseDelayMs.load()));
      std::lock_guard<std::mutex> lock(m_s->m_mutex);
      --m_s->m_iOpenHandles;
    }
    uint32_t Control(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                     uint32_t* returned) override {
      std::lock_guard<std::mutex> lock(m_s->m_mutex);
      *returned = 0;
      m_s->m_calls.push_back({m_iId, code, {in.begin(), in.end()}, out.size()});
      if (auto it = m_s->m_failOnce.find(code); it != m_s->m_failOnce.end()) {
        uint32_t e = it->second;
        m_s->m_failOnce.erase(it);
        return e;
      }
      auto give = [&](const uint8_t* src, size_t n) {
        size_t k = std::min(n, out.size());
        std::memcpy(out.data(), src, k);
        *returned = static_cast<uint32_t>(k);
      };
      switch (code) {
        case CONTROL_CODE_GET_SETTINGS: give(m_s->m_settings, 36); return 0;
        case CONTROL_CODE_SET_SETTINGS:
          if (in.size() < 36) return ERROR_CODE_INVALID_PARAMETER;
          std::memcpy(m_s->m_settings, in.data(), 36);
          give(m_s->m_settings, 36);
          return 0;
        case CONTROL_CODE_GET_TOUCH_POINT: give(m_s->m_touch, 24); return 0;
        case CONTROL_CODE_PUT_TOUCH_POINT:
          if (in.size() < 24) return ERROR_CODE_INVALID_PARAMETER;
          std::memcpy(m_s->m_touch, in.data(), 24);
          give(m_s->m_touch, 24);
          return 0;
        case CONTROL_CODE_GET_INFO: {
          uint8_t info[24] = {'9', '.', '9'};
          give(info, 24);
          return 0;
        }
        case CONTROL_CODE_CANCEL_WAIT:
        case CONTROL_CODE_SET_TOUCH_MODE:
          return 0;
        default:
          return ERROR_CODE_INVALID_FUNCTION;
      }
    }
    uint32_t ControlOverlapped(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                               uint32_t* returned) override {
      std::unique_lock<std::mutex> lock(m_s->m_mutex);
      *returned = 0;
      m_s->m_calls.push_back({m_iId, code, {in.begin(), in.end()}, out.size()});
      if (auto it = m_s->m_failOnce.find(code); it != m_s->m_failOnce.end()) {
        uint32_t e = it->second;
        m_s->m_failOnce.erase(it);
        return e;
      }
      ++m_s->m_iPendingWaits;
      m_s->m_cv.notify_all();
      m_s->m_cv.wait(lock, [&] { return m_bCancelled || m_s->m_bCompleteWait; });
      --m_s->m_iPendingWaits;
      if (m_bCancelled) return ERROR_CODE_OPERATION_ABORTED;
      m_s->m_bCompleteWait = false;
      size_t k = std::min<size_t>(24, out.size());
      std::memcpy(out.data(), m_s->m_status, k);
      *returned = static_cast<uint32_t>(k);
      return 0;
    }
    void CancelOverlapped() override {
      std::lock_guard<std::mutex> lock(m_s->m_mutex);
      m_bCancelled = true;
      m_s->m_cv.notify_all();
    }

   private:
    std::shared_ptr<State> m_s;
    int m_iId;
    bool m_bCancelled = false;
  };

  uint32_t Open(const std::string& name, std::unique_ptr<DeviceHandle>* handle) override {
    std::lock_guard<std::mutex> lock(m_s->m_mutex);
    m_s->m_opens.push_back(name);
    if (m_s->m_uOpenError) return m_s->m_uOpenError;
    if (m_s->m_iOpenHandles > 0) return ERROR_CODE_SHARING_VIOLATION;
    ++m_s->m_iOpenHandles;
    *handle = std::make_unique<CHandle>(m_s, m_s->m_iNextHandle++);
    return 0;
  }

  std::shared_ptr<State> m_s = std::make_shared<State>();

  // Test side.
  std::vector<FakeCall> Calls() {
    std::lock_guard<std::mutex> lock(m_s->m_mutex);
    return m_s->m_calls;
  }
  std::vector<std::string> Opens() {
    std::lock_guard<std::mutex> lock(m_s->m_mutex);
    return m_s->m_opens;
  }
  int OpenHandles() {
    std::lock_guard<std::mutex> lock(m_s->m_mutex);
    return m_s->m_iOpenHandles;
  }
  void FailOnce(uint32_t code, uint32_t error) {
    std::lock_guard<std::mutex> lock(m_s->m_mutex);
    m_s->m_failOnce[code] = error;
  }
  void SetCloseDelay(int ms) { m_s->m_iCloseDelayMs = ms; }
  void SetOpenError(uint32_t error) {
    std::lock_guard<std::mutex> lock(m_s->m_mutex);
    m_s->m_uOpenError = error;
  }
  bool WaitForPending(int count) {
    std::unique_lock<std::mutex> lock(m_s->m_mutex);
    return m_s->m_cv.wait_for(lock, std::chrono::seconds(5),
                              [&] { return m_s->m_iPendingWaits == count; });
  }
  void CompleteWait(uint32_t flags) {
    std::lock_guard<std::mutex> lock(m_s->m_mutex);
    std::memset(m_s->m_status, 0, 24);
    m_s->m_status[16] = static_cast<uint8_t>(flags);
    m_s->m_bCompleteWait = true;
    m_s->m_cv.notify_all();
  }
};

}  // namespace kv::test
