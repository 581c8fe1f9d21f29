// sensor-sim: takes the optical touch sensor's place on the simulated HID bus.
//
//   sensor-sim [--model MQB-V2|MQBP|PML-CC|MQA|MQAR410|MQA-KV] [--name NAME]
//              [--serial TEXT] [--not-ready]
//
// Announces the sensor under $KV_PREFIX/run/hid/NAME (default "sensor"), answers the
// feature-report commands, and takes control commands on NAME.ctl beside it (see
// SensorControl.h). SIGTERM or SIGINT end it and remove its files.
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Paths.h"
#include "sim/ControlChannelServer.h"
#include "sim/SimHidDevice.h"
#include "sim/StopSignals.h"
#include "sim/sensor-sim/SensorControl.h"
#include "sim/sensor-sim/SensorFirmware.h"

namespace {

constexpr size_t MAX_CONTROL_LINE = 1024;

// Feature reports go to the firmware; the sensor has no output reports.
class CFirmwareHandler : public kv::SimHidHandler {
 public:
  explicit CFirmwareHandler(kv::CSensorFirmware& firmware) : m_firmware(firmware) {}
  void OnOutputReport(std::span<const uint8_t>) override {}
  bool OnSetFeature(std::span<const uint8_t> report) override {
    return m_firmware.OnSetFeature(report);
  }
  bool OnGetFeature(uint8_t reportId, size_t length, std::vector<uint8_t>* report) override {
    if (reportId != 0 || length < 9) return false;
    return m_firmware.OnGetFeature(report);
  }

 private:
  kv::CSensorFirmware& m_firmware;
};

int Usage() {
  std::fprintf(stderr,
               "usage: sensor-sim [--model MQB-V2|MQBP|PML-CC|MQA|MQAR410|MQA-KV] "
               "[--name NAME] [--serial TEXT] [--not-ready]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const kv::SensorSimModel* model = &kv::DefaultSensorSimModel();
  std::string name = "sensor", serial;
  bool ready = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--not-ready") {
      ready = false;
      continue;
    }
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    if (arg == "--model") {
      model = kv::FindSensorSimModel(value);
      if (!model) {
        std::fprintf(stderr, "sensor-sim: unknown model %s\n", value);
        return 2;
      }
    } else if (arg == "--name") {
      name = value;
    } else if (arg == "--serial") {
      serial = value;
    } else {
      return Usage();
    }
  }
  if (!kv::IsValidSimHidName(name)) {
    std::fprintf(stderr, "sensor-sim: invalid name %s\n", name.c_str());
    return 2;
  }

  kv::CStopSignals stopSignals;

  kv::CPaths paths = kv::CPaths::FromEnvironment();
  kv::SimHidDescriptor d;
  d.m_sName = name;
  d.m_uVendorId = model->m_uVendorId;
  d.m_uProductId = model->m_uProductId;
  d.m_uVersionNumber = 0x0100;
  d.m_uUsagePage = 0xFF00;  // vendor defined
  d.m_uUsage = 0x01;
  d.m_uInputLength = 65;
  d.m_uOutputLength = 0;
  d.m_uFeatureLength = 9;
  d.m_sProduct = model->m_pszName;
  d.m_sSerial = serial;

  kv::CSensorFirmware firmware(*model);
  firmware.SetReady(ready);
  CFirmwareHandler handler(firmware);
  int status = 0;
  {
    kv::CSimHidDevice device(paths, d, 0, &handler);
    if (!device.Plug()) {
      std::fprintf(stderr, "sensor-sim: cannot announce %s (in use?)\n", name.c_str());
      return 1;
    }
    kv::CSensorControl control(firmware, device);
    kv::CControlChannelServer channel(
        [&control](const std::string& line) { return control.Execute(line); }, MAX_CONTROL_LINE);
    std::string ctlPath = device.EndpointPath() + ".ctl";
    if (uint32_t rc = channel.Start(ctlPath)) {
      std::fprintf(stderr, "sensor-sim: cannot serve %s (error %u)\n", ctlPath.c_str(), rc);
      status = 1;
    } else {
      stopSignals.Wait();
      channel.Stop();
    }
    device.Unplug();
  }
  return status;
}
