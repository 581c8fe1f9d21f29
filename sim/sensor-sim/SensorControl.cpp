#include "sim/sensor-sim/SensorControl.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "common/LittleEndian.h"

namespace kv {

namespace {

bool ParseNumber(const std::string& text, long min, long max, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || v < min || v > max) return false;
  *out = v;
  return true;
}

}  // namespace

CSensorControl::CSensorControl(CSensorFirmware& firmware, CSimHidDevice& device)
    : m_firmware(firmware), m_device(device) {}

std::string CSensorControl::Execute(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string t; in >> t;) w.push_back(t);
  if (w.empty()) return "error empty";
  const std::string& cmd = w[0];
  long a = 0, b = 0, c = 0, d = 0;
  if (cmd == "ping" && w.size() == 1) return "ok";
  if (cmd == "touch" || cmd == "release") {
    const bool touch = cmd == "touch";
    if (touch ? w.size() != 5 : w.size() != 1) return "error usage";
    if (touch && (!ParseNumber(w[1], 0, 65535, &a) || !ParseNumber(w[2], 0, 65535, &b) ||
                  !ParseNumber(w[3], 0, 65535, &c) || !ParseNumber(w[4], 0, 65535, &d)))
      return "error bad number";
    if (m_firmware.Mode() != 5) return "error not in touch mode";
    std::vector<uint8_t> r(65, 0);
    r[1] = 0x01;
    r[3] = 0x40;
    WriteU16(&r[5], static_cast<uint16_t>(a));
    WriteU16(&r[7], static_cast<uint16_t>(b));
    WriteU16(&r[9], static_cast<uint16_t>(c));
    WriteU16(&r[11], static_cast<uint16_t>(d));
    m_device.SendInputReport(r);
    return "ok";
  }
  if (cmd == "report") {
    if (w.size() < 2 || w.size() > 65) return "error usage";
    std::vector<uint8_t> r(65, 0);
    for (size_t i = 1; i < w.size(); ++i) {
      if (!ParseNumber(w[i], 0, 255, &a)) return "error bad number";
      r[i] = static_cast<uint8_t>(a);
    }
    m_device.SendInputReport(r);
    return "ok";
  }
  if (cmd == "ready" && w.size() == 2) {
    if (!ParseNumber(w[1], 0, 1, &a)) return "error bad number";
    m_firmware.SetReady(a != 0);
    return "ok";
  }
  if (cmd == "refuseflash" && w.size() == 2) {
    if (!ParseNumber(w[1], 0, 1, &a)) return "error bad number";
    m_firmware.SetRefuseFlash(a != 0);
    return "ok";
  }
  if (cmd == "flashstate" && w.size() == 2) {
    if (!ParseNumber(w[1], 0, 65535, &a)) return "error bad number";
    m_firmware.SetFlashState(static_cast<uint16_t>(a));
    return "ok";
  }
  if (cmd == "value" || cmd == "value16") {
    const bool word = cmd == "value16";
    if (word ? w.size() != 4 : (w.size() < 4 || w.size() > 9)) return "error usage";
    if (!ParseNumber(w[1], 0, 255, &a) || !ParseNumber(w[2], 0, 255, &b))
      return "error bad number";
    std::vector<uint8_t> payload;
    if (word) {
      if (!ParseNumber(w[3], -32768, 65535, &c)) return "error bad number";
      payload.resize(2);
      WriteU16(payload.data(), static_cast<uint16_t>(c & 0xFFFF));
    } else {
      for (size_t i = 3; i < w.size(); ++i) {
        if (!ParseNumber(w[i], 0, 255, &c)) return "error bad number";
        payload.push_back(static_cast<uint8_t>(c));
      }
    }
    m_firmware.SetRawValue(static_cast<uint8_t>(a), static_cast<uint8_t>(b), payload);
    return "ok";
  }
  if (cmd == "table" && w.size() == 2) return m_firmware.DescribeUpload(w[1]);
  if (w.size() == 1) {
    if (cmd == "flashed") return m_firmware.FlashWritten() ? "1" : "0";
    if (cmd == "mode") return std::to_string(m_firmware.Mode());
    if (cmd == "keepalive") return std::to_string(m_firmware.KeepAliveCount());
    if (cmd == "reads") {
      std::string log = m_firmware.TakeReadLog();
      return log.empty() ? "none" : log;
    }
    if (cmd == "features") return std::to_string(m_firmware.FeatureCount());
    if (cmd == "unplug") {
      m_device.Unplug();
      return "ok";
    }
    if (cmd == "plug") return m_device.Plug() ? "ok" : "error cannot plug";
  }
  return "error unknown command";
}

}  // namespace kv
