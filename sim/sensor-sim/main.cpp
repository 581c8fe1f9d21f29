// sensor-sim: takes the optical touch sensor's place on the simulated HID bus.
//
//   sensor-sim [--model MQB-V2|MQBP|PML-CC|MQA|MQAR410|MQA-KV] [--name NAME]
//              [--serial TEXT] [--not-ready]
//
// Announces the sensor under $KV_PREFIX/run/hid/NAME (default "sensor"), answers the
// feature-report commands, and takes control commands on NAME.ctl beside it (see
// SensorControl.h). SIGTERM or SIGINT end it and remove its files.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/Paths.h"
#include "sim/SimHidDevice.h"
#include "sim/sensor-sim/SensorControl.h"
#include "sim/sensor-sim/SensorFirmware.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
  char c = 1;
  ssize_t n = write(g_signalPipe[1], &c, 1);
  (void)n;
}

// Feature reports go to the firmware; the sensor has no output reports.
class CFirmwareHandler : public kv::SimHidHandler {
 public:
  explicit CFirmwareHandler(kv::CSensorFirmware& firmware) : m_firmware(firmware) {}
  void OnOutputReport(std::span<const uint8_t>) override {}
  bool OnSetFeature(std::span<const uint8_t> report) override {
    return m_firmware.OnSetFeature(report);
  }
  bool OnGetFeature(uint8_t reportId, size_t length, std::vector<uint8_t>* report) override {
    if (reportId != 0 || length < 9) return false;
    return m_firmware.OnGetFeature(report);
  }

 private:
  kv::CSensorFirmware& m_firmware;
};

int Usage() {
  std::fprintf(stderr,
               "usage: sensor-sim [--model MQB-V2|MQBP|PML-CC|MQA|MQAR410|MQA-KV] "
               "[--name NAME] [--serial TEXT] [--not-ready]\n");
  return 2;
}

int ListenControl(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return -1;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  unlink(path.c_str());  // a stale one of an earlier run; the device name is ours now
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void SendLine(int fd, const std::string& line) {
  std::string out = line + "\n";
  size_t done = 0;
  while (done < out.size()) {
    ssize_t n = send(fd, out.data() + done, out.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      if (poll(&p, 1, 1000) <= 0) return;
      continue;
    }
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

// Serves control clients until a signal arrives.
void ServeControl(int listenFd, kv::CSensorControl& control) {
  constexpr size_t MAX_LINE = 1024;
  std::map<int, std::string> clients;  // fd -> unfinished line
  for (;;) {
    std::vector<pollfd> fds{{g_signalPipe[0], POLLIN, 0}, {listenFd, POLLIN, 0}};
    for (auto& [fd, buf] : clients) fds.push_back({fd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents) break;
    if (fds[1].revents & POLLIN) {
      int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd >= 0) clients[fd];
    }
    for (size_t i = 2; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      int fd = fds[i].fd;
      char chunk[512];
      ssize_t n = recv(fd, chunk, sizeof chunk, 0);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      bool drop = n <= 0;
      std::string& buf = clients[fd];
      if (!drop) buf.append(chunk, static_cast<size_t>(n));
      size_t eol;
      while (!drop && (eol = buf.find('\n')) != std::string::npos) {
        std::string line = buf.substr(0, eol);
        buf.erase(0, eol + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        SendLine(fd, control.Execute(line));
      }
      if (!drop && buf.size() > MAX_LINE) {
        SendLine(fd, "error line too long");
        drop = true;
      }
      if (drop) {
        close(fd);
        clients.erase(fd);
      }
    }
  }
  for (auto& [fd, buf] : clients) close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  const kv::SensorSimModel* model = &kv::DefaultSensorSimModel();
  std::string name = "sensor", serial;
  bool ready = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--not-ready") {
      ready = false;
      continue;
    }
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    if (arg == "--model") {
      model = kv::FindSensorSimModel(value);
      if (!model) {
        std::fprintf(stderr, "sensor-sim: unknown model %s\n", value);
        return 2;
      }
    } else if (arg == "--name") {
      name = value;
    } else if (arg == "--serial") {
      serial = value;
    } else {
      return Usage();
    }
  }
  if (!kv::IsValidSimHidName(name)) {
    std::fprintf(stderr, "sensor-sim: invalid name %s\n", name.c_str());
    return 2;
  }

  if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
  struct sigaction sa{};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  kv::CPaths paths = kv::CPaths::FromEnvironment();
  kv::SimHidDescriptor d;
  d.m_sName = name;
  d.m_uVendorId = model->m_uVendorId;
  d.m_uProductId = model->m_uProductId;
  d.m_uVersionNumber = 0x0100;
  d.m_uUsagePage = 0xFF00;  // vendor defined
  d.m_uUsage = 0x01;
  d.m_uInputLength = 65;
  d.m_uOutputLength = 0;
  d.m_uFeatureLength = 9;
  d.m_sProduct = model->m_pszName;
  d.m_sSerial = serial;

  kv::CSensorFirmware firmware(*model);
  firmware.SetReady(ready);
  CFirmwareHandler handler(firmware);
  int status = 0;
  {
    kv::CSimHidDevice device(paths, d, 0, &handler);
    if (!device.Plug()) {
      std::fprintf(stderr, "sensor-sim: cannot announce %s (in use?)\n", name.c_str());
      return 1;
    }
    std::string ctlPath = device.EndpointPath() + ".ctl";
    int ctl = ListenControl(ctlPath);
    if (ctl < 0) {
      std::fprintf(stderr, "sensor-sim: cannot listen on %s\n", ctlPath.c_str());
      status = 1;
    } else {
      kv::CSensorControl control(firmware, device);
      ServeControl(ctl, control);
      close(ctl);
      unlink(ctlPath.c_str());
    }
    device.Unplug();
  }
  return status;
}
