// GetCheckSum round trip against panel-sim as a real process on the simulated HID bus:
// park the worker, post, the write, the panel's answer, the completion. The link runs with
// its shipped waits.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/Percentile.h"
#include "platform/posix/SimHidBus.h"
#include "tabrix/driverlink/ModelTable.h"
#include "tabrix/firmware/TPdrvServiceMode.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/PanelSimHarness.h"

namespace {

using kv::bench::P99;

using namespace kv;

struct Panel {
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_bus{m_paths};
  CModelTable m_models;
  test::CPanelSim m_sim;
  std::unique_ptr<CTPdrvServiceMode> m_link;
  std::string m_sError;

  Panel() {
    if (!m_sim.Start(m_paths, {"--model", "VT-R700A"}, &m_sError)) return;
    m_link = std::make_unique<CTPdrvServiceMode>(m_bus, m_models, nullptr, nullptr, nullptr);
    // The first call opens the port; the benchmark measures the calls after it.
    if (!m_link->StartWorker() || !m_link->GetCheckSum(nullptr, nullptr, nullptr)) {
      m_sError = "the link does not reach the panel";
      m_link.reset();
    }
  }
};

Panel& ThePanel() {
  static Panel panel;
  return panel;
}

void BM_GetCheckSum(benchmark::State& state) {
  Panel& panel = ThePanel();
  if (!panel.m_link) {
    state.SkipWithError(panel.m_sError.c_str());
    return;
  }
  for (auto _ : state) {
    uint32_t sum = 0, flag = 0, version = 0;
    if (!panel.m_link->GetCheckSum(&sum, &flag, &version)) {
      state.SkipWithError("GetCheckSum failed");
      break;
    }
  }
}
BENCHMARK(BM_GetCheckSum)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(60)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p99", P99);

}  // namespace
