// The calibration computation as the calibration screen runs it once the last mark is
// touched: the precise calibration of a 10 by 10 grid with the angle fit, and the basic
// calibration of a 5 by 5 grid on the resulting block. Both must stay far below what a
// user could notice (goal: under 1 ms each).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "optrim/calibration/SensorCalibration.h"

namespace {

using namespace kv;

constexpr CalMargins kMargins{2185, 2185, 2185, 2185};

// A 9 by 9 cell grid with a slight angle error and a wobble, as a real sensor shows it.
std::vector<DevPoint> PreciseGrid() {
  std::vector<DevPoint> g(100);
  for (int j = 0; j <= 9; ++j) {
    for (int i = 0; i <= 9; ++i) {
      const double x = -27000 + 6000 * i + 0.01 * (3000 + 2500 * j) + 40 * std::sin(i + j);
      const double y = 3000 + 2500 * j - 0.005 * (-27000 + 6000 * i) + 30 * std::cos(i * j);
      g[static_cast<size_t>(j * 10 + i)] = DevPoint{static_cast<int16_t>(std::lround(x)), static_cast<int16_t>(std::lround(y))};
    }
  }
  return g;
}

std::vector<DevPoint> BasicGrid() {
  std::vector<DevPoint> g(25);
  for (int j = 0; j <= 4; ++j) {
    for (int i = 0; i <= 4; ++i) {
      g[static_cast<size_t>(j * 5 + i)] = DevPoint{static_cast<int16_t>(-26000 + 13000 * i + 25 * ((i + j) % 3)),
                                                   static_cast<int16_t>(3500 + 5500 * j - 20 * (i % 2))};
    }
  }
  return g;
}

void Percentiles(benchmark::internal::Benchmark* b) {
  b->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
  b->ComputeStatistics("p99", [](const std::vector<double>& v) {
    std::vector<double> s = v;
    std::sort(s.begin(), s.end());
    return s[std::min(s.size() - 1, static_cast<size_t>(std::ceil(0.99 * static_cast<double>(s.size()))) - 1)];
  });
}

void BM_PreciseCalibration10x10WithAngleFit(benchmark::State& state) {
  const CStringTable strings = CStringTable::BuiltIn("optrim");
  const std::vector<DevPoint> grid = PreciseGrid();
  int code = 0;
  for (auto _ : state) {
    CSensorCalibration calc(strings);
    SensorCalBlock block;
    int errors = 0;
    std::vector<GridNode> list;
    std::string message;
    code = calc.PreciseCalibration(9, 9, 1, 1, 1, 32767, kMargins, kMargins, grid, &block, &errors, &list, &message);
    benchmark::DoNotOptimize(block);
  }
  if (code != CAL_OK) state.SkipWithError("the precise calibration failed");
}
BENCHMARK(BM_PreciseCalibration10x10WithAngleFit)->Apply(Percentiles);

void BM_BasicCalibration5x5(benchmark::State& state) {
  const CStringTable strings = CStringTable::BuiltIn("optrim");
  SensorCalBlock stored;
  {
    CSensorCalibration calc(strings);
    int errors = 0;
    std::vector<GridNode> list;
    std::string message;
    if (calc.PreciseCalibration(9, 9, 1, 1, 1, 32767, kMargins, kMargins, PreciseGrid(), &stored, &errors, &list,
                                &message) != CAL_OK) {
      state.SkipWithError("no stored block");
      return;
    }
  }
  const std::vector<DevPoint> grid = BasicGrid();
  int code = 0;
  for (auto _ : state) {
    CSensorCalibration calc(strings);
    SensorCalBlock block = stored;
    int errors = 0;
    std::vector<GridNode> list;
    std::string message;
    code = calc.BasicCalibration(4, 4, 32767, kMargins, grid, &block, &errors, &list, &message);
    benchmark::DoNotOptimize(block);
  }
  if (code != CAL_OK) state.SkipWithError("the basic calibration failed");
}
BENCHMARK(BM_BasicCalibration5x5)->Apply(Percentiles);

}  // namespace
