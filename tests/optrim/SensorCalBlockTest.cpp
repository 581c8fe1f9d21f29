#include "optrim/calibration/SensorCalBlock.h"

#include <gtest/gtest.h>

#include "optrim/calibration/DefaultTables.h"

namespace kv {
namespace {

TEST(SensorCalBlock, PacksEachFieldAtItsOffset) {
  SensorCalBlock b;
  b.angle = CalAngleParam{1, 8192, -2, 0x1234};
  b.precise.nx1 = 4;
  b.precise.ny1 = 3;
  b.precise.At(1, 0) = DevPoint{-20000, 0x0102};
  b.precise.At(9, 9) = DevPoint{0x7FFF, -1};
  b.basic.devMin = DevPoint{-30000, 2000};
  b.basic.devMax = DevPoint{30000, 0x4E20};
  b.basic.nx2 = 1;
  b.basic.ny2 = 2;
  b.basic.At(1, 1) = DevPoint{static_cast<int16_t>(63350), 2185};
  b.basic.At(4, 4) = DevPoint{0x0A0B, 0x0C0D};
  std::array<uint8_t, kSensorCalBlockBytes> bytes{};
  PackSensorCalBlock(b, bytes);
  ASSERT_EQ(bytes.size(), 519u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[1], 0x00);
  EXPECT_EQ(bytes[2], 0x20);  // 8192, little-endian
  EXPECT_EQ(bytes[3], 0xFE);
  EXPECT_EQ(bytes[4], 0xFF);
  EXPECT_EQ(bytes[5], 0x34);
  EXPECT_EQ(bytes[7], 4);
  EXPECT_EQ(bytes[8], 3);
  const size_t node10 = 9 + 10 * 4;  // rows are 10 nodes apart
  EXPECT_EQ(bytes[node10], 0xE0);    // -20000 = 0xB1E0
  EXPECT_EQ(bytes[node10 + 1], 0xB1);
  EXPECT_EQ(bytes[node10 + 2], 0x02);
  EXPECT_EQ(bytes[node10 + 3], 0x01);
  EXPECT_EQ(bytes[9 + 99 * 4 + 1], 0x7F);
  EXPECT_EQ(bytes[9 + 99 * 4 + 2], 0xFF);
  EXPECT_EQ(bytes[409], 0xD0);  // devMin.x -30000 = 0x8AD0
  EXPECT_EQ(bytes[410], 0x8A);
  EXPECT_EQ(bytes[416], 0x4E);  // devMax.y high byte
  EXPECT_EQ(bytes[417], 1);
  EXPECT_EQ(bytes[418], 2);
  const size_t hi11 = 419 + (1 * 5 + 1) * 4;  // rows are 5 nodes apart
  EXPECT_EQ(bytes[hi11], 0x76);  // 63350 = 0xF776
  EXPECT_EQ(bytes[hi11 + 1], 0xF7);
  EXPECT_EQ(bytes[518], 0x0C);

  SensorCalBlock back;
  ASSERT_TRUE(UnpackSensorCalBlock(bytes, &back));
  EXPECT_EQ(back, b);
}

TEST(SensorCalBlock, HexRoundTripAndRefusals) {
  SensorCalBlock b = MakeDefaultCalBlock(CalDefaults{4, 1, {-30000, 2000}, {30000, 30000}, {2185, 2185, 2185, 2185}});
  std::string hex = SensorCalBlockToHex(b);
  ASSERT_EQ(hex.size(), 1038u);
  SensorCalBlock back;
  ASSERT_TRUE(SensorCalBlockFromHex(hex, &back));
  EXPECT_EQ(back, b);
  for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_TRUE(SensorCalBlockFromHex(hex, &back));
  EXPECT_EQ(back, b);

  SensorCalBlock untouched;
  untouched.angle.deltaL = 5;
  SensorCalBlock probe = untouched;
  EXPECT_FALSE(SensorCalBlockFromHex(hex.substr(2), &probe));
  EXPECT_FALSE(SensorCalBlockFromHex(hex + "00", &probe));
  std::string bad = hex;
  bad[100] = 'g';
  EXPECT_FALSE(SensorCalBlockFromHex(bad, &probe));
  EXPECT_EQ(probe, untouched);
  std::vector<uint8_t> shortBuffer(kSensorCalBlockBytes - 1);
  EXPECT_FALSE(UnpackSensorCalBlock(shortBuffer, &probe));
  EXPECT_EQ(probe, untouched);
}

TEST(DefaultTables, EvenPreciseTableBetweenTheCornersAndTheScreenGrid) {
  SensorCalBlock b = MakeDefaultCalBlock(CalDefaults{4, 1, {-30000, 2000}, {30000, 26000}, {2185, 2185, 2185, 2185}});
  EXPECT_EQ(b.precise.nx1, 4);
  EXPECT_EQ(b.precise.ny1, 4);
  EXPECT_EQ(b.precise.At(0, 0), (DevPoint{-30000, 2000}));
  EXPECT_EQ(b.precise.At(1, 1), (DevPoint{-15000, 8000}));
  EXPECT_EQ(b.precise.At(4, 4), (DevPoint{30000, 26000}));
  EXPECT_EQ(b.basic.devMin, (DevPoint{-30000, 2000}));
  EXPECT_EQ(b.basic.devMax, (DevPoint{30000, 26000}));
  EXPECT_EQ(b.basic.nx2, 1);
  EXPECT_EQ(static_cast<uint16_t>(b.basic.At(0, 0).x), 2185);
  EXPECT_EQ(static_cast<uint16_t>(b.basic.At(1, 1).x), 63350);  // 2185 + (65535 - 4370)
  EXPECT_EQ(static_cast<uint16_t>(b.basic.At(1, 0).y), 63350);
  EXPECT_EQ(b.angle, CalAngleParam{});
}

TEST(DefaultTables, DivisionTruncatesAndBadSizesBecomeOne) {
  // 26000 / 3 = 8666.67 truncates toward zero.
  SensorCalBlock b = MakeDefaultCalBlock(CalDefaults{3, 2, {-13000, 2800}, {13000, 21000}, {2621, 2621, 2621, 2621}});
  EXPECT_EQ(b.precise.At(0, 1).x, -13000 + 8666);
  EXPECT_EQ(b.precise.At(1, 0).y, 2800 + 6066);
  EXPECT_EQ(static_cast<uint16_t>(b.basic.At(0, 1).x), 2621 + (65535 - 5242) / 2);
  for (int size : {0, 10, -1}) {
    SensorCalBlock d = MakeDefaultCalBlock(CalDefaults{size, size == 10 ? 5 : size, {0, 0}, {900, 900}, {0, 0, 0, 0}});
    EXPECT_EQ(d.precise.nx1, 1) << size;
    EXPECT_EQ(d.basic.nx2, 1) << size;
    EXPECT_EQ(d.precise.At(1, 1), (DevPoint{900, 900}));
  }
}

}  // namespace
}  // namespace kv
