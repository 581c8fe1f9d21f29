#pragma once
// A whole touch panel system for one test: kvtpd-sim and pansvc as real processes under a
// temporary KV_PREFIX, a pipe client and the stand-in's control channel.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/CommandCodes.h"
#include "common/PipeNames.h"
#include "service/RequestClient.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempPrefix.h"

namespace kv::test {

// Runs one of our programs to its end; standard output and error go to files.
inline int RunProgram(const std::string& name, const std::vector<std::string>& args,
                      const std::string& outFile = "/dev/null", const std::string& errFile = "/dev/null") {
  std::string path = CChildProcess::BinaryPath(name);
  pid_t pid = fork();
  if (pid == 0) {
    freopen(outFile.c_str(), "w", stdout);
    freopen(errFile.c_str(), "w", stderr);
    std::vector<std::string> all{path};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string ReadFile(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

class CSystemFixture : public ::testing::Test {
 protected:
  CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CChildProcess m_sim;
  CChildProcess m_service;

  std::string Device() const { return m_paths.DevicePath("kvtpd700"); }

  bool StartSim(const std::vector<std::string>& args = {}) {
    if (!m_sim.Start("kvtpd-sim", args)) return false;
    return WaitForPath(Device(), 5000) && WaitForPath(Device() + ".ctl", 5000);
  }
  bool Install() { return RunProgram("pansvc", {"-Install", "--unit-dir", m_prefix.Dir() + "/units"}) == 0; }
  // pansvc as an ordinary process (the service manager did not start it).
  bool StartService(int pipeTimeoutMs = 200) {
    setenv("KV_PANSVC_PIPE_TIMEOUT_MS", std::to_string(pipeTimeoutMs).c_str(), 1);
    bool ok = m_service.Start("pansvc");
    unsetenv("KV_PANSVC_PIPE_TIMEOUT_MS");
    return ok && WaitForPath(m_paths.PipePath(CONTROL_PIPE_NAME), 5000) &&
           WaitForPath(m_paths.PipePath(STATUS_PIPE_NAME), 5000);
  }
  void StartAll() {
    ASSERT_TRUE(StartSim());
    ASSERT_TRUE(Install());
    ASSERT_TRUE(StartService());
  }

  RequestAnswer Send(uint32_t command, std::vector<uint8_t> in, uint32_t outSize) {
    return CRequestClient::Send(m_paths, CONTROL_PIPE_NAME, command, in, outSize);
  }
  RequestAnswer Wait(int timeoutMs = 5000) {
    return CRequestClient::Send(m_paths, STATUS_PIPE_NAME, COMMAND_WAIT_STATUS,
                                std::vector<uint8_t>(24), 24, timeoutMs);
  }
  uint32_t SetPath(const std::string& path = "\\\\.\\kvtpd700") {
    std::vector<uint8_t> in(260, 0);
    std::memcpy(in.data(), path.data(), std::min<size_t>(path.size(), 259));
    RequestAnswer a = Send(COMMAND_SET_DEVICE_PATH, in, 260);
    return a.m_uTransport ? a.m_uTransport : a.m_uStatus;
  }
  // One line to the stand-in's control channel; its reply line.
  std::string Ctl(const std::string& line) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string path = Device() + ".ctl";
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      close(fd);
      return "no channel";
    }
    std::string msg = line + "\n";
    (void)!write(fd, msg.data(), msg.size());
    std::string reply;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') reply += c;
    close(fd);
    return reply;
  }
  // Waits until the stand-in's reply to line equals want.
  bool CtlBecomes(const std::string& line, const std::string& want, int timeoutMs = 3000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
      if (Ctl(line) == want) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
  }
};

}  // namespace kv::test
