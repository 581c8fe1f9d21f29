// What one driver request costs on the pipe: a full connect-write-read-close transaction
// through CPipeClient/CPipeServer, against the floor of a bare SOCK_SEQPACKET ping-pong on
// an already connected socket pair. Both echo from a second thread, as the service does.
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/Percentile.h"
#include "platform/Paths.h"
#include "platform/PipeClient.h"
#include "platform/PipeServer.h"

namespace {

using kv::bench::P99;

// A request of the size the driver link sends most: 16 header + 24 in + 8 out descriptor +
// 24 out + 8 trailing bytes.
constexpr size_t MESSAGE_SIZE = 80;

void BM_SocketPairPingPong(benchmark::State& state) {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) {
    state.SkipWithError("socketpair failed");
    return;
  }
  std::thread echo([fd = fds[1]] {
    uint8_t buf[1024];
    for (;;) {
      ssize_t n = recv(fd, buf, sizeof buf, 0);
      if (n <= 0 || send(fd, buf, static_cast<size_t>(n), MSG_NOSIGNAL) != n) return;
    }
  });
  std::vector<uint8_t> msg(MESSAGE_SIZE, 0x5A);
  for (auto _ : state) {
    if (send(fds[0], msg.data(), msg.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(msg.size()) ||
        recv(fds[0], msg.data(), msg.size(), 0) != static_cast<ssize_t>(msg.size())) {
      state.SkipWithError("ping-pong failed");
      break;
    }
  }
  shutdown(fds[0], SHUT_RDWR);
  echo.join();
  close(fds[0]);
  close(fds[1]);
}

void BM_PipeTransaction(benchmark::State& state) {
  std::string tmpl = (std::filesystem::temp_directory_path() / "kvbench-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) {
    state.SkipWithError("mkdtemp failed");
    return;
  }
  const kv::CPaths paths = kv::CPaths::UnderPrefix(tmpl);
  const char* const name = "\\\\.\\pipe\\{kv-bench}";
  {
    kv::CPipeServer server(paths, name);
    if (server.Create() != 0) {
      state.SkipWithError("pipe server could not be created");
      std::filesystem::remove_all(tmpl);
      return;
    }
    std::thread serve([&server] {
      std::vector<uint8_t> buf(1024);
      while (server.Connect(nullptr) == 0) {
        size_t n = 0;
        if (server.Read(buf.data(), buf.size(), &n, -1) != 0) break;
        if (n > 0) server.Write(buf.data(), n);
        server.Disconnect();
      }
    });
    std::vector<uint8_t> msg(MESSAGE_SIZE, 0x5A);
    kv::CPipeClient client(paths, name);
    for (auto _ : state) {
      size_t n = 0;
      if (client.Open() != 0 || client.Write(msg.data(), msg.size(), &n) != 0 ||
          client.Read(msg.data(), msg.size(), &n, -1) != 0 || n != msg.size()) {
        state.SkipWithError("transaction failed");
        break;
      }
      client.Close();
    }
    client.Close();
    server.Stop();
    serve.join();
  }
  std::filesystem::remove_all(tmpl);
}

BENCHMARK(BM_SocketPairPingPong)
    ->Repetitions(25)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p99", P99)
    ->UseRealTime();
BENCHMARK(BM_PipeTransaction)
    ->Repetitions(25)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p99", P99)
    ->UseRealTime();

}  // namespace
