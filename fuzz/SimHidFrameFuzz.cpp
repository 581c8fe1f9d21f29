// Arbitrary frames on the simulated HID bus, read by both ends. As the device reads them,
// valid ones go on to the stand-ins' firmware the way panel-sim and sensor-sim hand them
// over (output reports to the panel, feature reports to the sensor); as a host reads them,
// the report must lie inside the frame and match the length rules of its kind.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/FuzzBytes.h"
#include "platform/posix/SimHidFrame.h"
#include "sim/panel-sim/PanelFirmware.h"
#include "sim/panel-sim/PanelModel.h"
#include "sim/sensor-sim/SensorFirmware.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

bool Inside(std::span<const uint8_t> part, std::span<const uint8_t> whole) {
  return part.empty() ||
         (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

void DeviceEnd(std::span<const uint8_t> frame, kv::CPanelFirmware& panel, kv::CSensorFirmware& sensor) {
  kv::SimHidFrameView view;
  if (!kv::DecodeSimHidHostFrame(frame, &view)) return;
  Require(Inside(view.m_report, frame) && frame.size() <= kv::SIM_HID_MAX_FRAME);
  switch (view.m_uKind) {
    case kv::SIM_HID_OUTPUT:
      Require(!view.m_report.empty());
      for (const kv::PanelAnswer& a : panel.HandleOutput(view.m_report)) Require(a.m_report[0] == 1);
      break;
    case kv::SIM_HID_SET_FEATURE:
      Require(!view.m_report.empty());
      (void)sensor.OnSetFeature(view.m_report);
      break;
    case kv::SIM_HID_GET_FEATURE: {
      Require(view.m_uLength >= 1 && view.m_uLength <= kv::SIM_HID_MAX_REPORT);
      std::vector<uint8_t> report;
      if (view.m_uReportId == 0 && view.m_uLength >= 9 && sensor.OnGetFeature(&report))
        Require(report.size() <= view.m_uLength);
      break;
    }
    default:
      Require(false);
  }
}

void HostEnd(std::span<const uint8_t> frame) {
  kv::SimHidFrameView view;
  if (!kv::DecodeSimHidDeviceFrame(frame, &view)) return;
  Require(Inside(view.m_report, frame));
  switch (view.m_uKind) {
    case kv::SIM_HID_HELLO: Require(frame.size() == 1); break;
    case kv::SIM_HID_INPUT: Require(view.m_report.size() == frame.size() - 1); break;
    case kv::SIM_HID_FEATURE_ACK: Require(frame.size() >= 3 || view.m_uStatus != 0); break;
    case kv::SIM_HID_FEATURE_REPORT: Require(view.m_report.size() == frame.size() - 2); break;
    default: Require(false);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::fuzz::CFuzzBytes in(data, size);
  kv::CPanelFirmware panel(kv::DefaultPanelModel());
  kv::CSensorFirmware sensor(kv::DefaultSensorSimModel());
  while (!in.Empty()) {
    std::span<const uint8_t> frame = in.Piece(true);
    DeviceEnd(frame, panel, sensor);
    HostEnd(frame);
  }
  return 0;
}
