#include "sim/sensor-sim/SensorFirmware.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "common/LittleEndian.h"

namespace kv {

namespace {

constexpr SensorSimModel MODELS[] = {
    {"MQB-V2", 0x3E22, 0x6B01, 1600}, {"MQBP", 0x3E22, 0x6B02, 1600},
    {"PML-CC", 0x3E22, 0x6B03, 800},  {"MQA", 0x3E22, 0x6B04, 1600},
    {"MQAR410", 0x3E23, 0x6B05, 1600}, {"MQA-KV", 0x3E22, 0x6B06, 1600},
};

constexpr uint8_t READ_MARKER = 0x01;

void Put16(std::array<uint8_t, 6>& p, size_t at, uint16_t v) { WriteU16(p.data() + at, v); }

void PutFloat(std::array<uint8_t, 6>& p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  WriteU32(p.data(), bits);
}

uint16_t Get16(const uint8_t* p) { return ReadU16(p); }
uint32_t Get32(const uint8_t* p) { return ReadU32(p); }

}  // namespace

const SensorSimModel* FindSensorSimModel(const std::string& name) {
  for (const auto& m : MODELS)
    if (name == m.m_pszName) return &m;
  return nullptr;
}

const SensorSimModel& DefaultSensorSimModel() { return MODELS[3]; }

CSensorFirmware::CSensorFirmware(const SensorSimModel& model) : m_model(model) {
  m_current.m_uBasicCols = m_current.m_uBasicRows = 1;
  m_current.m_minX = -20000;
  m_current.m_minY = 200;
  m_current.m_maxX = 20000;
  m_current.m_maxY = 30000;
  m_current.m_uPreciseCols = m_current.m_uPreciseRows = 4;
  // A factory-fresh sensor holds even tables: the precise nodes spread between the corners,
  // the basic one spanning the screen inside the default margins. A host computing a basic
  // calibration on top of them gets sensible results.
  auto cell = [](int x, int y) {
    return static_cast<uint32_t>(static_cast<uint16_t>(x)) |
           (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
  };
  for (uint8_t r = 0; r <= 4; ++r)
    for (uint8_t c = 0; c <= 4; ++c)
      m_current.m_precise[{r, c}] = cell(m_current.m_minX + c * (m_current.m_maxX - m_current.m_minX) / 4,
                                         m_current.m_minY + r * (m_current.m_maxY - m_current.m_minY) / 4);
  constexpr int MARGIN = 2185;
  for (uint8_t r = 0; r <= 1; ++r)
    for (uint8_t c = 0; c <= 1; ++c)
      m_current.m_basic[{r, c}] = cell(MARGIN + c * (65535 - 2 * MARGIN), MARGIN + r * (65535 - 2 * MARGIN));
}

// Values in range for every model, so that a fresh sensor reads back cleanly.
std::array<uint8_t, 6> CSensorFirmware::DefaultPayload(uint8_t code, uint8_t address) const {
  std::array<uint8_t, 6> p{};
  const unsigned camera = address & 7;
  const uint16_t half = static_cast<uint16_t>(m_model.m_uPixels / 2);
  switch (code) {
    case 'E': Put16(p, 0, 16); break;
    case 'F': Put16(p, 0, 0); break;
    case 'G': Put16(p, 0, 100); break;
    case 'H': Put16(p, 0, 2); break;
    case 'K': Put16(p, 0, 20); break;
    case 'f': p[0] = 1; break;
    case 'L': Put16(p, 0, 100); break;
    case 'M': Put16(p, 0, static_cast<uint16_t>(half / 8)); break;
    case 'N': Put16(p, 0, static_cast<uint16_t>(m_model.m_uPixels - half / 8)); break;
    case 'O': Put16(p, 0, 100); break;
    case 'P': Put16(p, 0, 200); break;
    case 'Q': Put16(p, 0, 150); break;
    case 'B': p = {16, 0, 100, 2, 0, 0}; break;
    case 'p': p[0] = 1; p[1] = 5; break;
    case 'n': Put16(p, 0, static_cast<uint16_t>(camera)); break;
    case 'S': PutFloat(p, 800.0f); break;
    case 'T': PutFloat(p, static_cast<float>(half)); break;
    default:
      break;
  }
  return p;
}

bool CSensorFirmware::OnSetFeature(std::span<const uint8_t> report) {
  if (report.size() < 9 || report[0] != 0) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  ++m_uFeatures;
  const uint8_t* c = report.data() + 1;
  if (c[0] == READ_MARKER) {
    m_pendingAnswer = Answer(c[1], c[2], c[3], c[4]);
    static constexpr size_t MAX_LOG = 64 * 1024;
    if (m_sReadLog.size() < MAX_LOG) {
      char word[16];
      std::snprintf(word, sizeof word, "%s%02X/%02X", m_sReadLog.empty() ? "" : " ", c[1], c[2]);
      m_sReadLog += word;
    }
    return true;
  }
  HandleWrite(c);
  return true;
}

bool CSensorFirmware::OnGetFeature(std::vector<uint8_t>* report) {
  std::lock_guard<std::mutex> lock(m_mutex);
  ++m_uFeatures;
  report->assign(9, 0);
  if (m_pendingAnswer) {
    std::memcpy(report->data() + 1, m_pendingAnswer->data(), 8);
    m_pendingAnswer.reset();
  }
  // Without a read request before it, the answer carries no echo and the host rejects it.
  return true;
}

std::array<uint8_t, 8> CSensorFirmware::Answer(uint8_t code, uint8_t address, uint8_t col,
                                               uint8_t row) {
  std::array<uint8_t, 8> a{};
  a[0] = code;
  a[1] = address;
  std::array<uint8_t, 6> p{};
  const auto cell = std::make_pair(row, col);
  switch (code) {
    case 'e': p[0] = m_bReady ? 1 : 0; break;
    case 'd': Put16(p, 2, m_uFlashState); break;
    case '\\': p[0] = m_current.m_uAngleEnable; break;
    case ']':
      for (size_t i = 0; i < 3; ++i) Put16(p, i * 2, static_cast<uint16_t>(m_current.m_angle[i]));
      break;
    case '^': p[0] = m_current.m_uPreciseCols; p[1] = m_current.m_uPreciseRows; break;
    case '`': p[0] = m_current.m_uBasicCols; p[1] = m_current.m_uBasicRows; break;
    case 'b':
      Put16(p, 0, static_cast<uint16_t>(m_current.m_minX));
      Put16(p, 2, static_cast<uint16_t>(m_current.m_minY));
      break;
    case 'c':
      Put16(p, 0, static_cast<uint16_t>(m_current.m_maxX));
      Put16(p, 2, static_cast<uint16_t>(m_current.m_maxY));
      break;
    case '_':
    case 'a': {
      const auto& table = code == 'a' ? m_current.m_basic : m_current.m_precise;
      auto it = table.find(cell);
      uint32_t v = it == table.end() ? 0 : it->second;
      WriteU32(p.data(), v);
      break;
    }
    default: {
      auto it = m_store.find({code, address});
      p = it != m_store.end() ? it->second : DefaultPayload(code, address);
      break;
    }
  }
  std::memcpy(a.data() + 2, p.data(), 6);
  return a;
}

void CSensorFirmware::HandleWrite(const uint8_t* c) {
  SensorSimTables& t = m_bInBracket ? m_uploading : m_current;
  const uint8_t* v = c + 2;
  switch (c[0]) {
    case 0x00: ++m_uKeepAlive; break;
    case 0x02: if (v[0] <= 5) m_uMode = v[0]; break;
    case 0x03:
      if (v[0] == 1 && m_bRefuseFlash) {
        m_uFlashState = 1;  // a write that did not finish
      } else if (v[0] == 1) {
        m_bFlashWritten = true;
        m_uFlashState = 0;
      }
      break;
    case 0x07:
      if (v[0] == 1 && !m_bInBracket) {  // each bracket comes twice: the second is a no-op
        m_bInBracket = true;
        m_uploading = m_current;
      } else if (v[0] == 0 && m_bInBracket) {
        m_bInBracket = false;
        m_current = m_uploading;
        m_lastUpload = m_uploading;
        m_bUploaded = true;
      }
      break;
    case '\\': t.m_uAngleEnable = v[0]; break;
    case ']':
      for (size_t i = 0; i < 3; ++i) t.m_angle[i] = static_cast<int16_t>(Get16(v + 2 * i));
      break;
    // A new size starts that table afresh; the other table keeps what it holds, so a host
    // that uploads both in two brackets leaves both behind.
    case '^':
      t.m_uPreciseCols = v[0];
      t.m_uPreciseRows = v[1];
      if (m_bInBracket) t.m_precise.clear();
      break;
    case '`':
      t.m_uBasicCols = v[0];
      t.m_uBasicRows = v[1];
      if (m_bInBracket) t.m_basic.clear();
      break;
    case 'b':
      t.m_minX = static_cast<int16_t>(Get16(v));
      t.m_minY = static_cast<int16_t>(Get16(v + 2));
      break;
    case 'c':
      t.m_maxX = static_cast<int16_t>(Get16(v));
      t.m_maxY = static_cast<int16_t>(Get16(v + 2));
      break;
    case 'a':
    case '_':
      // Grids hold at most 10 by 10 (precise) and 5 by 5 (basic) nodes.
      if (v[0] < (c[0] == 'a' ? 5 : 10) && v[1] < (c[0] == 'a' ? 5 : 10))
        (c[0] == 'a' ? t.m_basic : t.m_precise)[{v[1], v[0]}] = Get32(v + 2);
      break;
    default:
      break;
  }
}

void CSensorFirmware::SetReady(bool ready) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bReady = ready;
}

void CSensorFirmware::SetRawValue(uint8_t code, uint8_t address, std::span<const uint8_t> payload) {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::array<uint8_t, 6> p{};
  for (size_t i = 0; i < payload.size() && i < p.size(); ++i) p[i] = payload[i];
  m_store[{code, address}] = p;
}

void CSensorFirmware::SetRefuseFlash(bool refuse) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bRefuseFlash = refuse;
}

