// Connect end to end against the real service and driver stand-in: Set device path, the
// 10 ms pause, Open. Each request waits the service's 10 ms after it accepts the client,
// so 30 ms is the floor; what lies above it is the link's own cost.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bench/Percentile.h"
#include "platform/Clock.h"
#include "tabrix/app/RivelleApp.h"
#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/SimSystem.h"

namespace {

using kv::bench::P99;

using namespace kv;

class CBenchScreen final : public ScreenSizeSource {
 public:
  void PrimaryScreenSize(uint32_t* w, uint32_t* h) override {
    *w = 1920;
    *h = 1080;
  }
};

struct System {
  test::CTempPrefix m_prefix;
  test::CSimSystem m_sim{m_prefix};
  CSystemClock m_clock;
  CPipeClientTransport m_pipes{m_prefix.Paths()};
  CBenchScreen m_screen;
  CRivelleApp m_app{m_prefix.Paths(), m_clock, m_pipes, m_screen, 16};
  bool m_bReady = false;

  System() {
    m_bReady = m_sim.StartDriver() && m_sim.StartService();
    m_app.OpenSharedTables(true);
  }
};

System& TheSystem() {
  static System system;
  return system;
}

void BM_QuickConnect(benchmark::State& state) {
  System& system = TheSystem();
  if (!system.m_bReady) {
    state.SkipWithError("pansvc or kvtpd-sim did not start");
    return;
  }
  for (auto _ : state) {
    if (!DriverLink::QuickConnect(system.m_app.LinkContext())) {
      state.SkipWithError("connect failed");
      break;
    }
  }
}
BENCHMARK(BM_QuickConnect)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(40)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p99", P99);

// One request alone (Open): one service pause plus the exchange.
void BM_Open(benchmark::State& state) {
  System& system = TheSystem();
  if (!system.m_bReady) {
    state.SkipWithError("pansvc or kvtpd-sim did not start");
    return;
  }
  for (auto _ : state) {
    DriverLink link(system.m_app.LinkContext());
    if (!link.Open()) {
      state.SkipWithError("open failed");
      break;
    }
  }
}
BENCHMARK(BM_Open)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(40)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p99", P99);

// Reference: what one 10 ms sleep costs on this machine right now. Connect holds three of
// them (the service's two and its own pause), so its cost above 3 x this is the link's,
// the service's and the stand-in's work together.
void BM_Sleep10ms(benchmark::State& state) {
  CSystemClock clock;
  for (auto _ : state) clock.Sleep(10);
}
BENCHMARK(BM_Sleep10ms)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(40)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p99", P99);

}  // namespace
