#pragma once
// The calibration block a sensor model starts with, before the sensor's own tables are
// read: an evenly spaced precise table between the model's default corners and the basic
// table on the screen grid of the default margins.
#include "optrim/calibration/SensorCalBlock.h"

namespace kv {

// The per-model defaults the device layer carries with each model.
struct CalDefaults {
  int preciseSize = 4;  // columns and rows of the precise table
  int basicSize = 1;    // columns and rows of the basic table
  DevPoint devMin;
  DevPoint devMax;
  CalMargins margins;
};

// Sizes outside the tables' room (0, or above 9 precise / 4 basic) become 1. The angle
// part is left disabled with zero deltas.
SensorCalBlock MakeDefaultCalBlock(const CalDefaults& defaults);

}  // namespace kv
