// Arbitrary input reports from the panel firmware, through the firmware link's report
// interpreter (as its worker hands them over) and straight into the touch report handler
// with any link state (a command in progress, a paused worker). Whatever the panel sends,
// the region window's point stays on the screen, a touch that ended is no longer
// announced, and the device position words keep their sign bit clear.
//
// Input: model type, flags (rotation, region window), screen width and height, the two
// size factors as raw floats, then reports: [route, length, bytes...].
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "common/SystemError.h"
#include "fuzz/FuzzBytes.h"
#include "tabrix/driverlink/ModelTable.h"
#include "tabrix/firmware/TPdrvServiceMode.h"
#include "tabrix/firmware/TouchActionRunner.h"
#include "tabrix/firmware/TouchReportHandler.h"
#include "tests/support/FakeClock.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

class CNoBus final : public kv::HidBus {
 public:
  uint32_t EnumerateInterface(uint32_t, std::string*) override { return kv::ERROR_CODE_NO_MORE_ITEMS; }
  uint32_t Open(const std::string&, bool, std::unique_ptr<kv::HidDevice>*) override {
    return kv::ERROR_CODE_FILE_NOT_FOUND;
  }
};

class CScreen final : public kv::Display {
 public:
  CScreen(uint32_t w, uint32_t h, int32_t rotation) : m_uW(w), m_uH(h), m_iRotation(rotation) {}
  void PrimaryScreenSize(uint32_t* w, uint32_t* h) override { *w = m_uW, *h = m_uH; }
  int32_t RotationDegrees() override { return m_iRotation; }
  uint32_t m_uW, m_uH;
  int32_t m_iRotation;
};

class CPenLink final : public kv::PenSoftwareLinkSender {
 public:
  bool Send(uint32_t index, uint64_t, uint64_t) override {
    Require(index <= 2);
    return true;
  }
};

class CWindow final : public kv::RegionWindow {
 public:
  uint64_t Handle() const override { return 0x1234; }
  void SetPosition(double x, double y) override { m_x = x, m_y = y; }
  void SendRedraw() override {}
  void PostRedraw() override {}
  double m_x = 0, m_y = 0;
};

float RawFloat(kv::fuzz::CFuzzBytes& in) {
  uint32_t bits = in.U32();
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::fuzz::CFuzzBytes in(data, size);
  static const uint32_t kTypes[] = {0, kv::MODEL_TYPE_DRIVER, kv::MODEL_TYPE_FIRMWARE_3,
                                    kv::MODEL_TYPE_FIRMWARE_4};
  const uint32_t type = kTypes[in.Byte() % 4];
  const uint8_t flags = in.Byte();
  CScreen screen(in.U16(), in.U16(), 90 * (flags & 3));
  kv::CPenInputState state;
  state.SetSizeFactors(RawFloat(in), RawFloat(in));
  kv::test::CFakeClock clock;
  CPenLink link;
  uint32_t panelStates = 0;
  kv::TouchReportContext context{&state, &screen, &clock, &link,
                                 [&panelStates](uint32_t code, uint32_t) {
                                   Require(code >= 1 && code <= 3);
                                   ++panelStates;
                                 }};
  auto window = std::make_shared<CWindow>();

  static CNoBus bus;
  static const kv::CModelTable models;
  kv::CTPdrvServiceMode firmware(bus, models, nullptr, nullptr, nullptr, {}, context);
  firmware.SetModelTypeForTest(type);
  kv::CTouchReportHandler handler(context);
  kv::CTouchActionRunner runner(context);
  if (flags & 4) {
    firmware.PublishRegionWindow(window);
    handler.PublishRegionWindow(window);
  }

  while (!in.Empty()) {
    const uint8_t route = in.Byte();
    std::span<const uint8_t> bytes = in.Take(in.Byte() % 24);
    std::vector<uint8_t> report(bytes.begin(), bytes.end());
    bool ended = false;
    if ((route & 1) == 0) {
      (void)firmware.InterpretReport(report.data(), report.size());
      auto pos = firmware.DevicePositionWords();
      Require((pos[0] & 0x8000) == 0 && (pos[2] & 0x8000) == 0);
      ended = report.size() >= 10 && report[0] == 1 && report[1] == 6 && report[2] != 1;
      if (ended) Require(!firmware.TouchInProgress());
    } else if (report.size() >= 10) {
      kv::CTouchReportHandler::Report r;
      std::copy(report.begin(), report.begin() + 10, r.begin());
      kv::CTouchReportHandler::LinkState ls{type, (route & 2) != 0, (route & 4) != 0};
      // The handler decides; the runner carries the decisions out as the worker does.
      kv::TouchActions actions;
      switch ((route >> 3) & 3) {
        case 0: handler.TouchState(r, &actions); break;
        case 1: handler.TouchPosition(r, ls, &actions); break;
        case 2:
          ended = handler.TouchPresence(r, ls, &actions);
          if (ended) Require(!handler.TouchInProgress() && !handler.Announced());
          break;
        default: handler.Button(r, &actions); break;
      }
      runner.Run(actions);
    }
    Require(std::isfinite(window->m_x) && std::isfinite(window->m_y));
    Require(window->m_x >= 0 && window->m_x <= screen.m_uW);
    Require(window->m_y >= 0 && window->m_y <= screen.m_uH);
  }
  return 0;
}
