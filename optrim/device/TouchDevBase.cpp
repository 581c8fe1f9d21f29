#include "optrim/device/TouchDevBase.h"

#include <cstring>

#include "common/LittleEndian.h"
#include "common/SystemError.h"

namespace kv {

namespace {

// Command code of each parameter key.
uint8_t KeyCommand(uint8_t key) {
  switch (key) {
    case 1: return 'E';
    case 2: return 'F';
    case 3: return 'G';
    case 4: return 'H';
    case 5: return 'I';
    case 6: return 'J';
    case 7: return 'D';
    case 8: return 'K';
    case 9: return 'f';
    case 13: return 'L';
    case 14: return 'g';
    case 15: return 'h';
    case 16: return 'i';
    case 17: return 'j';
    case 18: return 'M';
    case 19: return 'N';
    case 20: return 'O';
    case 21: return 'P';
    case 22: return 'Q';
    case 23: return 'p';
    default: return 0;
  }
}

float ReadFloat(const uint8_t* p) {
  uint32_t bits = ReadU32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

}  // namespace

size_t EnumerateHidDevices(HidBus& bus, uint16_t vendor, uint16_t product, uint16_t usagePage,
                           uint16_t usage, std::vector<std::string>* paths,
                           std::vector<std::u16string>* serials) {
  paths->clear();
  serials->clear();
  std::string path;
  for (uint32_t i = 0; bus.EnumerateInterface(i, &path) == ERROR_CODE_SUCCESS; ++i) {
    std::unique_ptr<HidDevice> dev;
    if (bus.Open(path, false, &dev) != ERROR_CODE_SUCCESS || !dev) continue;
    HidAttributes a{};
    if (dev->GetAttributes(&a) != ERROR_CODE_SUCCESS) continue;
    if ((vendor || product) && (a.m_uVendorId != vendor || a.m_uProductId != product)) continue;
    if (usagePage || usage) {
      HidCaps c{};
      if (dev->GetCaps(&c) != ERROR_CODE_SUCCESS || c.m_uUsagePage != usagePage ||
          c.m_uUsage != usage)
        continue;
    }
    std::u16string serial;
    if (dev->GetSerialNumberString(&serial) != ERROR_CODE_SUCCESS) serial.clear();
    if (serial.size() > 16) serial.resize(16);  // 32 bytes of UTF-16
    paths->push_back(path);
    serials->push_back(serial);
    dev->Close();
  }
  return paths->size();
}

CTouchDevBase::CTouchDevBase(const ModelDescriptor& model, HidBus& bus, Clock& clock,
                             CBroadCaster* broadcaster)
    : CMsgThrower(broadcaster), m_model(model), m_bus(bus), m_clock(clock) {
  m_calBlock = MakeDefaultCalBlock(m_model.m_calDefaults);
}

CTouchDevBase::~CTouchDevBase() { Disconnect(); }

void CTouchDevBase::Disconnect() {
  if (m_pPort) {
    SetMode(0);
    if (m_bCalibrated) SendCommand({0x04, 0, 0});
  }
  StopInputThread();
  DestroyPort();
  UnregisterListener();
}

void CTouchDevBase::DestroyPort() {
  if (m_pPort) m_pPort->Close();
  m_pPort.reset();
}

int CTouchDevBase::ConnectCommon() {
  if (!m_pPort) {
    std::vector<std::string> paths;
    std::vector<std::u16string> serials;
    if (EnumerateHidDevices(m_bus, m_model.m_uVendorId, m_model.m_uProductId,
                            m_model.m_uUsagePage, m_model.m_uUsage, &paths, &serials) == 0)
      return CONNECT_NO_DEVICE;
    auto port = std::make_unique<CHidPort>(m_bus, m_clock);
    if (!port->Open(paths[0])) return CONNECT_NO_DEVICE;
    m_pPort = std::move(port);
  }
  SensorCommand ready{};
  if (ReadValue(&ready, 'e', 0, SENSOR_TARGET_WHOLE, 0) && ready[2] == 0) {
    DestroyPort();
    return CONNECT_NOT_READY;
  }
  m_genSettings = DefaultCalibrationGenSettings(
      static_cast<uint8_t>(m_model.m_calDefaults.preciseSize), m_model.m_calDefaults.margins.x0);
  m_calBlock = MakeDefaultCalBlock(m_model.m_calDefaults);
  ReadAllParameters();
  // A missing or unreadable settings file keeps the defaults.
  if (!m_sSettingsPath.empty()) LoadCalibrationSettings(m_sSettingsPath, &m_genSettings);
  return CONNECT_OK;
}

bool CTouchDevBase::SendCommand(const SensorCommand& command) {
  return m_pPort && m_pPort->SetFeature(command);
}

bool CTouchDevBase::ReadValue(SensorCommand* out, uint8_t code, uint8_t index, uint8_t target,
                              uint8_t sub) {
  out->fill(0);
  if (!m_pPort) return false;
  SensorCommand request{SENSOR_READ_MARKER, code, AddressByte(index, target, sub)};
  SensorCommand answer{};
  if (!m_pPort->SetFeature(request) || !m_pPort->GetFeature(&answer) || answer[0] != code)
    return false;
  *out = answer;
  return true;
}

bool CTouchDevBase::ReadTableCell(SensorCommand* out, uint8_t code, uint8_t column, uint8_t row,
                                  uint8_t sub) {
  out->fill(0);
  if (!m_pPort || (code != 'a' && code != '_')) return false;
  SensorCommand request{SENSOR_READ_MARKER, code, static_cast<uint8_t>((sub & 3) << 3), column,
                        row};
  SensorCommand answer{};
  if (!m_pPort->SetFeature(request) || !m_pPort->GetFeature(&answer) || answer[0] != code)
    return false;
  *out = answer;
  return true;
}

void CTouchDevBase::ReadKey(uint8_t key, uint8_t camera) {
  const ParameterKey* row = FindParameterKey(m_model.m_pKeys, key);
  if (!row || row->m_uWidth < 1 || row->m_uWidth > 3) return;
  const bool whole = key >= 8 && key <= 17;
  SensorCommand a{};
  if (!ReadValue(&a, KeyCommand(key), 0, whole ? SENSOR_TARGET_WHOLE : camera, 0)) return;
  const bool isSigned = key == 2 || key == 14 || key == 15;
  const int32_t value = key == 9 ? a[2] : isSigned ? ReadI16(&a[2]) : ReadU16(&a[2]);
  const bool flag = key >= 5 && key <= 7;
  if (key != 23 && !flag && (value < row->m_iMin || value > row->m_iMax)) return;
  CameraImaging& cam = m_cameras[camera % 3];
  SensorParameter& sp = m_calcParam.sensor[camera % 3];
  const auto v16 = static_cast<int16_t>(value);
  switch (key) {
    case 1: cam.gain = v16; break;
    case 2: cam.offset = v16; break;
    case 3: cam.integWidth = v16; break;
    case 4: cam.vsmoother = v16; break;
    case 5: cam.hrev = a[2] != 0; break;
    case 6: cam.vrev = a[2] != 0; break;
    case 7: cam.ledOff = a[2] != 0; break;
    case 8: m_interval = v16; break;
    case 9: m_key9 = a[2]; break;
    case 13: case 14: case 15: case 16: case 17:
      m_calcParam.words[static_cast<size_t>(key - 13)] = v16;
      break;
    case 18: sp.first = v16; break;
    case 19: sp.last = v16; break;
    case 20: sp.vpos = v16; break;
    case 21: sp.limit1 = v16; break;
    case 22: sp.limit2 = v16; break;
    case 23:
      m_offsetCorrection[camera % 3] = {static_cast<uint8_t>(a[2] != 0), a[3]};
      break;
    default: break;
  }
}

bool CTouchDevBase::ReadCameraRecords() {
  bool ok = true;
  for (uint8_t c = 0; c < m_model.m_uCameraCount && c < 3; ++c) {
    SensorCommand b{}, a{};
    if (ReadValue(&b, 'B', 0, c, 0)) {
      m_cameras[c].gain = b[2];
      m_cameras[c].offset = b[3];
      m_cameras[c].integWidth = b[4];
      m_cameras[c].vsmoother = b[5];
      m_cameras[c].hrev = b[6];
    } else {
      ok = false;
    }
    if (ReadValue(&a, 'A', 0, c, 0)) {
      m_cameras[c].word6 = a[2];
      m_cameras[c].vrev = a[3];
    } else {
      ok = false;
    }
  }
  return ok;
}

bool CTouchDevBase::DownloadTables(SensorCalBlock* block) {
  SensorCommand r{};
  if (!ReadValue(&r, '\\', 0, SENSOR_TARGET_WHOLE, 0)) return false;
  block->angle.bAngleEnb = r[2];
  if (!ReadValue(&r, ']', 0, SENSOR_TARGET_WHOLE, 0)) return false;
  block->angle.deltaL = ReadI16(&r[2]);
  block->angle.deltaR = ReadI16(&r[4]);
  block->angle.deltaD = ReadI16(&r[6]);
  if (!ReadValue(&r, '^', 0, SENSOR_TARGET_WHOLE, 0)) return false;
  // A size beyond the table's room would index past it: refuse the download.
  if (r[2] > kMaxPreciseCells || r[3] > kMaxPreciseCells) return false;
  block->precise.nx1 = r[2];
  block->precise.ny1 = r[3];
  for (int row = 0; row <= block->precise.ny1; ++row)
    for (int col = 0; col <= block->precise.nx1; ++col) {
      if (!ReadTableCell(&r, '_', static_cast<uint8_t>(col), static_cast<uint8_t>(row), 0))
        return false;
      block->precise.At(row, col) = {ReadI16(&r[2]), ReadI16(&r[4])};
    }
  if (!ReadValue(&r, '`', 0, SENSOR_TARGET_WHOLE, 0)) return false;
  if (r[2] > kMaxBasicCells || r[3] > kMaxBasicCells) return false;
  block->basic.nx2 = r[2];
  block->basic.ny2 = r[3];
  if (!ReadValue(&r, 'b', 0, SENSOR_TARGET_WHOLE, 0)) return false;
  block->basic.devMin = {ReadI16(&r[2]), ReadI16(&r[4])};
  if (!ReadValue(&r, 'c', 0, SENSOR_TARGET_WHOLE, 0)) return false;
  block->basic.devMax = {ReadI16(&r[2]), ReadI16(&r[4])};
  for (int row = 0; row <= block->basic.ny2; ++row)
    for (int col = 0; col <= block->basic.nx2; ++col) {
      if (!ReadTableCell(&r, 'a', static_cast<uint8_t>(col), static_cast<uint8_t>(row), 0))
        return false;
      block->basic.At(row, col) = {ReadI16(&r[2]), ReadI16(&r[4])};
    }
  return true;
}

void CTouchDevBase::ReadAllParameters() {
  const bool suspended = m_bKeepAliveSuspended;
  m_bKeepAliveSuspended = true;
  static constexpr uint8_t CAMERA_KEYS[] = {7, 1, 2, 3, 4, 5, 6, 18, 19, 20, 21, 22};
  for (uint8_t c = 0; c < m_model.m_uCameraCount && c < 3; ++c)
    for (uint8_t key : CAMERA_KEYS) ReadKey(key, c);
  ReadCameraRecords();
  for (uint8_t key : {13, 14, 15, 16, 17, 8, 9}) ReadKey(key, 0);
  // Lens values: 'R' phi0, 'S' cp, 'T' p_h, 'U' theta0, 'V'..'[' a[0]..a[5].
  for (uint8_t c = 0; c < 2; ++c) {
    SensorParameter& sp = m_calcParam.sensor[c];
    for (uint8_t code = 'R'; code <= '['; ++code) {
      SensorCommand r{};
      if (!ReadValue(&r, code, 0, c, 0)) continue;
      const float f = ReadFloat(&r[2]);
      switch (code) {
        case 'R': sp.phi0 = f; break;
        case 'S': sp.cp = f; break;
        case 'T': sp.p_h = f; break;
        case 'U': sp.theta0 = f; break;
        default: sp.a[static_cast<size_t>(code - 'V')] = f; break;
      }
    }
  }
  SensorCalBlock block = m_calBlock;
  if (DownloadTables(&block)) m_calBlock = block;
  for (uint8_t c = 0; c < m_model.m_uCameraCount && c < 3; ++c) {
    SensorCommand r{};
    ReadValue(&r, 'n', 0, c, 0);  // read by every connect, not used further
  }
  if (FindParameterKey(m_model.m_pKeys, 23))
    for (uint8_t c = 0; c < 2; ++c) ReadKey(23, c);
  m_bKeepAliveSuspended = suspended;
}

void CTouchDevBase::SetMode(uint8_t mode) {
  if (mode > 5) return;  // not a mode of the sensor: nothing is sent
  if (SendCommand({0x02, 0, mode})) m_uMode = mode;
}

bool CTouchDevBase::SetBasicTable(const CalBasicParam& table, bool send) {
  m_calBlock.basic = table;
  if (!send) return true;
  if (!m_pPort) return false;
  const CalBasicParam& t = m_calBlock.basic;
  const uint8_t nx = std::min<uint8_t>(t.nx2, kMaxBasicCells);
  const uint8_t ny = std::min<uint8_t>(t.ny2, kMaxBasicCells);
  bool ok = SendCommand({0x07, 0, 1});
  ok = SendCommand({0x07, 0, 1}) && ok;
  ok = SendCommand({'`', 0, nx, ny}) && ok;
  SensorCommand c{'b', 0};
  WriteI16(&c[2], t.devMin.x);
  WriteI16(&c[4], t.devMin.y);
  ok = SendCommand(c) && ok;
  c = {'c', 0};
  WriteI16(&c[2], t.devMax.x);
  WriteI16(&c[4], t.devMax.y);
  ok = SendCommand(c) && ok;
  return SendCells('a', t, nx, ny) && ok;
}

bool CTouchDevBase::SetPreciseTable(const CalPreciseParam& table, bool send) {
  m_calBlock.precise = table;
  if (!send) return true;
  if (!m_pPort) return false;
  const CalPreciseParam& t = m_calBlock.precise;
  const uint8_t nx = std::min<uint8_t>(t.nx1, kMaxPreciseCells);
  const uint8_t ny = std::min<uint8_t>(t.ny1, kMaxPreciseCells);
  bool ok = SendCommand({0x07, 0, 1});
  ok = SendCommand({0x07, 0, 1}) && ok;
  ok = SendCommand({'^', 0, nx, ny}) && ok;
  return SendCells('_', t, nx, ny) && ok;
}

// The cells of an uploaded table, row by row, then the end of the upload.
template <typename Table>
bool CTouchDevBase::SendCells(uint8_t opcode, const Table& t, uint8_t nx, uint8_t ny) {
  bool ok = true;
  for (uint8_t row = 0; row <= ny; ++row)
    for (uint8_t col = 0; col <= nx; ++col) {
      SensorCommand c{opcode, 0, col, row};
      WriteI16(&c[4], t.At(row, col).x);
      WriteI16(&c[6], t.At(row, col).y);
      ok = SendCommand(c) && ok;
    }
  ok = SendCommand({0x07, 0, 0}) && ok;
  ok = SendCommand({0x07, 0, 0}) && ok;
  m_bCalibrated = true;
  return ok;
}

bool CTouchDevBase::SetAngleParameters(const CalAngleParam& angle, bool send) {
  m_calBlock.angle = angle;
  if (!send) return true;
  bool ok = SendCommand({'\\', 0, angle.bAngleEnb});
  SensorCommand c{']', 0};
  WriteI16(&c[2], angle.deltaL);
  WriteI16(&c[4], angle.deltaR);
  WriteI16(&c[6], angle.deltaD);
  return SendCommand(c) && ok;
}

void CTouchDevBase::FlashOperation(uint8_t sub) {
  SendCommand({0x03, 0, sub});
  m_clock.Sleep(2000);
}

uint16_t CTouchDevBase::ReadFlashState() {
  SensorCommand r{};
  if (!ReadValue(&r, 'd', 0, SENSOR_TARGET_WHOLE, 0)) return 4;
  return ReadU16(&r[4]);
}

void CTouchDevBase::Poll() {
  const uint32_t now = m_clock.TickCount();
  if (!m_bKeepAliveSuspended && (!m_bKeepAliveSent || now - m_uLastKeepAlive >= KEEPALIVE_PERIOD_MS)) {
    m_bKeepAliveSent = true;
    m_uLastKeepAlive = now;
    if (SendCommand(SensorCommand{})) {
      m_uFailures = 0;
    } else {
      StopInputThread();
      DestroyPort();
      if (++m_uFailures > MAX_KEEPALIVE_FAILURES) {
        Post(NOTIFY_DEVICE_LOST, reinterpret_cast<uintptr_t>(this));
        m_uFailures = 0;
      }
    }
  }
  if (m_uMode != 5) return;
  if (m_pPort) {
    bool touch = false, release = false;
    {
      std::lock_guard<std::mutex> lock(m_pPort->SampleLock());
      if (m_bNewSample) {
        if (m_sample.w || m_sample.h) {
          m_touch = m_sample;
          m_bNewSample = false;
          m_bTouching = true;
          touch = true;
        } else {
          m_bTouching = false;
          release = true;  // the flag stays: released again on every tick
        }
      }
    }
    if (touch) Post(NOTIFY_TOUCH, (static_cast<uintptr_t>(m_touch.y) << 16) | m_touch.x);
    if (release) Post(NOTIFY_RELEASE);
  } else if (m_bTouching) {
    m_bTouching = false;
    Post(NOTIFY_RELEASE);
  }
}

void CTouchDevBase::StartInputThread() {
  if (!m_pPort || m_inputThread.joinable()) return;
  m_bStop = false;
  m_inputThread = std::thread([this] { InputLoop(); });
}

void CTouchDevBase::StopInputThread() {
  if (!m_inputThread.joinable()) return;
  m_bStop = true;
  if (m_pPort && m_pPort->InputHandle()) m_pPort->InputHandle()->CancelRead();
  m_inputThread.join();
}

void CTouchDevBase::InputLoop() {
  HidDevice* in = m_pPort->InputHandle();
  std::mutex& lock = m_pPort->SampleLock();
  auto release = [&] {
    std::lock_guard<std::mutex> g(lock);
    if (m_sample.w || m_sample.h) {
      m_sample.w = m_sample.h = 0;
      m_bNewSample = true;
    }
  };
  std::vector<uint8_t> buffer(65);
  while (!m_bStop) {
    size_t n = 0;
    uint32_t rc = in->ReadInputReport(buffer, 100, &n);
    if (rc == ERROR_CODE_TIMEOUT) continue;
    if (rc != ERROR_CODE_SUCCESS) {
      release();
      // A cancel left over from an earlier stop only ends this read, not the thread.
      if (rc == ERROR_CODE_INVALID_HANDLE || rc == ERROR_CODE_DEVICE_NOT_CONNECTED) break;
      continue;
    }
    if (n < 13 || buffer[1] != 0x01 || buffer[3] != 0x40) continue;
    std::lock_guard<std::mutex> g(lock);
    m_sample = {ReadU16(&buffer[5]), ReadU16(&buffer[7]), ReadU16(&buffer[9]),
                ReadU16(&buffer[11])};
    m_bNewSample = true;
  }
  release();
}

}  // namespace kv
