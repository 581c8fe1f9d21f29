#include "sim/panel-sim/PanelControl.h"

#include <sstream>
#include <vector>

namespace kv {

namespace {

bool ParseNumber(const std::string& text, uint32_t max, uint32_t* out) {
  size_t i = 0;
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    i = 2;
  }
  if (i >= text.size() || text.size() - i > 10) return false;
  uint64_t v = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    unsigned d;
    if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    v = v * base + d;
    if (v > max) return false;
  }
  *out = static_cast<uint32_t>(v);
  return true;
}

// Parses args[from..] as exactly count numbers up to max each.
bool Numbers(const std::vector<std::string>& args, size_t from, size_t count, uint32_t max,
             std::vector<uint32_t>* out) {
  if (args.size() != from + count) return false;
  out->clear();
  for (size_t i = from; i < args.size(); ++i) {
    uint32_t v;
    if (!ParseNumber(args[i], max, &v)) return false;
    out->push_back(v);
  }
  return true;
}

std::array<uint16_t, 4> Words(const std::vector<uint32_t>& v) {
  return {static_cast<uint16_t>(v[0]), static_cast<uint16_t>(v[1]), static_cast<uint16_t>(v[2]),
          static_cast<uint16_t>(v[3])};
}

const char* const BAD = "error bad arguments";

}  // namespace

CPanelControl::CPanelControl(CPanelFirmware& firmware, CSimHidDevice& device)
    : m_firmware(firmware), m_device(device) {}

void CPanelControl::Send(const std::array<uint8_t, 10>& report) { m_device.SendInputReport(report); }

std::string CPanelControl::Execute(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> a;
  for (std::string word; in >> word;) a.push_back(word);
  if (a.empty()) return "error empty command";
  const std::string& cmd = a[0];
  std::vector<uint32_t> n;

  if (cmd == "ping") return "ok";
  if (cmd == "pen") {
    if (a.size() == 4 && (a[1] == "down" || a[1] == "move") && Numbers(a, 2, 2, 32767, &n)) {
      uint16_t x = static_cast<uint16_t>(n[0]), y = static_cast<uint16_t>(n[1]);
      if (a[1] == "move") {
        m_firmware.PenMove(x, y);
      } else {
        for (const auto& r : m_firmware.PenDown(x, y)) Send(r);
      }
      return "ok";
    }
    if (a.size() == 2 && a[1] == "up") {
      for (const auto& r : m_firmware.PenUp()) Send(r);
      return "ok";
    }
    return BAD;
  }
  if (cmd == "button") {
    if (!Numbers(a, 1, 2, 2, &n) || n[0] == 0 || n[1] > 1) return BAD;
    Send(m_firmware.Button(n[0], n[1] == 1));
    return "ok";
  }
  if (cmd == "dip") {
    if (!Numbers(a, 1, 1, 0xFF, &n)) return BAD;
    m_firmware.SetDipSwitch(static_cast<uint8_t>(n[0]));
    return "ok";
  }
  if (cmd == "checksum") {
    if (a.size() == 2) a.push_back("0");
    if (!Numbers(a, 1, 2, 0xFFFF, &n) || n[1] > 0xFF) return BAD;
    m_firmware.SetCheckSum(static_cast<uint16_t>(n[0]), static_cast<uint8_t>(n[1]));
    return "ok";
  }
  if (cmd == "version") {
    if (!Numbers(a, 1, 1, 0xFFFFFF, &n)) return BAD;
    m_firmware.SetFirmwareVersion(n[0]);
    return "ok";
  }
  if (cmd == "calibration") {
    if (a.size() == 1) {
      auto w = m_firmware.Calibration();
      return std::to_string(w[0]) + " " + std::to_string(w[1]) + " " + std::to_string(w[2]) +
             " " + std::to_string(w[3]);
    }
    if (a[1] == "corrupt") {
      if (a.size() == 2) a.push_back("1");
      if (!Numbers(a, 2, 1, 0xFFFF, &n)) return BAD;
      m_firmware.CorruptCalibrationReads(n[0]);
      return "ok";
    }
    if (!Numbers(a, 1, 4, 0xFFFF, &n)) return BAD;
    m_firmware.SetCalibration(Words(n));
    return "ok";
  }
  if (cmd == "devpos" || cmd == "scrpos") {
    if (!Numbers(a, 1, 4, 0xFFFF, &n)) return BAD;
    if (cmd == "devpos") m_firmware.SetDevicePosition(Words(n));
    else m_firmware.SetScreenPosition(Words(n));
    return "ok";
  }
  if (cmd == "records") {
    if (a.size() == 2 && a[1] == "default") { m_firmware.LoadDefaultRecords(); return "ok"; }
    if (a.size() == 2 && a[1] == "clear") { m_firmware.ClearRecords(); return "ok"; }
    if (a.size() == 2 && a[1] == "count") return std::to_string(m_firmware.RecordCount());
    if (a.size() >= 2 && a[1] == "add" && Numbers(a, 2, 8, 0xFF, &n)) {
      std::array<uint8_t, 8> rec;
      for (size_t i = 0; i < 8; ++i) rec[i] = static_cast<uint8_t>(n[i]);
      if (m_firmware.RecordCount() >= 4096) return "error too many records";
      m_firmware.AddRecord(rec);
      return "ok";
    }
    return BAD;
  }
  if (cmd == "pace" || cmd == "delay") {
    if (!Numbers(a, 1, 1, 60000, &n)) return BAD;
    if (cmd == "pace") m_firmware.SetRecordPace(n[0]);
    else m_firmware.SetDelay(n[0]);
    return "ok";
  }
  if (cmd == "last" || cmd == "count") {
    if (!Numbers(a, 1, 1, 0xFF, &n)) return BAD;
    uint8_t op = static_cast<uint8_t>(n[0]);
    if (cmd == "count") return std::to_string(m_firmware.ReceivedCount(op));
    uint8_t p;
    if (!m_firmware.LastParameter(op, &p)) return "error none";
    return std::to_string(p);
  }
  if (cmd == "mute") {
    if (a.size() != 2 || (a[1] != "on" && a[1] != "off")) return BAD;
    m_firmware.SetMuted(a[1] == "on");
    return "ok";
  }
  if (cmd == "report") {
    if (a.size() < 2 || a.size() > 2 + 64 || !Numbers(a, 1, a.size() - 1, 0xFF, &n)) return BAD;
    std::vector<uint8_t> r(n.begin(), n.end());
    m_device.SendInputReport(r);
    return "ok";
  }
  if (cmd == "unplug") {
    m_device.Unplug();
    return "ok";
  }
  if (cmd == "plug") return m_device.Plug() ? "ok" : "error cannot announce the device";
  return "error unknown command";
}

}  // namespace kv
