// The simulated HID bus end to end: devices announced by the device library (real
// sockets under a temporary prefix), found and opened through the HidBus interface.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>

#include "common/SystemError.h"
#include "platform/HidBus.h"
#include "platform/posix/SimHidBus.h"
#include "platform/posix/SimHidHandle.h"
#include "sim/SimHidDevice.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

SimHidDescriptor Identity(const std::string& name, uint16_t vid, uint16_t pid, uint16_t page,
                          uint16_t usage, bool openable = true) {
  SimHidDescriptor d;
  d.m_sName = name;
  d.m_uVendorId = vid;
  d.m_uProductId = pid;
  d.m_uVersionNumber = 0x0110;
  d.m_uUsagePage = page;
  d.m_uUsage = usage;
  d.m_uInputLength = 16;
  d.m_uOutputLength = 8;
  d.m_uFeatureLength = 9;
  d.m_sProduct = "Product " + name;
  d.m_sSerial = "SER-" + name;
  d.m_bOpenable = openable;
  return d;
}

// Echoes each output report back as an input report with the bytes reversed after the
// id, keeps what it got, and serves feature report 0 from the last one set.
class CEchoHandler : public SimHidHandler {
 public:
  CSimHidDevice* m_pDevice = nullptr;
  std::mutex m_mutex;
  std::vector<std::vector<uint8_t>> m_outputs;
  std::vector<uint8_t> m_feature;
  bool m_bRefuse = false;

  void OnOutputReport(std::span<const uint8_t> r) override {
    std::vector<uint8_t> answer(r.begin(), r.end());
    std::reverse(answer.begin() + 1, answer.end());
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_outputs.emplace_back(r.begin(), r.end());
    }
    m_pDevice->SendInputReport(answer);
  }
  bool OnSetFeature(std::span<const uint8_t> r) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bRefuse) return false;
    m_feature.assign(r.begin(), r.end());
    return true;
  }
  bool OnGetFeature(uint8_t id, size_t length, std::vector<uint8_t>* r) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (id != 0 || m_feature.empty() || length < m_feature.size()) return false;
    *r = m_feature;
    return true;
  }
  size_t OutputCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_outputs.size();
  }
};

class SimHidBusTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_bus{m_paths, 150};

  std::vector<std::string> Enumerate() {
    std::vector<std::string> paths;
    std::string p;
    for (uint32_t i = 0; m_bus.EnumerateInterface(i, &p) == ERROR_CODE_SUCCESS; ++i) paths.push_back(p);
    return paths;
  }
  std::unique_ptr<HidDevice> OpenOk(const std::string& path) {
    std::unique_ptr<HidDevice> dev;
    EXPECT_EQ(m_bus.Open(path, true, &dev), ERROR_CODE_SUCCESS);
    return dev;
  }
};

