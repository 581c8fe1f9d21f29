// The test display's refresh pass, everything it gathers every 100 ms (settings from the
// real SQLite hives, the mouse parameters, the pen state, the computer name and the cached
// addresses), per pass: median and 99th percentile. And the whole window with its timer
// running for 10 s on the offscreen platform: the share of a core the program then uses.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "platform/Paths.h"
#include "platform/posix/FileSystemParameters.h"
#include "platform/posix/PosixHostNames.h"
#include "platform/posix/SqliteRegistry.h"
#include "resources/StringTable.h"
#include "tabrix/ui/StatusDispDlg.h"
#include "tabrix/ui/qt/StatusDispWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

class CFixedPointer final : public kv::PointerSource {
 public:
  kv::PointerSample Sample() override { return {640, 480, false, false, false}; }
};

class CQuietHost final : public kv::ScreenHost {
 public:
  bool DriverOn() const override { return true; }
  bool Busy() const override { return false; }
  void SetBusy(bool) override {}
  void SetTestDisplayRequested(bool) override {}
  uint32_t PenButton() const override { return 0x0101; }
  void SetPenButton(uint32_t) override {}
  bool PenLinkButton2Held() const override { return false; }
  bool CommandTextSet() const override { return true; }
  void SetCommandText(bool) override {}
  void UpdateIcon() override {}
};

class CModelActions final : public kv::StatusDispActions {
 public:
  CModelActions() { m_model.m_uModelType = kv::MODEL_TYPE_DRIVER; }
  const kv::ModelEntry* CurrentModel() override { return &m_model; }
  std::string PanelProductText() override { return "VT-R700A"; }
  std::string DriverVersionText() override { return "7.1.0.3"; }
  void RefreshDriverInfo() override {}
  bool PanelConnected() override { return true; }
  bool SendInputAndTouchMode(uint32_t) override { return true; }
  bool SetInputEnable(uint32_t) override { return true; }
  bool ApplyCalibration(const kv::CalibrationValues&) override { return true; }
  kv::ModelEntry m_model;
};

class CNoView final : public kv::StatusDispView {
 public:
  void StartTimer(uint32_t, uint32_t) override {}
  void StopTimer(uint32_t) override {}
  void RunServiceMode(bool) override {}
  void HideWindow() override {}
};

// What the display reads, under a scratch prefix with stored settings.
struct Rig {
  explicit Rig(const std::string& dir)
      : paths(kv::CPaths::UnderPrefix(dir)), registry(paths), parameters(paths),
        settings(registry, parameters) {
    settings.SetInputMode(0x21);
    settings.SetRotationAngle(90);
  }
  kv::StatusDispContext Context() {
    return {settings, parameters, pen,     clock,  pointer, cache, strings,
            boxes,    "Corvane",  host,    actions, 0};
  }
  kv::CPaths paths;
  kv::CSqliteRegistry registry;
  kv::CFileSystemParameters parameters;
  kv::SettingsStore settings;
  kv::CPenInputState pen;
  kv::CSystemClock clock;
  CFixedPointer pointer;
  kv::CHostAddressCache cache{std::make_shared<kv::CPosixHostNames>(), clock};
  kv::CStringTable strings = kv::CStringTable::BuiltIn("tabrix");
  class : public kv::MessageBoxes {
    int Show(const std::string&, const std::string&, uint32_t) override { return kv::MBR_OK; }
  } boxes;
  CQuietHost host;
  CModelActions actions;
};

std::string ScratchDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "kvbench-XXXXXX").string();
  return mkdtemp(tmpl.data()) ? tmpl : std::string();
}

void BM_TestDisplayRefreshPass(benchmark::State& state) {
  const std::string dir = ScratchDir();
  if (dir.empty()) return state.SkipWithError("mkdtemp failed");
  {
    Rig rig(dir);
    CNoView view;
    kv::CStatusDispDlg dlg(rig.Context(), view);
    dlg.OnInitDialog();
    std::vector<double> us;
    us.reserve(1 << 16);
    for (auto _ : state) {
      const auto start = Clock::now();
      dlg.Refresh();
      us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
      benchmark::DoNotOptimize(dlg.Fields());
    }
    std::sort(us.begin(), us.end());
    state.counters["median_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_TestDisplayOpenTenSeconds(benchmark::State& state) {
  const std::string dir = ScratchDir();
  if (dir.empty()) return state.SkipWithError("mkdtemp failed");
  {
    Rig rig(dir);
    static int argc = 1;
    static char name[] = "bench_screens";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (auto _ : state) {
      kv::CStatusDispWindow window(rig.Context(), {});
      window.show();
      const double cpu = CpuSeconds();
      const auto start = Clock::now();
      QTimer::singleShot(10000, &app, &QApplication::quit);
      app.exec();
      const double wall = std::chrono::duration<double>(Clock::now() - start).count();
      state.counters["cpu_percent"] = 100.0 * (CpuSeconds() - cpu) / wall;
    }
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

}  // namespace

BENCHMARK(BM_TestDisplayRefreshPass)->MinTime(2.0);
BENCHMARK(BM_TestDisplayOpenTenSeconds)->Iterations(1)->Unit(benchmark::kSecond);
