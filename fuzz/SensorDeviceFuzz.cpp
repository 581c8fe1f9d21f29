// Arbitrary answers from the optical sensor: its feature answers to every read of a
// connect (parameters, lens values, camera records, the calibration tables) and then its
// 65-byte input reports while touch reporting runs. Whatever it answers, the tables the
// tool keeps stay inside their room and nothing reads past a report.
//
// Input: model type, number of input reports, the input reports [length, bytes...], then
// the feature answers, 8 bytes each. An answer's first byte is xor-ed with the code the
// tool asked for, so 0 there is the right code and any other value a wrong one.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "common/SystemError.h"
#include "fuzz/FuzzBytes.h"
#include "optrim/device/TouchDevFactory.h"
#include "tests/support/FakeClock.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// What the sensor will say, shared by its feature and its input handle.
struct SensorScript {
  const kv::ModelDescriptor* m_pModel = nullptr;
  kv::fuzz::CFuzzBytes* m_pAnswers = nullptr;
  uint8_t m_uAskedCode = 0;
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::deque<std::vector<uint8_t>> m_inputs;
  bool m_bInputsDone = false;
};

class CSensor final : public kv::HidDevice {
 public:
  explicit CSensor(SensorScript& s) : m_s(s) {}
  uint32_t GetAttributes(kv::HidAttributes* a) override {
    *a = {m_s.m_pModel->m_uVendorId, m_s.m_pModel->m_uProductId, 0x0100};
    return kv::ERROR_CODE_SUCCESS;
  }
  uint32_t GetCaps(kv::HidCaps* c) override {
    *c = {m_s.m_pModel->m_uUsagePage, m_s.m_pModel->m_uUsage, 65, 0, 9};
    return kv::ERROR_CODE_SUCCESS;
  }
  uint32_t GetProductString(std::u16string* t) override { return t->clear(), kv::ERROR_CODE_SUCCESS; }
  uint32_t GetSerialNumberString(std::u16string* t) override { return t->clear(), kv::ERROR_CODE_SUCCESS; }
  uint32_t WriteOutputReport(std::span<const uint8_t>) override { return kv::ERROR_CODE_INVALID_FUNCTION; }
  uint32_t ReadInputReport(std::span<uint8_t> buffer, int, size_t* read) override {
    *read = 0;
    std::lock_guard<std::mutex> lock(m_s.m_mutex);
    if (m_s.m_inputs.empty()) {
      m_s.m_bInputsDone = true;
      m_s.m_cv.notify_all();
      return kv::ERROR_CODE_DEVICE_NOT_CONNECTED;
    }
    std::vector<uint8_t> r = std::move(m_s.m_inputs.front());
    m_s.m_inputs.pop_front();
    *read = std::min(r.size(), buffer.size());
    std::copy(r.begin(), r.begin() + static_cast<ptrdiff_t>(*read), buffer.begin());
    return kv::ERROR_CODE_SUCCESS;
  }
  void CancelRead() override {}
  uint32_t SetFeature(std::span<const uint8_t> report) override {
    Require(report.size() == 9 && report[0] == 0);
    if (report[1] == kv::SENSOR_READ_MARKER) m_s.m_uAskedCode = report[2];
    return kv::ERROR_CODE_SUCCESS;
  }
  uint32_t GetFeature(std::span<uint8_t> buffer) override {
    Require(buffer.size() == 9);
    if (m_s.m_pAnswers->Left() < 8) return kv::ERROR_CODE_GEN_FAILURE;
    std::span<const uint8_t> a = m_s.m_pAnswers->Take(8);
    buffer[0] = 0;
    buffer[1] = static_cast<uint8_t>(a[0] ^ m_s.m_uAskedCode);
    std::copy(a.begin() + 1, a.end(), buffer.begin() + 2);
    return kv::ERROR_CODE_SUCCESS;
  }
  void Close() override {}

 private:
  SensorScript& m_s;
};

class CSensorBus final : public kv::HidBus {
 public:
  explicit CSensorBus(SensorScript& s) : m_s(s) {}
  uint32_t EnumerateInterface(uint32_t index, std::string* path) override {
    if (index > 0) return kv::ERROR_CODE_NO_MORE_ITEMS;
    *path = "\\\\?\\hid#vid_0000&pid_0000#sensor";
    return kv::ERROR_CODE_SUCCESS;
  }
  uint32_t Open(const std::string&, bool, std::unique_ptr<kv::HidDevice>* device) override {
    *device = std::make_unique<CSensor>(m_s);
    return kv::ERROR_CODE_SUCCESS;
  }

 private:
  SensorScript& m_s;
};

void CheckTables(const kv::CTouchDevBase& dev) {
  const kv::SensorCalBlock& b = dev.m_calBlock;
  Require(b.precise.nx1 <= kv::kMaxPreciseCells && b.precise.ny1 <= kv::kMaxPreciseCells);
  Require(b.basic.nx2 <= kv::kMaxBasicCells && b.basic.ny2 <= kv::kMaxBasicCells);
}

// Touch reporting over the scripted input reports; the input thread ends when they do.
void RunInput(kv::CTouchDevBase& dev, SensorScript& script) {
  dev.SetMode(5);
  if (dev.Mode() != 5) return;
  dev.StartInputThread();
  {
    std::unique_lock<std::mutex> lock(script.m_mutex);
    script.m_cv.wait(lock, [&] { return script.m_bInputsDone; });
  }
  dev.StopInputThread();
  dev.Poll();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::fuzz::CFuzzBytes in(data, size);
  const int type = 1 + in.Byte() % 6;
  SensorScript script;
  script.m_pModel = kv::FindModelDescriptor(type);
  Require(script.m_pModel != nullptr);
  for (int n = in.Byte() % 8; n > 0; --n) {
    std::span<const uint8_t> r = in.Take(in.Byte() % 70);
    script.m_inputs.emplace_back(r.begin(), r.end());
  }
  script.m_pAnswers = &in;
  CSensorBus bus(script);
  kv::test::CFakeClock clock;
  std::unique_ptr<kv::CTouchDevBase> dev = kv::CreateTouchDev(type, bus, clock, nullptr);
  Require(dev != nullptr);
  CheckTables(*dev);
  if (dev->Connect() == kv::CONNECT_OK) {
    CheckTables(*dev);
    (void)dev->ReadFlashState();
    RunInput(*dev, script);
  }
  dev->Disconnect();
  return 0;
}
