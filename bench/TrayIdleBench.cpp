// The tray program at rest with the driver on, against the bare Qt tray program on the
// same X server in the same run: CPU time and wake-ups (context switches of all threads)
// over 10 s, resident memory; then a click on the tray icon until its menu is on screen.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/Percentile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DesktopSession.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/SimSystem.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Usage {
  double m_dCpuMs = 0;
  long m_lSwitches = 0;
  long m_lRssKiB = 0;
};

long StatusField(const std::string& file, const std::string& key) {
  std::ifstream in(file);
  std::string word;
  while (in >> word) {
    long value = 0;
    if (word == key && in >> value) return value;
    std::getline(in, word);
  }
  return 0;
}

Usage UsageOf(pid_t pid) {
  Usage u;
  const std::string dir = "/proc/" + std::to_string(pid);
  std::ifstream stat(dir + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // Fields after the command name (which may hold blanks): utime is the 12th, stime the 13th.
  std::istringstream rest(text.substr(text.rfind(')') + 2));
  std::vector<std::string> f;
  for (std::string w; rest >> w;) f.push_back(w);
  if (f.size() > 12)
    u.m_dCpuMs = (std::stod(f[11]) + std::stod(f[12])) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
  if (DIR* tasks = opendir((dir + "/task").c_str())) {
    while (dirent* e = readdir(tasks)) {
      if (e->d_name[0] == '.') continue;
      const std::string status = dir + "/task/" + e->d_name + "/status";
      u.m_lSwitches += StatusField(status, "voluntary_ctxt_switches:") +
                       StatusField(status, "nonvoluntary_ctxt_switches:");
    }
    closedir(tasks);
  }
  u.m_lRssKiB = StatusField(dir + "/status", "VmRSS:");
  return u;
}

// CPU milliseconds and wake-ups over 10 s of rest, and the memory held then.
Usage IdleOver10s(pid_t pid) {
  std::this_thread::sleep_for(2s);
  const Usage before = UsageOf(pid);
  std::this_thread::sleep_for(10s);
  Usage after = UsageOf(pid);
  after.m_dCpuMs -= before.m_dCpuMs;
  after.m_lSwitches -= before.m_lSwitches;
  return after;
}

bool WaitTray(kv::test::CDesktopSession& desktop, bool icon) {
  const auto deadline = Clock::now() + 60s;
  while (desktop.TrayIcons().empty() == icon)
    if (Clock::now() > deadline) return false;
    else std::this_thread::sleep_for(5ms);
  return true;
}

void BM_TrayAtRestAndMenu(benchmark::State& state) {
  kv::test::CDesktopSession desktop;
  kv::test::CTempPrefix prefix;
  kv::test::CSimSystem sim(prefix);
  kv::test::CChildProcess panel, tabrix, bare;
  setenv("KV_HID", "sim", 1);
  setenv("KV_SERVICE_MANAGER", "1", 1);
  if (!desktop.Ok() || !sim.StartDriver() || !sim.StartService() ||
      !panel.Start("panel-sim", {"--model", "VT-R700A"}) ||
      !kv::test::WaitForPath(prefix.Paths().HidDir() + "/panel.ctl", 10000)) {
    state.SkipWithError("the desktop or the stand-ins did not come up");
    return;
  }
  unsetenv("KV_SERVICE_MANAGER");
  std::vector<double> menuMs;
  Usage rest, bareRest;
  for (auto _ : state) {
    if (!bare.Start(kv::test::CChildProcess::BinaryPath("bench_bare_tray")) || !WaitTray(desktop, true)) {
      state.SkipWithError("the bare tray program did not show its icon");
      return;
    }
    bareRest = IdleOver10s(bare.Pid());
    bare.Stop();
    WaitTray(desktop, false);
    if (!tabrix.Start("tabrix") || !WaitTray(desktop, true)) {
      state.SkipWithError("tabrix did not show its icon");
      return;
    }
    kv::DriverSettings s;
    for (auto deadline = Clock::now() + 30s; !(sim.ReadSettings(&s) && s.m_uInputEnable == 1);)
      if (Clock::now() > deadline) break;
      else std::this_thread::sleep_for(10ms);
    rest = IdleOver10s(tabrix.Pid());
    int x, y, w, h;
    const auto icons = desktop.TrayIcons();
    if (icons.empty() || !desktop.Geometry(icons[0], &x, &y, &w, &h)) break;
    for (int i = 0; i < 15; ++i) {
      const auto start = Clock::now();
      desktop.Click(x + w / 2, y + h / 2);
      unsigned long menu = 0;
      while (!(menu = desktop.WaitForPopup(100, 100, 0)) && Clock::now() - start < 10s)
        std::this_thread::sleep_for(1ms);
      menuMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      desktop.Key("Escape");
      while (desktop.WaitForPopup(100, 100, 0) && Clock::now() - start < 20s)
        std::this_thread::sleep_for(5ms);
    }
    tabrix.Stop();
  }
  std::sort(menuMs.begin(), menuMs.end());
  state.counters["tabrix_cpu_ms_10s"] = rest.m_dCpuMs;
  state.counters["tabrix_wakeups_10s"] = static_cast<double>(rest.m_lSwitches);
  state.counters["bare_cpu_ms_10s"] = bareRest.m_dCpuMs;
  state.counters["bare_wakeups_10s"] = static_cast<double>(bareRest.m_lSwitches);
  state.counters["firmware_passes_10s"] = 10000.0 / 40.0;  // the worker's 40 ms floor
  state.counters["tabrix_rss_kib"] = static_cast<double>(rest.m_lRssKiB);
  state.counters["bare_rss_kib"] = static_cast<double>(bareRest.m_lRssKiB);
  state.counters["menu_median_ms"] = menuMs.empty() ? -1 : menuMs[menuMs.size() / 2];
  state.counters["menu_p99_ms"] = kv::bench::P99(menuMs);
  unsetenv("KV_HID");
}
BENCHMARK(BM_TrayAtRestAndMenu)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
