// Start of the tray program to its icon in the tray, with the stand-ins and a running
// service, against a bare Qt program that only shows a tray icon, on the same X server in
// the same run; and the resident memory of both once idle.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/ChildProcess.h"
#include "tests/support/DesktopSession.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/SimSystem.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

long ResidentKiB(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  long value = 0;
  while (in >> key) {
    if (key == "VmRSS:" && in >> value) return value;
    std::getline(in, key);
  }
  return 0;
}

// Milliseconds from the start of `program` until its icon sits in the tray.
double TimeToTray(kv::test::CDesktopSession& desktop, const std::string& program, long* rssKiB) {
  kv::test::CChildProcess child;
  const auto start = Clock::now();
  if (!child.Start(program)) return -1;
  while (desktop.TrayIcons().empty()) {
    if (Clock::now() - start > 60s) return -1;
    std::this_thread::sleep_for(1ms);
  }
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  std::this_thread::sleep_for(2s);  // idle: what it holds once settled
  *rssKiB = ResidentKiB(child.Pid());
  child.Stop();
  while (!desktop.TrayIcons().empty()) std::this_thread::sleep_for(5ms);
  return ms;
}

void BM_StartToTray(benchmark::State& state) {
  kv::test::CDesktopSession desktop;
  kv::test::CTempPrefix prefix;
  kv::test::CSimSystem sim(prefix);
  kv::test::CChildProcess panel;
  setenv("KV_HID", "sim", 1);
  if (!desktop.Ok() || !sim.StartWithPanel(&panel)) {
    state.SkipWithError("the desktop or the stand-ins did not come up");
    return;
  }
  const std::string bare = kv::test::CChildProcess::BinaryPath("bench_bare_tray");
  double tabrixMs = 0, bareMs = 0;
  long tabrixKiB = 0, bareKiB = 0;
  for (auto _ : state) {
    tabrixMs += TimeToTray(desktop, "tabrix", &tabrixKiB);
    bareMs += TimeToTray(desktop, bare, &bareKiB);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["tabrix_ms"] = tabrixMs / n;
  state.counters["bare_qt_ms"] = bareMs / n;
  state.counters["tabrix_rss_kib"] = static_cast<double>(tabrixKiB);
  state.counters["bare_qt_rss_kib"] = static_cast<double>(bareKiB);
  unsetenv("KV_HID");
}
BENCHMARK(BM_StartToTray)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
