#include "optrim/calibration/SensorCalBlock.h"

#include <vector>

#include "common/LittleEndian.h"

namespace kv {
namespace {

void WritePoint(uint8_t* p, const DevPoint& v) {
  WriteI16(p, v.x);
  WriteI16(p + 2, v.y);
}

DevPoint ReadPoint(const uint8_t* p) { return DevPoint{ReadI16(p), ReadI16(p + 2)}; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void PackSensorCalBlock(const SensorCalBlock& block, std::span<uint8_t, kSensorCalBlockBytes> out) {
  uint8_t* p = out.data();
  p[0] = block.angle.bAngleEnb;
  WriteI16(p + 1, block.angle.deltaL);
  WriteI16(p + 3, block.angle.deltaR);
  WriteI16(p + 5, block.angle.deltaD);
  p += 7;
  p[0] = block.precise.nx1;
  p[1] = block.precise.ny1;
  p += 2;
  for (const DevPoint& node : block.precise.devTbl) {
    WritePoint(p, node);
    p += 4;
  }
  WritePoint(p, block.basic.devMin);
  WritePoint(p + 4, block.basic.devMax);
  p[8] = block.basic.nx2;
  p[9] = block.basic.ny2;
  p += 10;
  for (const DevPoint& node : block.basic.hiTbl) {
    WritePoint(p, node);
    p += 4;
  }
}

bool UnpackSensorCalBlock(std::span<const uint8_t> in, SensorCalBlock* block) {
  if (in.size() != kSensorCalBlockBytes || block == nullptr) return false;
  SensorCalBlock b;
  const uint8_t* p = in.data();
  b.angle.bAngleEnb = p[0];
  b.angle.deltaL = ReadI16(p + 1);
  b.angle.deltaR = ReadI16(p + 3);
  b.angle.deltaD = ReadI16(p + 5);
  p += 7;
  b.precise.nx1 = p[0];
  b.precise.ny1 = p[1];
  p += 2;
  for (DevPoint& node : b.precise.devTbl) {
    node = ReadPoint(p);
    p += 4;
  }
  b.basic.devMin = ReadPoint(p);
  b.basic.devMax = ReadPoint(p + 4);
  b.basic.nx2 = p[8];
  b.basic.ny2 = p[9];
  p += 10;
  for (DevPoint& node : b.basic.hiTbl) {
    node = ReadPoint(p);
    p += 4;
  }
  *block = b;
  return true;
}

std::string SensorCalBlockToHex(const SensorCalBlock& block) {
  std::array<uint8_t, kSensorCalBlockBytes> bytes{};
  PackSensorCalBlock(block, bytes);
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    hex.push_back(kDigits[b >> 4]);
    hex.push_back(kDigits[b & 0x0F]);
  }
  return hex;
}

bool SensorCalBlockFromHex(std::string_view hex, SensorCalBlock* block) {
  if (hex.size() != kSensorCalBlockBytes * 2) return false;
  std::vector<uint8_t> bytes(kSensorCalBlockBytes);
  for (size_t i = 0; i < bytes.size(); ++i) {
    int hi = HexDigit(hex[2 * i]);
    int lo = HexDigit(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
  }
  return UnpackSensorCalBlock(bytes, block);
}

}  // namespace kv
