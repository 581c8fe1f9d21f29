#pragma once
// The open sensor: a handle for feature transfers and a second one for input reports.
// Feature transfers are spaced at least 10 ms apart (the sensor drops closer ones); the
// clock is handed in so that tests see the spacing without waiting.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "optrim/device/SensorCommand.h"
#include "platform/Clock.h"
#include "platform/HidBus.h"

namespace kv {

class CHidPort {
 public:
  static constexpr uint32_t FEATURE_SPACING_MS = 10;

  CHidPort(HidBus& bus, Clock& clock) : m_bus(bus), m_clock(clock) {}
  ~CHidPort() { Close(); }

  // Opens both handles and reads attributes and capabilities; false leaves it closed.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return m_feature != nullptr; }

  bool SetFeature(const SensorCommand& command);
  bool GetFeature(SensorCommand* answer);
  HidDevice* InputHandle() { return m_input.get(); }
  const HidAttributes& Attributes() const { return m_attributes; }
  const HidCaps& Caps() const { return m_caps; }
  const std::string& Path() const { return m_sPath; }
  std::mutex& SampleLock() { return m_sampleLock; }

 private:
  void Space();

  HidBus& m_bus;
  Clock& m_clock;
  std::string m_sPath;
  std::unique_ptr<HidDevice> m_feature;
  std::unique_ptr<HidDevice> m_input;
  HidAttributes m_attributes{};
  HidCaps m_caps{};
  std::mutex m_sampleLock;
  bool m_bStamped = false;
  uint32_t m_uLastTransferMs = 0;
};

}  // namespace kv
