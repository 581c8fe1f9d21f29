// How the firmware link finds the panel among other HID collections, lets go of it when
// another program asks, and what it writes to the trace and the report logs. The panel is
// panel-sim as a real child process; the other collections are announced on the same
// simulated bus by this process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/LittleEndian.h"
#include "platform/SharedMemory.h"
#include "platform/posix/SimHidBus.h"
#include "platform/posix/SimHidDescriptor.h"
#include "sim/SimHidDevice.h"
#include "tabrix/driverlink/MemoryLog.h"
#include "tabrix/firmware/TrafficLog.h"
#include "tabrix/driverlink/DriverSharedData.h"
#include "tabrix/driverlink/ModelTable.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/PanelSimHarness.h"

namespace kv {
namespace {

using namespace std::chrono_literals;

constexpr const char* PANEL_PRODUCT = "VT-R700A Touch Panel";

// The real bus, with a note of the highest interface index the link asked for.
class CCountingBus final : public HidBus {
 public:
  explicit CCountingBus(HidBus& inner) : m_inner(inner) {}
  uint32_t EnumerateInterface(uint32_t index, std::string* path) override {
    uint32_t seen = m_uMaxIndex.load();
    while ((seen == NONE || index > seen) && !m_uMaxIndex.compare_exchange_weak(seen, index)) {
    }
    return m_inner.EnumerateInterface(index, path);
  }
  uint32_t Open(const std::string& path, bool overlapped,
                std::unique_ptr<HidDevice>* device) override {
    return m_inner.Open(path, overlapped, device);
  }
  static constexpr uint32_t NONE = UINT32_MAX;
  std::atomic<uint32_t> m_uMaxIndex{NONE};

 private:
  HidBus& m_inner;
};

// A collection that must never be talked to: counts what it is sent.
class CSilentHandler : public SimHidHandler {
 public:
  void OnOutputReport(std::span<const uint8_t>) override { ++m_uOutputs; }
  std::atomic<unsigned> m_uOutputs{0};
};

class FirmwareDiscoveryTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_simBus{m_paths};
  CCountingBus m_bus{m_simBus};
  CModelTable m_models;
  test::CPanelSim m_panel;

