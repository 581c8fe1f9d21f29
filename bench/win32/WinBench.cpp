// The pipe round trip and registry read benchmarks for Windows (run under Wine here), each
// beside its bare baseline in the same run: a full connect-write-read-close transaction
// through CPipeClient/CPipeServer against a ping-pong on an already connected named pipe,
// and CWin32Registry::QueryDword against RegQueryValueExA on an open key. Wine is not
// Windows: the ratios are the result, not the times.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/Paths.h"
#include "platform/PipeClient.h"
#include "platform/PipeServer.h"
#include "platform/win32/Win32Registry.h"

namespace {

using Clock = std::chrono::steady_clock;

// The size the driver link sends most: 16 header + 24 in + 8 out descriptor + 24 out + 8.
constexpr size_t MESSAGE_SIZE = 80;

struct Figures {
  double m_dMedianUs = 0;
  double m_dP99Us = 0;
};

template <typename Op>
Figures Measure(int count, Op op) {
  std::vector<double> us;
  us.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    auto start = Clock::now();
    if (!op()) return {};
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::sort(us.begin(), us.end());
  return {us[us.size() / 2], us[std::min(us.size() - 1, us.size() * 99 / 100)]};
}

void Report(const char* what, Figures ours, Figures bare) {
  std::printf("%-28s median %8.1f us  p99 %8.1f us | bare median %7.1f us  p99 %7.1f us | ratio %.1f\n", what,
              ours.m_dMedianUs, ours.m_dP99Us, bare.m_dMedianUs, bare.m_dP99Us,
              bare.m_dMedianUs > 0 ? ours.m_dMedianUs / bare.m_dMedianUs : 0.0);
}

Figures PipeTransactions(const kv::CPaths& paths, int count) {
  const std::string name = "\\\\.\\pipe\\{kv-bench-pipe}";
  kv::CPipeServer server(paths, name);
  if (server.Create() != 0) return {};
  std::thread echo([&] {
    uint8_t buf[1024];
    while (server.Connect(nullptr) == 0) {
      size_t n = 0;
      if (server.Read(buf, sizeof buf, &n, 5000) == 0 && n > 0) server.Write(buf, n);
      server.Disconnect();
    }
  });
  std::vector<uint8_t> message(MESSAGE_SIZE, 0x5A);
  Figures f = Measure(count, [&] {
    kv::CPipeClient client(paths, name);
    if (client.WaitForServer(5000) != 0 || client.Open() != 0) return false;
    size_t n = 0;
    uint8_t answer[1024];
    return client.Write(message.data(), message.size(), &n) == 0 &&
           client.Read(answer, sizeof answer, &n, 5000) == 0 && n == message.size();
  });
  server.Stop();
  echo.join();
  return f;
}

Figures BarePipePingPong(int count) {
  const char* name = "\\\\.\\pipe\\{kv-bench-bare}";
  HANDLE server = CreateNamedPipeA(name, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 0, 0,
                                   0, nullptr);
  if (server == INVALID_HANDLE_VALUE) return {};
  HANDLE client = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (client == INVALID_HANDLE_VALUE) return {};
  std::thread echo([server] {
    uint8_t buf[1024];
    DWORD n = 0, written = 0;
    while (ReadFile(server, buf, sizeof buf, &n, nullptr) && n > 0 && WriteFile(server, buf, n, &written, nullptr)) {
    }
  });
  std::vector<uint8_t> message(MESSAGE_SIZE, 0x5A);
  Figures f = Measure(count, [&] {
    DWORD n = 0;
    uint8_t answer[1024];
    return WriteFile(client, message.data(), static_cast<DWORD>(message.size()), &n, nullptr) &&
           ReadFile(client, answer, sizeof answer, &n, nullptr) && n == message.size();
  });
  CloseHandle(client);
  echo.join();
  CloseHandle(server);
  return f;
}

void Registry(int count) {
  std::random_device seed;
  kv::CWin32Registry registry("kvbench-" + std::to_string(seed()));
  const auto hive = kv::RegistryHive::CURRENT_USER;
  registry.SetDword(hive, "Software\\Bench", "Value", 42);
  Figures ours = Measure(count, [&] {
    uint32_t v = 0;
    return registry.QueryDword(hive, "Software\\Bench", "Value", &v) == 0 && v == 42;
  });
  HKEY key = nullptr;
  const std::string path = "Software\\" + registry.Sandbox() + "\\HKCU\\Software\\Bench";
  Figures bare;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    bare = Measure(count, [&] {
      DWORD v = 0, size = sizeof v, type = 0;
      return RegQueryValueExA(key, "Value", nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) == ERROR_SUCCESS &&
             v == 42;
    });
    RegCloseKey(key);
  }
  registry.DeleteSandbox();
  Report("registry DWORD read", ours, bare);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
  kv::CPaths paths = kv::CPaths::FromEnvironment();
  Figures pipe = PipeTransactions(paths, count);
  Figures bare = BarePipePingPong(count);
  Report("pipe request transaction", pipe, bare);
  Registry(count * 10);
  return 0;
}