TEST_F(SimHidBusTest, EnumeratesAnnouncedDevicesInNameOrderAndEndsWith259) {
  std::string p;
  EXPECT_EQ(m_bus.EnumerateInterface(0, &p), ERROR_CODE_NO_MORE_ITEMS);  // no folder yet

  CSimHidDevice keyboard(m_paths, Identity("a-keyboard", 0x2F11, 0x5A01, 0x01, 0x06, false), 2, nullptr);
  CSimHidDevice panel(m_paths, Identity("b-panel", 0x2F11, 0x5A01, 0x0D, 0x01), 1, nullptr);
  CSimHidDevice sensor(m_paths, Identity("c-sensor", 0x3E22, 0x6B04, 0xFF00, 0x01), 0, nullptr);
  ASSERT_TRUE(panel.Plug());
  ASSERT_TRUE(sensor.Plug());
  ASSERT_TRUE(keyboard.Plug());

  std::vector<std::string> paths = Enumerate();
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths[0], keyboard.Path());
  EXPECT_EQ(paths[1], panel.Path());
  EXPECT_EQ(paths[2], sensor.Path());
  EXPECT_GT(paths[1].find("col01"), 0u);
  EXPECT_NE(paths[1].find("col01"), std::string::npos);
  EXPECT_NE(paths[0].find("col02"), std::string::npos);
  EXPECT_EQ(m_bus.EnumerateInterface(3, &p), ERROR_CODE_NO_MORE_ITEMS);
  EXPECT_EQ(Enumerate(), paths);  // stable between calls

  std::unique_ptr<HidDevice> dev;
  EXPECT_EQ(m_bus.Open(keyboard.Path(), false, &dev), ERROR_CODE_ACCESS_DENIED);
  EXPECT_EQ(dev, nullptr);
  EXPECT_EQ(m_bus.Open(paths[1] + "x", false, &dev), ERROR_CODE_FILE_NOT_FOUND);

  // Instance paths compare without case, as on Windows.
  std::string upper = paths[2];
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  dev = OpenOk(upper);
  ASSERT_NE(dev, nullptr);
  HidAttributes a;
  HidCaps c;
  ASSERT_EQ(dev->GetAttributes(&a), ERROR_CODE_SUCCESS);
  ASSERT_EQ(dev->GetCaps(&c), ERROR_CODE_SUCCESS);
  EXPECT_EQ(a.m_uVendorId, 0x3E22);
  EXPECT_EQ(a.m_uProductId, 0x6B04);
  EXPECT_EQ(a.m_uVersionNumber, 0x0110);
  EXPECT_EQ(c.m_uUsagePage, 0xFF00);
  EXPECT_EQ(c.m_uUsage, 0x01);
  EXPECT_EQ(c.m_uInputReportByteLength, 16);
  EXPECT_EQ(c.m_uOutputReportByteLength, 8);
  EXPECT_EQ(c.m_uFeatureReportByteLength, 9);
  std::u16string s;
  ASSERT_EQ(dev->GetProductString(&s), ERROR_CODE_SUCCESS);
  EXPECT_EQ(s, u"Product c-sensor");
  ASSERT_EQ(dev->GetSerialNumberString(&s), ERROR_CODE_SUCCESS);
  EXPECT_EQ(s, u"SER-c-sensor");

  // One pass walks the snapshot index 0 took: a device gone since then refuses its open,
  // and the next pass no longer lists it.
  ASSERT_EQ(m_bus.EnumerateInterface(0, &p), ERROR_CODE_SUCCESS);
  panel.Unplug();
  ASSERT_EQ(m_bus.EnumerateInterface(1, &p), ERROR_CODE_SUCCESS);
  EXPECT_EQ(p, panel.Path());
  EXPECT_EQ(m_bus.Open(p, false, &dev), ERROR_CODE_FILE_NOT_FOUND);
  EXPECT_EQ(dev, nullptr);
  paths = Enumerate();
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[1], sensor.Path());
  // A device that arrives is opened even before a pass lists it.
  ASSERT_TRUE(panel.Plug());
  EXPECT_NE(OpenOk(panel.Path()), nullptr);
}

