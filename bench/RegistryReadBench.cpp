// What a settings read costs: (c) a REG_DWORD read through CSqliteRegistry against (d) the
// floor, a raw keyed SQLite read through a prepared statement on an equivalent table.
// The registry should stay within twice the floor. Each benchmark reports per-call
// latency counters (p50_ns, p99_ns) besides the repetition median and p99.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/Percentile.h"
#include "platform/Paths.h"
#include "platform/posix/SqliteRegistry.h"

namespace {

using kv::bench::P99;

constexpr int kValues = 64;
const char* const kModelKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";

// A scratch prefix for the benchmark's databases, removed when the program ends.
class CScratch {
 public:
  CScratch() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kvbench-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data())) m_sDir = buf.data();
  }
  ~CScratch() {
    std::error_code ec;
    if (!m_sDir.empty()) std::filesystem::remove_all(m_sDir, ec);
  }
  const std::string& Dir() const { return m_sDir; }

 private:
  std::string m_sDir;
};

const CScratch& Scratch() {
  static CScratch scratch;
  return scratch;
}

std::vector<std::string> ValueNames() {
  std::vector<std::string> names;
  for (int i = 0; i < kValues; ++i) names.push_back("Value" + std::to_string(i));
  return names;
}

// Times every hundredth call on its own, so that the clock's cost stays out of the
// throughput figure but the tail is still seen.
class CLatency {
 public:
  template <typename F>
  void Run(benchmark::State& state, F&& call) {
    size_t n = 0;
    for (auto _ : state) {
      if (++n % 100 == 0) {
        auto start = std::chrono::steady_clock::now();
        call(n);
        auto end = std::chrono::steady_clock::now();
        m_samples.push_back(std::chrono::duration<double, std::nano>(end - start).count());
      } else {
        call(n);
      }
    }
    if (m_samples.empty()) return;
    std::sort(m_samples.begin(), m_samples.end());
    state.counters["p50_ns"] = m_samples[m_samples.size() / 2];
    state.counters["p99_ns"] = m_samples[(m_samples.size() - 1) * 99 / 100];
  }

 private:
  std::vector<double> m_samples;
};

void BM_RegistryQueryDword(benchmark::State& state) {
  kv::CPaths paths = kv::CPaths::UnderPrefix(Scratch().Dir() + "/registry");
  kv::CSqliteRegistry reg(paths);
  std::vector<std::string> names = ValueNames();
  for (int i = 0; i < kValues; ++i) {
    if (reg.SetDword(kv::RegistryHive::CURRENT_USER, kModelKey, names[i], i) != 0) {
      state.SkipWithError("cannot write the registry");
      return;
    }
  }
  uint32_t failures = 0;
  CLatency latency;
  latency.Run(state, [&](size_t n) {
    uint32_t value = 0;
    failures += reg.QueryDword(kv::RegistryHive::CURRENT_USER, kModelKey, names[n % kValues],
                               &value) != 0;
    benchmark::DoNotOptimize(value);
  });
  if (failures) state.SkipWithError("registry reads failed");
}

void BM_SqliteKeyedRead(benchmark::State& state) {
  std::string dir = Scratch().Dir() + "/raw";
  std::filesystem::create_directories(dir);
  sqlite3* db = nullptr;
  if (sqlite3_open((dir + "/raw.db").c_str(), &db) != SQLITE_OK) {
    state.SkipWithError("cannot open the database");
    return;
  }
  sqlite3_exec(db,
               "PRAGMA journal_mode = WAL;"
               "CREATE TABLE IF NOT EXISTS kv(path TEXT NOT NULL COLLATE NOCASE,"
               " name TEXT NOT NULL COLLATE NOCASE, value INTEGER,"
               " PRIMARY KEY(path, name)) WITHOUT ROWID;",
               nullptr, nullptr, nullptr);
  std::vector<std::string> names = ValueNames();
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO kv VALUES(?1, ?2, ?3)", -1, &insert, nullptr);
  for (int i = 0; i < kValues; ++i) {
    sqlite3_bind_text(insert, 1, kModelKey, -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 2, names[i].c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(insert, 3, i);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT value FROM kv WHERE path = ?1 AND name = ?2", -1, &select,
                     nullptr);
  uint32_t failures = 0;
  CLatency latency;
  latency.Run(state, [&](size_t n) {
    const std::string& name = names[n % kValues];
    sqlite3_bind_text(select, 1, kModelKey, -1, SQLITE_STATIC);
    sqlite3_bind_text(select, 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    uint32_t value = 0;
    if (sqlite3_step(select) == SQLITE_ROW) {
      value = static_cast<uint32_t>(sqlite3_column_int64(select, 0));
    } else {
      ++failures;
    }
    sqlite3_reset(select);
    benchmark::DoNotOptimize(value);
  });
  sqlite3_finalize(select);
  sqlite3_close(db);
  if (failures) state.SkipWithError("raw reads failed");
}

BENCHMARK(BM_RegistryQueryDword)
    ->Repetitions(9)
    ->ComputeStatistics("p99", P99)
    ->DisplayAggregatesOnly(true);
BENCHMARK(BM_SqliteKeyedRead)
    ->Repetitions(9)
    ->ComputeStatistics("p99", P99)
    ->DisplayAggregatesOnly(true);

}  // namespace