void CSensorFirmware::SetFlashState(uint16_t state) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_uFlashState = state;
}

uint8_t CSensorFirmware::Mode() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_uMode;
}
uint32_t CSensorFirmware::KeepAliveCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_uKeepAlive;
}
uint32_t CSensorFirmware::FeatureCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_uFeatures;
}
bool CSensorFirmware::FlashWritten() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bFlashWritten;
}
bool CSensorFirmware::TablesUploaded() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bUploaded;
}
SensorSimTables CSensorFirmware::LastUpload() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_lastUpload;
}

std::string CSensorFirmware::TakeReadLog() {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string log;
  log.swap(m_sReadLog);
  return log;
}

std::string CSensorFirmware::DescribeUpload(const std::string& which) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_bUploaded) return "error none";
  const SensorSimTables& t = m_lastUpload;
  std::ostringstream out;
  if (which == "basic") {
    out << unsigned(t.m_uBasicCols) << ' ' << unsigned(t.m_uBasicRows) << ' ' << t.m_minX << ' '
        << t.m_minY << ' ' << t.m_maxX << ' ' << t.m_maxY << ' ' << t.m_basic.size();
    for (const auto& [k, v] : t.m_basic) out << ' ' << v;
  } else if (which == "precise") {
    out << unsigned(t.m_uPreciseCols) << ' ' << unsigned(t.m_uPreciseRows) << ' '
        << t.m_precise.size();
    for (const auto& [k, v] : t.m_precise) out << ' ' << v;
  } else if (which == "angle") {
    out << unsigned(t.m_uAngleEnable) << ' ' << t.m_angle[0] << ' ' << t.m_angle[1] << ' '
        << t.m_angle[2];
  } else {
    return "error unknown table";
  }
  return out.str();
}

}  // namespace kv
