// panel-sim: takes the panel firmware's place on the simulated HID bus.
//
//   panel-sim [--model VT-R700A|VT-R800A] [--vid N --pid N --col N] [--name NAME]
//             [--serial TEXT]
//
// Announces the panel's collection under $KV_PREFIX/run/hid/NAME (default "panel"),
// answers the firmware commands, and takes control commands on NAME.ctl beside it
// (see PanelControl.h). SIGTERM or SIGINT end it and remove its files.
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Paths.h"
#include "sim/ControlChannelServer.h"
#include "sim/SimHidDevice.h"
#include "sim/StopSignals.h"
#include "sim/panel-sim/PanelControl.h"
#include "sim/panel-sim/PanelFirmware.h"
#include "sim/panel-sim/PanelModel.h"

namespace {

constexpr size_t MAX_CONTROL_LINE = 1024;

// Hands the host's output reports to the firmware and sends its answers back.
class CFirmwareHandler : public kv::SimHidHandler {
 public:
  explicit CFirmwareHandler(kv::CPanelFirmware& firmware) : m_firmware(firmware) {}
  void Attach(kv::CSimHidDevice* device) { m_pDevice = device; }
  void OnOutputReport(std::span<const uint8_t> report) override {
    for (const auto& a : m_firmware.HandleOutput(report))
      m_pDevice->SendInputReport(a.m_report, a.m_uDelayMs);
  }

 private:
  kv::CPanelFirmware& m_firmware;
  kv::CSimHidDevice* m_pDevice = nullptr;
};

bool ParseU16(const char* text, uint16_t* out) {
  char* end = nullptr;
  errno = 0;
  unsigned long v = std::strtoul(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || v > 0xFFFF) return false;
  *out = static_cast<uint16_t>(v);
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: panel-sim [--model VT-R700A|VT-R800A] [--vid N --pid N --col N] "
               "[--name NAME] [--serial TEXT]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const kv::PanelModel* model = &kv::DefaultPanelModel();
  std::string name = "panel", serial;
  bool custom = false, colGiven = false;
  uint16_t vid = 0, pid = 0, col = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    if (arg == "--model") {
      model = kv::FindPanelModel(value);
      if (!model) {
        std::fprintf(stderr, "panel-sim: unknown model %s\n", value);
        return 2;
      }
    } else if (arg == "--vid" || arg == "--pid" || arg == "--col") {
      uint16_t* target = arg == "--vid" ? &vid : arg == "--pid" ? &pid : &col;
      if (!ParseU16(value, target) || (arg == "--col" && col > 99)) return Usage();
      custom = true;
      colGiven = colGiven || arg == "--col";
    } else if (arg == "--name") {
      name = value;
    } else if (arg == "--serial") {
      serial = value;
    } else {
      return Usage();
    }
  }
  kv::PanelModel chosen = *model;
  if (custom) {
    if (vid) chosen.m_uVendorId = vid;
    if (pid) chosen.m_uProductId = pid;
    if (colGiven) chosen.m_uCollection = col;  // 0: a path without collection text
  }
  if (!kv::IsValidSimHidName(name)) {
    std::fprintf(stderr, "panel-sim: invalid name %s\n", name.c_str());
    return 2;
  }

  kv::CStopSignals stopSignals;

  kv::CPaths paths = kv::CPaths::FromEnvironment();
  kv::SimHidDescriptor d;
  d.m_sName = name;
  d.m_uVendorId = chosen.m_uVendorId;
  d.m_uProductId = chosen.m_uProductId;
  d.m_uVersionNumber = chosen.m_uVersionNumber;
  d.m_uUsagePage = 0x0D;  // digitizer
  d.m_uUsage = 0x01;
  d.m_uInputLength = chosen.m_uInputLength;
  d.m_uOutputLength = chosen.m_uOutputLength;
  d.m_sProduct = chosen.m_pszProduct;
  d.m_sSerial = serial;

  kv::CPanelFirmware firmware(chosen);
  CFirmwareHandler handler(firmware);
  int status = 0;
  {
    kv::CSimHidDevice device(paths, d, chosen.m_uCollection, &handler);
    handler.Attach(&device);
    if (!device.Plug()) {
      std::fprintf(stderr, "panel-sim: cannot announce %s (in use?)\n", name.c_str());
      return 1;
    }
    kv::CPanelControl control(firmware, device);
    kv::CControlChannelServer channel(
        [&control](const std::string& line) { return control.Execute(line); }, MAX_CONTROL_LINE);
    std::string ctlPath = device.EndpointPath() + ".ctl";
    if (uint32_t rc = channel.Start(ctlPath)) {
      std::fprintf(stderr, "panel-sim: cannot serve %s (error %u)\n", ctlPath.c_str(), rc);
      status = 1;
    } else {
      stopSignals.Wait();
      channel.Stop();
    }
    device.Unplug();
  }
  return status;
}
