// The service module on a dispatcher, as Windows runs it: the dispatcher runs ServiceMain
// for the manager, and a dispatcher that refuses (the program was started by hand) leaves
// the bridge running as an ordinary process that logs to standard output.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "resources/StringTable.h"
#include "service/ServiceModule.h"
#include "service/ServiceNames.h"
#include "tests/service/FakeDevice.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/FakeRegistry.h"

namespace kv::test {
namespace {

// Every log the module makes, with the texts it wrote there.
struct LogBook {
  std::mutex m_mutex;
  std::vector<bool> m_toEventLog;
  std::vector<std::string> m_lines;
  bool Has(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::find(m_lines.begin(), m_lines.end(), text) != m_lines.end();
  }
};

class CBookLog final : public EventLog {
 public:
  explicit CBookLog(LogBook& book) : m_book(book) {}
  void Information(const std::string& text) override {
    std::lock_guard<std::mutex> lock(m_book.m_mutex);
    m_book.m_lines.push_back(text);
  }

 private:
  LogBook& m_book;
};

TEST(ServiceDispatchTest, DispatcherRunsServiceMainOrLeavesAnOrdinaryProcess) {
  for (bool managerStarted : {true, false}) {
    SCOPED_TRACE(managerStarted ? "dispatched" : "started by hand");
    CTempPrefix prefix;
    CFakeRegistry registry;
    registry.SetString(RegistryHive::CLASSES_ROOT, SERVICE_APPID_KEY, "LocalService", "Pansvc");
    CStringTable strings = CStringTable::BuiltIn("pansvc");
    CFakeDevice device;
    CFakeClock clock;
    LogBook book;
    ServiceModuleContext ctx;
    ctx.m_paths = prefix.Paths();
    ctx.m_pRegistry = &registry;
    ctx.m_pStrings = &strings;
    ctx.m_pDeviceIo = &device;
    ctx.m_pClock = &clock;
    ctx.m_makeLog = [&book](const std::string&, bool toEventLog) -> std::unique_ptr<EventLog> {
      std::lock_guard<std::mutex> lock(book.m_mutex);
      book.m_toEventLog.push_back(toEventLog);
      return std::make_unique<CBookLog>(book);
    };
    ctx.m_startedByManager = [] { return true; };
    bool dispatched = false;
    ctx.m_dispatch = [&](const std::string& name, std::function<void()> serviceMain) {
      EXPECT_EQ(name, "Pansvc");
      if (!managerStarted) return false;
      dispatched = true;
      serviceMain();
      return true;
    };
    CServiceModule module(ctx);
    std::thread stopper([&] {
      // Stop once the bridge is up, as the manager's stop control would.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!book.Has("Pansvc -- Service started") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      module.Control(SERVICE_CONTROL_STOP);
    });
    EXPECT_EQ(module.Start(), 0);
    stopper.join();
    EXPECT_EQ(dispatched, managerStarted);
    EXPECT_EQ(module.RunningAsService(), managerStarted);
    // The log that took the texts: the event log for the service, standard output otherwise.
    ASSERT_FALSE(book.m_toEventLog.empty());
    EXPECT_EQ(book.m_toEventLog.back(), managerStarted);
    EXPECT_EQ(book.Has("Pansvc -- Service stopped"), managerStarted);
  }
}

}  // namespace
}  // namespace kv::test
