// From a touch report leaving sensor-sim to the calibration screen's tracker holding it:
// sensor-sim sends the input report, the simulated HID bus carries it, the device's input
// thread takes it, the device's Poll posts it and the screen's tracker stores it. Polled
// every 10 ms as the sensor window's timer does, and polled without pause, which leaves
// the pipeline alone. The input thread's 100 ms read time-out never comes into it: a read
// returns as soon as a report is there.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <thread>

#include "optrim/device/BroadCaster.h"
#include "optrim/device/MQADevKv.h"
#include "optrim/ui/CalScreen.h"
#include "optrim/ui/TouchDevLink.h"
#include "platform/posix/SimHidBus.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/TempPrefix.h"

namespace {

using namespace kv;
using SteadyClock = std::chrono::steady_clock;

class CNullView : public CalScreenView, public MessageBoxHost {
 public:
  void Changed() override {}
  void PostToScreen(uint32_t, int) override {}
  bool TakeKey(ScreenKey) override { return false; }
  void CloseWindow() override {}
  MsgAnswer Show(const std::string&, const std::string&, MsgIcon, MsgButtons) override {
    return MSG_ANSWER_NO;
  }
};

double Percentile(std::vector<double> v, double q) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
}

void TouchToTracker(benchmark::State& state, bool pollEvery10ms) {
  test::CTempPrefix prefix;
  setenv("KV_HID", "sim", 1);
  test::CChildProcess sim;
  test::CControlChannel ctl;
  const std::string ctlPath = prefix.Paths().HidDir() + "/sensor.ctl";
  if (!sim.Start("sensor-sim", {"--model", "MQA-KV"}) || !test::WaitForPath(ctlPath, 10000) ||
      !ctl.Connect(ctlPath)) {
    state.SkipWithError("sensor-sim did not start");
    return;
  }
  CSimHidBus bus(prefix.Paths());
  CSystemClock clock;
  CBroadCaster broadcaster;
  CMQADevKv device(bus, clock, &broadcaster);
  if (device.Connect() != CONNECT_OK) {
    state.SkipWithError("no sensor");
    return;
  }
  const CStringTable strings = CStringTable::BuiltIn("optrim");
  CTouchDevLink link(device);
  CNullView view;
  CCalScreen screen({true, 0, 1920, 1080}, link, view, view, clock, strings, &broadcaster);
  device.SetMode(5);
  device.StartInputThread();
  screen.Open();
  std::vector<double> latencies;
  int i = 0;
  for (auto _ : state) {
    // Every 100 samples a jump ends the hold (long before auto-confirm could take it).
    if (++i % 100 == 0) {
      ctl("touch 9000 9000 10 10");
      for (auto t = SteadyClock::now(); SteadyClock::now() - t < std::chrono::milliseconds(30);)
        device.Poll();
    }
    const size_t before = screen.Tracker().Waiting() ? 0 : screen.Tracker().Count();
    const auto start = SteadyClock::now();
    ctl("touch " + std::to_string(5000 + (i % 2) * 10) + " 5000 10 10");
    while ((screen.Tracker().Waiting() ? 0 : screen.Tracker().Count()) == before) {
      device.Poll();
      if (pollEvery10ms) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (SteadyClock::now() - start > std::chrono::seconds(2)) {
        state.SkipWithError("the touch never reached the tracker");
        return;
      }
    }
    const double us = std::chrono::duration<double, std::micro>(SteadyClock::now() - start).count();
    latencies.push_back(us);
    state.SetIterationTime(us / 1e6);
  }
  state.counters["median_us"] = Percentile(latencies, 0.5);
  state.counters["p99_us"] = Percentile(latencies, 0.99);
  device.StopInputThread();
}

void BM_TouchToTrackerPolledEvery10ms(benchmark::State& state) { TouchToTracker(state, true); }
void BM_TouchToTrackerPolledWithoutPause(benchmark::State& state) { TouchToTracker(state, false); }
BENCHMARK(BM_TouchToTrackerPolledEvery10ms)->UseManualTime()->Iterations(400)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TouchToTrackerPolledWithoutPause)->UseManualTime()->Iterations(400)->Unit(benchmark::kMicrosecond);

}  // namespace