TEST_F(SimHidBusTest, SkipsAnnouncementsOfDeadOwnersAndReplacesThem) {
  // The files a killed stand-in leaves behind: a descriptor naming a process that is gone
  // and a socket nobody listens on.
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  SimHidDescriptor d = Identity("panel", 0x2F11, 0x5A01, 0x0D, 1);
  d.m_sPath = SimHidInstancePath(0x2F11, 0x5A01, 1, "panel");
  d.m_uOwnerPid = static_cast<uint32_t>(child);
  ASSERT_TRUE(CPaths::EnsureDirectory(m_paths.HidDir()));
  std::ofstream(SimHidDescriptorFile(m_paths.HidDir(), "panel")) << FormatSimHidDescriptor(d);
  int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::string ep = SimHidEndpointFile(m_paths.HidDir(), "panel");
  std::strcpy(addr.sun_path, ep.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  close(fd);
  // A live owner whose endpoint is missing is not present either.
  SimHidDescriptor orphan = Identity("orphan", 0x2F11, 0x5A01, 0x0D, 1);
  orphan.m_sPath = "\\\\?\\hid#orphan";
  orphan.m_uOwnerPid = static_cast<uint32_t>(getpid());
  std::ofstream(SimHidDescriptorFile(m_paths.HidDir(), "orphan")) << FormatSimHidDescriptor(orphan);
  // And a file that is no announcement at all.
  std::ofstream(SimHidDescriptorFile(m_paths.HidDir(), "garbage")) << "vid=zz\n";

  EXPECT_TRUE(Enumerate().empty());

  CEchoHandler handler;
  CSimHidDevice panel(m_paths, Identity("panel", 0x2F11, 0x5A01, 0x0D, 1), 1, &handler);
  handler.m_pDevice = &panel;
  ASSERT_TRUE(panel.Plug());
  ASSERT_EQ(Enumerate(), std::vector<std::string>{panel.Path()});
  EXPECT_NE(OpenOk(panel.Path()), nullptr);
}

TEST_F(SimHidBusTest, RefusesANameWhoseOwnerStillRuns) {
  SimHidDescriptor d = Identity("panel", 0x2F11, 0x5A01, 0x0D, 1);
  d.m_sPath = "\\\\?\\hid#other";
  d.m_uOwnerPid = static_cast<uint32_t>(getppid());
  d.m_bOpenable = false;
  ASSERT_TRUE(CPaths::EnsureDirectory(m_paths.HidDir()));
  std::ofstream(SimHidDescriptorFile(m_paths.HidDir(), "panel")) << FormatSimHidDescriptor(d);
  CSimHidDevice panel(m_paths, Identity("panel", 0x2F11, 0x5A01, 0x0D, 1), 1, nullptr);
  EXPECT_FALSE(panel.Plug());
  EXPECT_EQ(Enumerate(), std::vector<std::string>{"\\\\?\\hid#other"});
}

TEST_F(SimHidBusTest, ReportsTravelBothWaysAndEveryHandleGetsEachInputReport) {
  CEchoHandler handler;
  CSimHidDevice dev(m_paths, Identity("panel", 0x2F11, 0x5A01, 0x0D, 1), 1, &handler);
  handler.m_pDevice = &dev;
  ASSERT_TRUE(dev.Plug());
  auto a = OpenOk(dev.Path());
  auto b = OpenOk(dev.Path());
  ASSERT_TRUE(a && b);

  const uint8_t out[8] = {1, 7, 0x12, 0, 0, 0, 0, 0x34};
  ASSERT_EQ(a->WriteOutputReport(out), ERROR_CODE_SUCCESS);
  uint8_t in[16];
  size_t n = 0;
  for (HidDevice* h : {a.get(), b.get()}) {
    std::memset(in, 0xEE, sizeof in);
    ASSERT_EQ(h->ReadInputReport(in, 2000, &n), ERROR_CODE_SUCCESS);
    ASSERT_EQ(n, 16u);
    const uint8_t expect[16] = {1, 0x34, 0, 0, 0, 0, 0x12, 7};  // padded with zeros
    EXPECT_EQ(std::memcmp(in, expect, 16), 0);
  }
  ASSERT_EQ(handler.OutputCount(), 1u);
  EXPECT_EQ(handler.m_outputs[0], std::vector<uint8_t>(out, out + 8));

  // Sizes other than the declared lengths are refused before anything is sent.
  const uint8_t shortReport[3] = {1, 7, 0};
  EXPECT_EQ(a->WriteOutputReport(shortReport), ERROR_CODE_INVALID_PARAMETER);
  uint8_t small[10];
  EXPECT_EQ(a->ReadInputReport(small, 10, &n), ERROR_CODE_INSUFFICIENT_BUFFER);
  EXPECT_EQ(handler.OutputCount(), 1u);
}

TEST_F(SimHidBusTest, ReadTimesOutWithoutLosingTheReportThatComesLater) {
  CSimHidDevice dev(m_paths, Identity("panel", 0x2F11, 0x5A01, 0x0D, 1), 1, nullptr);
  ASSERT_TRUE(dev.Plug());
  auto h = OpenOk(dev.Path());
  uint8_t in[16];
  size_t n = 99;
  auto t0 = Clock::now();
  EXPECT_EQ(h->ReadInputReport(in, 40, &n), ERROR_CODE_TIMEOUT);
  EXPECT_EQ(n, 0u);
  EXPECT_GE(Clock::now() - t0, 35ms);
  const uint8_t r[2] = {1, 4};
  dev.SendInputReport(r, 60);  // a late answer
  EXPECT_EQ(h->ReadInputReport(in, 20, &n), ERROR_CODE_TIMEOUT);
  ASSERT_EQ(h->ReadInputReport(in, 2000, &n), ERROR_CODE_SUCCESS);
  EXPECT_EQ(in[1], 4);
}

TEST_F(SimHidBusTest, KeepsTheNewestThirtyTwoReportsOfAHandleThatDoesNotRead) {
  CSimHidDevice dev(m_paths, Identity("panel", 0x2F11, 0x5A01, 0x0D, 1), 1, nullptr);
  ASSERT_TRUE(dev.Plug());
  auto h = OpenOk(dev.Path());
  for (uint8_t i = 0; i < 40; ++i) {
    const uint8_t r[2] = {1, i};
    dev.SendInputReport(r);
  }
  const uint8_t marker[2] = {2, 0xFF};
  dev.SendInputReport(marker);
  auto* sim = dynamic_cast<CSimHidHandle*>(h.get());
  ASSERT_NE(sim, nullptr);
  auto deadline = Clock::now() + 5s;
  while (sim->InputReportsReceived() < 41 && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
  ASSERT_EQ(sim->InputReportsReceived(), 41u);
  uint8_t in[16];
  size_t n;
  std::vector<uint8_t> seen;
  for (;;) {
    ASSERT_EQ(h->ReadInputReport(in, 2000, &n), ERROR_CODE_SUCCESS);
    if (in[0] == 2) break;
    seen.push_back(in[1]);
  }
  // The marker itself took one place of the 32.
  ASSERT_EQ(seen.size(), 31u);
  EXPECT_EQ(seen.front(), 9);
  EXPECT_EQ(seen.back(), 39);
}

TEST_F(SimHidBusTest, CancelEndsAWaitingReadAtOnce) {
  CSimHidDevice dev(m_paths, Identity("panel", 0x2F11, 0x5A01, 0x0D, 1), 1, nullptr);
  ASSERT_TRUE(dev.Plug());
  auto h = OpenOk(dev.Path());
  auto pending = std::async(std::launch::async, [&] {
    uint8_t in[16];
    size_t n;
    return h->ReadInputReport(in, -1, &n);
  });
  EXPECT_EQ(pending.wait_for(50ms), std::future_status::timeout);
  h->CancelRead();
  ASSERT_EQ(pending.wait_for(2s), std::future_status::ready);
  EXPECT_EQ(pending.get(), ERROR_CODE_OPERATION_ABORTED);
  // The handle keeps working afterwards.
  const uint8_t r[2] = {1, 9};
  dev.SendInputReport(r);
  uint8_t in[16];
  size_t n;
  EXPECT_EQ(h->ReadInputReport(in, 2000, &n), ERROR_CODE_SUCCESS);

  // Close from another thread ends a waiting read as a cancel does.
  pending = std::async(std::launch::async, [&] {
    uint8_t buf[16];
    size_t m;
    return h->ReadInputReport(buf, -1, &m);
  });
  EXPECT_EQ(pending.wait_for(30ms), std::future_status::timeout);
  h->Close();
  ASSERT_EQ(pending.wait_for(2s), std::future_status::ready);
  EXPECT_EQ(pending.get(), ERROR_CODE_OPERATION_ABORTED);
  EXPECT_EQ(h->ReadInputReport(in, 10, &n), ERROR_CODE_INVALID_HANDLE);
}

TEST_F(SimHidBusTest, UnplugFailsPendingAndLaterCallsWith1167AndPlugComesBackFresh) {
  CEchoHandler handler;
  CSimHidDevice dev(m_paths, Identity("panel", 0x2F11, 0x5A01, 0x0D, 1), 1, &handler);
  handler.m_pDevice = &dev;
  ASSERT_TRUE(dev.Plug());
  auto h = OpenOk(dev.Path());
  auto pending = std::async(std::launch::async, [&] {
    uint8_t in[16];
    size_t n;
    return h->ReadInputReport(in, -1, &n);
  });
  EXPECT_EQ(pending.wait_for(30ms), std::future_status::timeout);
  auto t0 = Clock::now();
  dev.Unplug();
  ASSERT_EQ(pending.wait_for(2s), std::future_status::ready);
  EXPECT_EQ(pending.get(), ERROR_CODE_DEVICE_NOT_CONNECTED);
  EXPECT_LT(Clock::now() - t0, 500ms);

  const uint8_t out[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  uint8_t feature[9] = {0};
  HidAttributes a;
  EXPECT_EQ(h->WriteOutputReport(out), ERROR_CODE_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(h->GetFeature(feature), ERROR_CODE_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(h->GetAttributes(&a), ERROR_CODE_DEVICE_NOT_CONNECTED);
  EXPECT_TRUE(Enumerate().empty());
  std::unique_ptr<HidDevice> none;
  EXPECT_EQ(m_bus.Open(dev.Path(), true, &none), ERROR_CODE_FILE_NOT_FOUND);

  ASSERT_TRUE(dev.Plug());
  EXPECT_EQ(h->WriteOutputReport(out), ERROR_CODE_DEVICE_NOT_CONNECTED);  // old handle stays dead
  auto fresh = OpenOk(dev.Path());
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->WriteOutputReport(out), ERROR_CODE_SUCCESS);
  uint8_t in[16];
  size_t n;
  EXPECT_EQ(fresh->ReadInputReport(in, 2000, &n), ERROR_CODE_SUCCESS);
}

TEST_F(SimHidBusTest, FeatureReportsAreRequestAndAnswer) {
  CEchoHandler handler;
  CSimHidDevice dev(m_paths, Identity("sensor", 0x3E22, 0x6B04, 0xFF00, 1), 0, &handler);
  handler.m_pDevice = &dev;
  ASSERT_TRUE(dev.Plug());
  auto h = OpenOk(dev.Path());

  const uint8_t set[9] = {0, 0x01, 'E', 0x21, 0, 0, 0, 0, 0};
  ASSERT_EQ(h->SetFeature(set), ERROR_CODE_SUCCESS);
  uint8_t get[9] = {0};
  ASSERT_EQ(h->GetFeature(get), ERROR_CODE_SUCCESS);
  EXPECT_EQ(std::memcmp(get, set, 9), 0);
  get[0] = 5;  // a report id the device does not serve
  EXPECT_EQ(h->GetFeature(get), ERROR_CODE_GEN_FAILURE);
  uint8_t wrong[8] = {0};
  EXPECT_EQ(h->GetFeature(wrong), ERROR_CODE_INVALID_PARAMETER);
  EXPECT_EQ(h->SetFeature(wrong), ERROR_CODE_INVALID_PARAMETER);
  handler.m_bRefuse = true;
  EXPECT_EQ(h->SetFeature(set), ERROR_CODE_GEN_FAILURE);
  handler.m_bRefuse = false;

  // A device that stops answering: the transfer gives up after the bus's time-out, and
  // an answer that comes too late is never taken for the next one.
  dev.SetFeatureSilence(true);
  get[0] = 0;
  auto t0 = Clock::now();
  EXPECT_EQ(h->GetFeature(get), ERROR_CODE_TIMEOUT);
  EXPECT_LT(Clock::now() - t0, 1s);
  dev.SetFeatureSilence(false);
  const uint8_t other[9] = {0, 0x01, 'F', 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(h->SetFeature(other), ERROR_CODE_SUCCESS);
  ASSERT_EQ(h->GetFeature(get), ERROR_CODE_SUCCESS);
  EXPECT_EQ(get[2], 'F');
}

TEST_F(SimHidBusTest, FactoryPicksTheSimulatedBusByEnvironment) {
  CSimHidDevice dev(m_paths, Identity("panel", 0x2F11, 0x5A01, 0x0D, 1), 1, nullptr);
  ASSERT_TRUE(dev.Plug());
  setenv("KV_HID", "sim", 1);
  auto bus = CreateHidBus(m_paths);
  unsetenv("KV_HID");
  std::string p;
  ASSERT_EQ(bus->EnumerateInterface(0, &p), ERROR_CODE_SUCCESS);
  EXPECT_EQ(p, dev.Path());
}

}  // namespace
}  // namespace kv
