#pragma once
// An open handle on a simulated HID device: one connection to its endpoint. A receiver
// thread sorts what arrives into the input queue (32 reports unless SetNumInputBuffers
// changes it, oldest dropped, as the Windows HID class buffers) and the answer slot of
// the feature transfer in progress, so that a read, a write and a feature transfer may
// run on different threads at once.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/HidDevice.h"
#include "platform/posix/SimHidDescriptor.h"
#include "platform/posix/UniqueFd.h"

namespace kv {

class CSimHidHandle final : public HidDevice {
 public:
  // Takes ownership of the connected socket fd.
  CSimHidHandle(int fd, SimHidDescriptor descriptor, int featureTimeoutMs);
  ~CSimHidHandle() override;
  CSimHidHandle(const CSimHidHandle&) = delete;
  CSimHidHandle& operator=(const CSimHidHandle&) = delete;

  uint32_t GetAttributes(HidAttributes* attributes) override;
  uint32_t GetCaps(HidCaps* caps) override;
  uint32_t GetProductString(std::u16string* text) override;
  uint32_t GetSerialNumberString(std::u16string* text) override;
  uint32_t WriteOutputReport(std::span<const uint8_t> report) override;
  uint32_t ReadInputReport(std::span<uint8_t> buffer, int timeoutMs, size_t* read) override;
  void CancelRead() override;
  uint32_t SetNumInputBuffers(size_t count) override;
  uint32_t SetFeature(std::span<const uint8_t> report) override;
  uint32_t GetFeature(std::span<uint8_t> buffer) override;
  void Close() override;

  static constexpr size_t INPUT_QUEUE_LIMIT = 32;  // the default, as on Windows
  static constexpr size_t MAX_INPUT_BUFFERS = 512;
  // Input reports that arrived on this handle, dropped ones included (for tests).
  size_t InputReportsReceived() const;

 private:
  void ReceiveLoop();
  uint32_t StateError() const;  // under m_mutex: 6 closed, 1167 unplugged, else 0
  uint32_t Send(const std::vector<uint8_t>& frame);
  // Sends a feature request and waits for the answer carrying seq.
  uint32_t FeatureTransfer(std::vector<uint8_t> frame, std::vector<uint8_t>* answer);

  CUniqueFd m_fd;
  SimHidDescriptor m_descriptor;
  int m_iFeatureTimeoutMs;
  std::thread m_receiver;

  mutable std::mutex m_mutex;
  std::condition_variable m_cv;
  std::deque<std::vector<uint8_t>> m_inputs;
  std::vector<uint8_t> m_answer;  // the last feature answer frame
  bool m_bHaveAnswer = false;
  bool m_bDisconnected = false;
  bool m_bClosed = false;
  bool m_bCancel = false;
  size_t m_uReceived = 0;
  size_t m_uQueueLimit = INPUT_QUEUE_LIMIT;

  std::mutex m_featureMutex;  // one feature transfer at a time
  uint8_t m_uSeq = 0;
};

}  // namespace kv
