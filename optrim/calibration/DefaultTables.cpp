#include "optrim/calibration/DefaultTables.h"

#include <cstdint>

#include "optrim/calibration/GridChecks.h"

namespace kv {

SensorCalBlock MakeDefaultCalBlock(const CalDefaults& d) {
  const int n1 = (d.preciseSize < 1 || d.preciseSize > kMaxPreciseCells) ? 1 : d.preciseSize;
  const int n2 = (d.basicSize < 1 || d.basicSize > kMaxBasicCells) ? 1 : d.basicSize;
  SensorCalBlock block;
  block.precise.nx1 = static_cast<uint8_t>(n1);
  block.precise.ny1 = static_cast<uint8_t>(n1);
  const int32_t spanX = int32_t{d.devMax.x} - d.devMin.x;
  const int32_t spanY = int32_t{d.devMax.y} - d.devMin.y;
  for (int j = 0; j <= n1; ++j) {
    for (int i = 0; i <= n1; ++i) {
      // Each node lies between the two corners, so it fits the s16 field.
      block.precise.At(j, i) = DevPoint{static_cast<int16_t>(d.devMin.x + i * spanX / n1),
                                        static_cast<int16_t>(d.devMin.y + j * spanY / n1)};
    }
  }
  block.basic.devMin = d.devMin;
  block.basic.devMax = d.devMax;
  block.basic.nx2 = static_cast<uint8_t>(n2);
  block.basic.ny2 = static_cast<uint8_t>(n2);
  const CalcGrid screen = ScreenGrid(n2, n2, d.margins);
  for (int j = 0; j <= n2; ++j) {
    for (int i = 0; i <= n2; ++i) {
      block.basic.At(j, i) = DevPoint{static_cast<int16_t>(static_cast<uint16_t>(screen.At(j, i).x & 0xFFFF)),
                                      static_cast<int16_t>(static_cast<uint16_t>(screen.At(j, i).y & 0xFFFF))};
    }
  }
  return block;
}

}  // namespace kv
