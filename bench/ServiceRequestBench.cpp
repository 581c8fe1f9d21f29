// One control-pipe request through the real service to the driver stand-in, against a bare
// connect-write-read-close round trip on our own pipe with an echo server in this process.
// The service sleeps 10 ms after each accept, so request minus bare minus 10 ms is its own
// overhead.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <thread>
#include <vector>

#include "bench/Percentile.h"
#include "common/CommandCodes.h"
#include "common/PipeNames.h"
#include "common/PipeRequest.h"
#include "platform/PipeClient.h"
#include "platform/PipeServer.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/SimSystem.h"

namespace {

using kv::bench::P99;

using namespace kv;

struct System {
  test::CTempPrefix m_prefix;
  test::CSimSystem m_sim{m_prefix};
  bool m_bReady = false;

  System() {
    m_bReady = m_sim.StartDriver() && m_sim.StartService() && SetDevicePath();
  }

  bool SetDevicePath() {
    std::array<uint8_t, 260> path{};
    const char name[] = "\\\\.\\kvtpd700";
    std::copy(name, name + sizeof name - 1, path.begin());
    std::vector<uint8_t> message;
    return PipeRequest::Build(COMMAND_SET_DEVICE_PATH, path, 260, &message) &&
           Transact(CONTROL_PIPE_NAME, &message);
  }

  bool Transact(const char* pipe, std::vector<uint8_t>* message) {
    CPipeClient client(m_prefix.Paths(), pipe);
    if (client.Open() != 0) return false;
    size_t written = 0, read = 0;
    bool ok = client.Write(message->data(), message->size(), &written) == 0 &&
              written == message->size() &&
              client.Read(message->data(), message->size(), &read, 5000) == 0 &&
              read == message->size();
    client.Close();
    return ok;
  }
};

System& TheSystem() {
  static System system;
  return system;
}

void BM_ServiceGetDriverInfo(benchmark::State& state) {
  System& system = TheSystem();
  if (!system.m_bReady) {
    state.SkipWithError("pansvc or kvtpd-sim did not start");
    return;
  }
  std::array<uint8_t, 24> zeros{};
  for (auto _ : state) {
    std::vector<uint8_t> message;
    PipeRequest::Build(COMMAND_GET_DRIVER_INFO, zeros, 24, &message);
    uint32_t status = 1;
    if (!system.Transact(CONTROL_PIPE_NAME, &message) ||
        !PipeRequest(message).Status(&status) || status != 0) {
      state.SkipWithError("request failed");
      break;
    }
  }
}
BENCHMARK(BM_ServiceGetDriverInfo)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(40)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p99", P99);

void BM_BareConnectPerRequest(benchmark::State& state) {
  test::CTempPrefix prefix;
  CPipeServer server(prefix.Paths(), "bench-echo");
  if (server.Create() != 0) {
    state.SkipWithError("pipe server not created");
    return;
  }
  std::thread echo([&server] {
    std::vector<uint8_t> buffer(1024);
    PeerCredentials peer;
    while (server.Connect(&peer) == 0) {
      size_t read = 0;
      if (server.Read(buffer.data(), buffer.size(), &read, 1000) == 0 && read > 0)
        server.Write(buffer.data(), read);
      server.Disconnect();
    }
  });
  std::array<uint8_t, 24> zeros{};
  std::vector<uint8_t> message;
  PipeRequest::Build(COMMAND_GET_DRIVER_INFO, zeros, 24, &message);
  for (auto _ : state) {
    CPipeClient client(prefix.Paths(), "bench-echo");
    size_t written = 0, read = 0;
    if (client.Open() != 0 || client.Write(message.data(), message.size(), &written) != 0 ||
        client.Read(message.data(), message.size(), &read, 5000) != 0) {
      state.SkipWithError("round trip failed");
      break;
    }
    client.Close();
  }
  server.Stop();
  echo.join();
}
BENCHMARK(BM_BareConnectPerRequest)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(40)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p99", P99);

}  // namespace