  void StartPanel() {
    std::string why;
    ASSERT_TRUE(m_panel.Start(m_paths, {"--model", "VT-R700A"}, &why)) << why;
  }
};

struct Decoy {
  const char* m_pszName;  // sorts before "panel", so it is enumerated first
  uint16_t m_uProductId;
  unsigned m_uCollection;
  uint16_t m_uUsagePage, m_uUsage;
  bool m_bOpenable;
};

TEST_F(FirmwareDiscoveryTest, CollectionsThatAreNotThePanelAreSkipped) {
  // All with the panel's vendor id; each fails a different one of the checks.
  const Decoy decoys[] = {
      {"a-keyboard", 0x5A01, 1, 0x01, 0x06, false},  // the system owns it: cannot be opened
      {"b-other-col", 0x5A01, 2, 0x0D, 0x01, true},  // "col02": not the model's collection
      {"c-single-col", 0x5A01, 0, 0x0D, 0x01, true},  // no collection text at all
      {"d-mouse", 0x5A01, 1, 0x01, 0x02, true},      // right path, not a digitizer
      {"e-other-pid", 0x5A09, 1, 0x0D, 0x01, true},  // no model row
  };
  std::vector<std::unique_ptr<CSilentHandler>> handlers;
  std::vector<std::unique_ptr<CSimHidDevice>> devices;
  for (const Decoy& d : decoys) {
    SimHidDescriptor desc;
    desc.m_sName = d.m_pszName;
    desc.m_uVendorId = 0x2F11;
    desc.m_uProductId = d.m_uProductId;
    desc.m_uUsagePage = d.m_uUsagePage;
    desc.m_uUsage = d.m_uUsage;
    desc.m_uInputLength = 64;
    desc.m_uOutputLength = 64;
    desc.m_sProduct = std::string("Decoy ") + d.m_pszName;
    desc.m_bOpenable = d.m_bOpenable;
    handlers.push_back(std::make_unique<CSilentHandler>());
    devices.push_back(std::make_unique<CSimHidDevice>(m_paths, desc, d.m_uCollection,
                                                      handlers.back().get()));
    ASSERT_TRUE(devices.back()->Plug()) << d.m_pszName;
  }
  CTPdrvServiceMode link{m_bus, m_models, nullptr, nullptr, nullptr, test::ShortFirmwareWaits()};
  ASSERT_TRUE(link.StartWorker());
  // Without the panel none of them is taken.
  EXPECT_FALSE(link.GetCheckSum(nullptr, nullptr, nullptr));
  EXPECT_FALSE(link.IsPortOpen());

  StartPanel();
  ASSERT_TRUE(link.GetCheckSum(nullptr, nullptr, nullptr));
  EXPECT_EQ(link.ProductString(), PANEL_PRODUCT);
  EXPECT_EQ(link.ModelName(), "VT-R700A");
  EXPECT_EQ(m_panel("count 7"), "1");
  for (size_t i = 0; i < handlers.size(); ++i)
    EXPECT_EQ(handlers[i]->m_uOutputs.load(), 0u) << decoys[i].m_pszName;
  link.StopWorker();
}

// Announces a collection that cannot be opened, as a keyboard is, without a device thread.
void AnnounceClosedCollection(const CPaths& paths, const std::string& name) {
  SimHidDescriptor d;
  d.m_sName = name;
  d.m_sPath = SimHidInstancePath(0x046D, 0xC31C, 0, name);
  d.m_uVendorId = 0x046D;
  d.m_uProductId = 0xC31C;
  d.m_uUsagePage = 0x01;
  d.m_uUsage = 0x06;
  d.m_bOpenable = false;
  d.m_uOwnerPid = static_cast<uint32_t>(getpid());
  std::ofstream(SimHidDescriptorFile(paths.HidDir(), name)) << FormatSimHidDescriptor(d);
}

TEST_F(FirmwareDiscoveryTest, EnumerationStopsAfter129Interfaces) {
  ASSERT_TRUE(CPaths::EnsureDirectory(m_paths.HidDir()));
  char name[16];
  for (int i = 0; i < 130; ++i) {
    std::snprintf(name, sizeof name, "k%03d", i);
    AnnounceClosedCollection(m_paths, name);
  }
  StartPanel();  // interface number 130, one past the limit
  ASSERT_EQ(m_simBus.PresentDevices().size(), 131u);
  // The shipped park and command waits: one open pass over 131 announcements is the
  // slowest pass there is.
  CTPdrvServiceMode link{m_bus, m_models, nullptr, nullptr, nullptr};
  ASSERT_TRUE(link.StartWorker());
  EXPECT_FALSE(link.GetCheckSum(nullptr, nullptr, nullptr));
  EXPECT_EQ(m_bus.m_uMaxIndex.load(), CTPdrvServiceMode::MAX_INTERFACES - 1);
  EXPECT_EQ(m_panel("count 7"), "0");

  // Two fewer in front: the panel is number 128, the last one still tried.
  std::remove(SimHidDescriptorFile(m_paths.HidDir(), "k000").c_str());
  std::remove(SimHidDescriptorFile(m_paths.HidDir(), "k001").c_str());
  EXPECT_TRUE(link.GetCheckSum(nullptr, nullptr, nullptr));
  EXPECT_EQ(link.ProductString(), PANEL_PRODUCT);
  link.StopWorker();
}

TEST_F(FirmwareDiscoveryTest, ReleaseWordsOfTheSharedTableTakeThePortAway) {
  StartPanel();
  DriverSharedData shared;
  ASSERT_EQ(shared.Create(m_paths), 0u);
  CSharedMemory other;  // another program's view of the table
  ASSERT_EQ(other.Open(m_paths, DriverSharedData::NAME, DriverSharedData::SIZE),
            ERROR_CODE_SUCCESS);
  CTPdrvServiceMode link{m_bus, m_models, nullptr, nullptr, &shared, test::ShortFirmwareWaits()};
  ASSERT_TRUE(link.StartWorker());
  for (size_t offset : {DriverSharedData::OFF_RELEASE_REQUEST_A,
                        DriverSharedData::OFF_RELEASE_REQUEST_B}) {
    SCOPED_TRACE(offset);
    ASSERT_TRUE(link.GetCheckSum(nullptr, nullptr, nullptr));
    EXPECT_EQ(shared.PortHeld(), 1u);
    WriteU32(other.Data() + offset, 1);
    EXPECT_TRUE(test::Eventually([&] { return !link.IsPortOpen() && shared.PortHeld() == 0; }));
    EXPECT_FALSE(link.GetCheckSum(nullptr, nullptr, nullptr));
    EXPECT_FALSE(link.IsPortOpen());
    // While a device arrives or leaves, release requests wait.
    link.SetDeviceChangeInProgress(true);
    EXPECT_TRUE(link.GetCheckSum(nullptr, nullptr, nullptr));
    link.SetDeviceChangeInProgress(false);
    WriteU32(other.Data() + offset, 0);
    EXPECT_TRUE(test::Eventually([&] { return link.IsPortOpen() && shared.PortHeld() == 1; }));
    EXPECT_TRUE(link.GetCheckSum(nullptr, nullptr, nullptr));
  }
  link.StopWorker();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

size_t CountContaining(const std::vector<std::string>& lines, const std::string& text) {
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
    return l.find(text) != std::string::npos;
  }));
}

