#include <gtest/gtest.h>

#include <vector>

#include "common/DriverInfoRecord.h"
#include "common/DriverSettings.h"
#include "common/DriverStatusRecord.h"
#include "common/TouchPointRecord.h"

namespace kv {
namespace {

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 29);
  return b;
}

// Decoding and encoding again gives back every byte, the driver's own bytes included.
template <typename Record>
void ExpectRoundTrip() {
  for (uint8_t seed : {0x00, 0x5A, 0xFF}) {
    std::vector<uint8_t> bytes = Pattern(Record::SIZE, seed);
    Record r;
    ASSERT_TRUE(Record::Decode(bytes, &r));
    auto again = r.Encode();
    EXPECT_TRUE(std::equal(again.begin(), again.end(), bytes.begin(), bytes.end())) << int(seed);
  }
  Record untouched;
  untouched.Decode(Pattern(Record::SIZE, 3), &untouched);
  const Record before = untouched;
  for (size_t n : {size_t{0}, Record::SIZE - 1, Record::SIZE + 1}) {
    EXPECT_FALSE(Record::Decode(Pattern(n, 1), &untouched)) << n;
    EXPECT_EQ(untouched, before);
  }
}

TEST(Records, RoundTripKeepsEveryByte) {
  ExpectRoundTrip<DriverSettings>();
  ExpectRoundTrip<TouchPointRecord>();
  ExpectRoundTrip<DriverInfoRecord>();
  ExpectRoundTrip<DriverStatusRecord>();
}

TEST(Records, DriverSettingsFieldsAtTheirOffsets) {
  DriverSettings s;
  s.m_uInputEnable = 1;
  s.m_uCalibrationSwitch = 1;
  s.m_uScreenWidth = 1920;
  s.m_uScreenHeight = 1080;
  s.m_iRatioX = 1234;
  s.m_iOffsetX = -3;
  s.m_iRatioY = 0x01020304;
  s.m_iOffsetY = -1;
  s.m_uRotation = 270;
  s.m_uPenButtonMode = 0x8002;
  s.m_uPanelStateCode = 3;
  s.m_uPanelStateFlag = 1;
  const std::array<uint8_t, 36> expected = {
      1, 1, 0x80, 0x07, 0x38, 0x04, 0, 0,                   // enable, switch, 1920, 1080
      0xD2, 0x04, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF,             // ratio X, offset X
      0x04, 0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF,       // ratio Y, offset Y
      0x0E, 0x01, 0x02, 0x80, 3, 0, 1, 0, 0, 0, 0, 0};      // rotation, pen, state
  EXPECT_EQ(s.Encode(), expected);
}

TEST(Records, TouchPointAndStatusFieldsAtTheirOffsets) {
  std::vector<uint8_t> b(24, 0);
  b[0] = 0x34, b[1] = 0x12;                   // X = 0x1234
  b[4] = b[5] = b[6] = b[7] = 0xFF;           // Y = -1
  b[16] = 0x30, b[19] = 0x80;                 // flags
  TouchPointRecord t;
  ASSERT_TRUE(TouchPointRecord::Decode(b, &t));
  EXPECT_EQ(t.m_iX, 0x1234);
  EXPECT_EQ(t.m_iY, TouchPointRecord::TAKEN);
  DriverStatusRecord st;
  ASSERT_TRUE(DriverStatusRecord::Decode(b, &st));
  EXPECT_EQ(st.m_uFlags, 0x80000030u);
}

TEST(Records, DriverInfoTextAndWords) {
  std::vector<uint8_t> b(24, 0);
  const char text[] = "2.1.0.4";
  std::copy(text, text + 7, b.begin());
  b[16] = 0xAB, b[17] = 0xCD;  // unused, but kept
  b[18] = 1, b[20] = 2, b[22] = 0x05, b[23] = 0x02;
  DriverInfoRecord r;
  ASSERT_TRUE(DriverInfoRecord::Decode(b, &r));
  EXPECT_EQ(r.VersionText(), "2.1.0.4");
  EXPECT_EQ(r.m_uInfoWord1, 1);
  EXPECT_EQ(r.m_uInfoWord2, 2);
  EXPECT_EQ(r.m_uFirmwareVersion, 0x0205);

  // A driver that fills all 16 bytes gets no NUL; the text still stops at 15 characters.
  std::fill(b.begin(), b.begin() + 16, 'v');
  ASSERT_TRUE(DriverInfoRecord::Decode(b, &r));
  EXPECT_EQ(r.VersionText(), std::string(15, 'v'));

  r.SetVersionText("a-much-longer-version-text");
  EXPECT_EQ(r.VersionText(), "a-much-longer-v");
  EXPECT_EQ(r.Encode()[15], 0);
  r.SetVersionText("1.0");
  auto e = r.Encode();
  for (size_t i = 3; i < 16; ++i) EXPECT_EQ(e[i], 0) << i;
  EXPECT_EQ(e[16], 0xAB);
}

}  // namespace
}  // namespace kv
