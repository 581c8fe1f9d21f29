// Costs of the tray application's memory log and settings store: appending to the log
// against a plain copy of the same bytes, and one settings getter over real SQLite hives.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/Percentile.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/posix/SqliteRegistry.h"
#include "tabrix/driverlink/MemoryLog.h"
#include "tabrix/app/SettingsStore.h"

namespace {

using kv::bench::P99;

constexpr size_t kLogBytes = 4096 * 1024;  // the default "LogSize"
constexpr size_t kTextBytes = 64;

// 63 characters and the line feed callers end their texts with.
const std::string& Text() {
  static const std::string text = std::string(kTextBytes - 1, 'm') + "\n";
  return text;
}

void BM_Memcpy64(benchmark::State& state) {
  std::vector<char> buffer(kLogBytes + 1);
  const char* text = Text().c_str();
  // The length is known only at run time, as it is to the log.
  size_t length = Text().size();
  benchmark::DoNotOptimize(length);
  size_t pos = 0;
  for (auto _ : state) {
    if (pos + length > kLogBytes) pos = 0;
    std::memcpy(buffer.data() + pos, text, length);
    pos += length;
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextBytes));
}

void BM_MemoryLogAppend64(benchmark::State& state) {
  kv::CSystemClock clock;
  kv::CMemoryLog log(clock);
  log.Start(kLogBytes);
  const char* text = Text().c_str();
  for (auto _ : state) benchmark::DoNotOptimize(log.Append(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextBytes));
}

void BM_MemoryLogAppendWithTime64(benchmark::State& state) {
  kv::CSystemClock clock;
  kv::CMemoryLog log(clock);
  log.Start(kLogBytes);
  const char* text = Text().c_str();
  for (auto _ : state) benchmark::DoNotOptimize(log.AppendWithTime(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTextBytes));
}

class CNoParameters final : public kv::SystemParameters {
 public:
  uint32_t Get(kv::SystemParameter, uint32_t* value) override {
    *value = 0;
    return 0;
  }
  uint32_t Set(kv::SystemParameter, uint32_t, uint32_t) override { return 0; }
};

// The value sits in the machine hive only, so the getter looks in both hives.
void BM_SettingsGetterTwoHives(benchmark::State& state) {
  std::string tmpl = (std::filesystem::temp_directory_path() / "kvbench-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) {
    state.SkipWithError("mkdtemp failed");
    return;
  }
  {
    kv::CSqliteRegistry registry(kv::CPaths::UnderPrefix(tmpl));
    CNoParameters parameters;
    kv::SettingsStore store(registry, parameters);
    store.SetInstallerMode(true);  // machine hive only
    store.SetPenButon(1);
    registry.CreateKey(kv::RegistryHive::CURRENT_USER, store.ModelKey());
    for (auto _ : state) benchmark::DoNotOptimize(store.GetPenButon());
  }
  std::error_code ec;
  std::filesystem::remove_all(tmpl, ec);
}

}  // namespace

BENCHMARK(BM_Memcpy64)->Repetitions(10)->ComputeStatistics("p99", P99)->ReportAggregatesOnly(true);
BENCHMARK(BM_MemoryLogAppend64)->Repetitions(10)->ComputeStatistics("p99", P99)->ReportAggregatesOnly(true);
BENCHMARK(BM_MemoryLogAppendWithTime64)->Repetitions(10)->ComputeStatistics("p99", P99)->ReportAggregatesOnly(true);
BENCHMARK(BM_SettingsGetterTwoHives)->Repetitions(10)->ComputeStatistics("p99", P99)->ReportAggregatesOnly(true);