TEST_F(FirmwareDiscoveryTest, TraceAndReportLogsRecordTheTrafficAndReportIdTwoChangesNothing) {
  StartPanel();
  test::CFakeClock clock;
  CMemoryLog memory(clock);
  ASSERT_TRUE(memory.Start(1 << 20));
  const std::string received = m_prefix.Dir() + "/receive.log";
  const std::string sent = m_prefix.Dir() + "/send.log";
  CTrafficLog traffic(clock, received, sent);
  FirmwareLinkTimeouts waits = test::ShortFirmwareWaits();
  waits.m_iPollMs = 5;  // many idle passes in little time
  CTPdrvServiceMode link{m_bus, m_models, &memory, &traffic, nullptr, waits};
  ASSERT_TRUE(link.StartWorker());
  ASSERT_EQ(m_panel("checksum 0xBEEF 0"), "ok");

  // A report with another id arrives while the checksum is awaited, carrying what would
  // be a checksum answer: it is logged and otherwise ignored.
  ASSERT_EQ(m_panel("delay 300"), "ok");
  uint32_t sum = 0;
  bool ok = false;
  std::thread caller([&] { ok = link.GetCheckSum(&sum, nullptr, nullptr); });
  EXPECT_EQ(m_panel.WaitFor("count 7", "1"), "1");
  ASSERT_EQ(m_panel("report 2 5 0x11 0x11 0 0 0 0 0"), "ok");
  caller.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(sum, 0xBEEFu);

  const std::vector<std::string> trace = Lines(memory.Contents());
  const std::regex shape(R"(^(main|sub),[0-9]+us,.+$)");
  for (const auto& line : trace) EXPECT_TRUE(std::regex_match(line, shape)) << line;
  EXPECT_EQ(CountContaining(trace, "main,"), 2u);  // the call and its result
  EXPECT_EQ(CountContaining(trace, "us,GetCheckSum()"), 2u);  // ... and "()=TRUE"
  EXPECT_EQ(CountContaining(trace, "us,GetCheckSum()=TRUE"), 1u);
  EXPECT_EQ(CountContaining(trace, "us,WriteFile(Before) Data=0107" + std::string(124, '0')), 1u);
  EXPECT_EQ(CountContaining(trace, "us,ReadFile Data=02051111"), 1u);
  EXPECT_EQ(CountContaining(trace, "us,ReadFile Data=0105efbe00"), 1u);

  const std::regex logLine(R"(^2026/12/08 09:00:00\.0000 [RS]( [0-9a-f]{2}){64}$)");
  const std::vector<std::string> in = Lines(ReadFile(received));
  const std::vector<std::string> out = Lines(ReadFile(sent));
  ASSERT_EQ(in.size(), 2u);
  ASSERT_EQ(out.size(), 1u);
  for (const auto& line : in) EXPECT_TRUE(std::regex_match(line, logLine)) << line;
  EXPECT_TRUE(std::regex_match(out[0], logLine)) << out[0];
  EXPECT_NE(in[0].find(" R 02 05 11 11 00"), std::string::npos) << in[0];
  EXPECT_NE(in[1].find(" R 01 05 ef be 00 00 02 05"), std::string::npos) << in[1];
  EXPECT_NE(out[0].find(" S 01 07 00 00"), std::string::npos) << out[0];

  // Idle, the worker's repeating lines stop once the trace budget is spent.
  auto repeating = [&] {
    auto lines = Lines(memory.Contents());
    return CountContaining(lines, "ThreadProc:while()") +
           CountContaining(lines, "WAIT_TIMEOUT");
  };
  std::this_thread::sleep_for(100ms);  // 20 idle passes
  size_t settled = repeating();
  std::this_thread::sleep_for(200ms);  // 40 more
  EXPECT_EQ(repeating(), settled);
  link.StopWorker();
}

}  // namespace
}  // namespace kv
