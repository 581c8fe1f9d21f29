// From the pen's lift on a cross (the left-button release) to the next cross painted red:
// the touch asks the driver for its raw point through the service (link check and take,
// two requests), then the surface repaints. Measured in one program with the real service
// and driver stand-in, beside one bare request to the service, whose 10 ms settle per
// connection is the floor.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include <QApplication>

#include "bench/Percentile.h"
#include "tabrix/app/CalibrationSurface.h"
#include "tabrix/app/TrayCommands.h"
#include "tabrix/app/qt/CalibrationScreen.h"
#include "tabrix/driverlink/DriverLink.h"
#include "tests/tabrix/ProgramUnderTest.h"
#include "tests/tabrix/SimSystem.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void BM_TouchToNextCrossRed(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "bench";
  char* argv[] = {name};
  QApplication app(argc, argv);
  kv::test::CTempPrefix prefix;
  kv::test::CSimSystem sim(prefix);
  kv::test::CChildProcess panel;
  const std::string dir = prefix.Dir() + "/program";
  mkdir(dir.c_str(), 0755);
  setenv("KV_SERVICE_MANAGER", "1", 1);
  if (!sim.StartDriver() || !sim.StartService() || !panel.Start("panel-sim", {"--model", "VT-R700A"}) ||
      !kv::test::WaitForPath(prefix.Paths().HidDir() + "/panel.ctl", 10000)) {
    state.SkipWithError("the stand-ins did not come up");
    return;
  }
  unsetenv("KV_SERVICE_MANAGER");
  kv::test::ProgramUnderTest program(prefix, dir);
  if (!program.startup->InitInstance("")) {
    state.SkipWithError("start-up failed");
    return;
  }
  program.views.FireFirstAdd();
  kv::CCalibrationSurface& surface = program.window->Surface();
  kv::CCalibrationScreen screen(surface, "Tahoma", "bench");
  surface.SetView(&screen);
  program.views.m_selection.m_iKind = kv::SelectionResult::KIND_ADVANCED;
  program.views.m_bSelectionOk = true;
  program.window->Commands().OnCommand(57401);
  QApplication::processEvents();

  const kv::CCalibrationGeometry g = surface.Geometry();
  std::vector<double> touchMs, floorMs;
  for (auto _ : state) {
    for (int n = 0; n < 40; ++n) {
      const int target = surface.State();
      const kv::ScreenPoint c = g.Centre(target);
      sim.Control("touch " + std::to_string(c.x * 65535 / 1919) + " " + std::to_string(c.y * 65535 / 1079));
      const auto start = Clock::now();
      surface.OnLeftButtonUp();
      QApplication::processEvents();
      // The fourth touch asks (answered No: start over); only touches that turn the next
      // cross red count.
      if (target < 3) touchMs.push_back(MsSince(start));
      const auto bare = Clock::now();
      kv::DriverLink(program.shell->LinkContext()).Open();
      floorMs.push_back(MsSince(bare));
    }
  }
  state.counters["touch_median_ms"] = Median(touchMs);
  state.counters["touch_p99_ms"] = kv::bench::P99(touchMs);
  state.counters["one_request_median_ms"] = Median(floorMs);
  state.counters["touches"] = static_cast<double>(touchMs.size());
  surface.SetView(nullptr);
}
BENCHMARK(BM_TouchToNextCrossRed)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
