// The tray program's view of logind, against a logind stand-in on a private bus: sleep and
// resume, the console coming and going, our session ending; and a logind that sends odd
// things, vanishes or comes back.
#include <gtest/gtest.h>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include "platform/qt/LogindWatcher.h"
#include "tests/support/PrivateSystemBus.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

using namespace std::chrono_literals;

class LogindWatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The bus address is read once per process; each test runs in a process of its own.
    ASSERT_TRUE(m_bus.Start(m_prefix.Dir()));
    m_watcher = std::make_unique<CLogindWatcher>(CLogindWatcher::Handlers{
        [this](bool s) { m_events.push_back(s ? "sleep" : "resume"); },
        [this](bool a) { m_events.push_back(a ? "active" : "inactive"); },
        [this](bool l) { m_events.push_back(l ? "logon" : "logoff"); }});
    ASSERT_TRUE(m_watcher->Connected());
    ASSERT_TRUE(Wait(10s, [&] { return !m_watcher->SessionPath().isEmpty(); }));
  }
  // Runs the event loop until ready() holds.
  template <typename F>
  bool Wait(std::chrono::milliseconds limit, F ready) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      std::this_thread::sleep_for(5ms);
    }
    return true;
  }
  // Sends the commands, then a marker (our session announced, which nothing else sends),
  // and waits until the marker arrived: everything sent before it has been seen then.
  std::vector<std::string> Heard(const std::vector<std::string>& commands) {
    m_events.clear();
    for (const std::string& c : commands) EXPECT_EQ(m_bus(c), "ok") << c;
    EXPECT_EQ(m_bus("new c1"), "ok");
    EXPECT_TRUE(Wait(10s, [&] { return !m_events.empty() && m_events.back() == "logon"; }));
    std::vector<std::string> seen = m_events;
    if (!seen.empty()) seen.pop_back();
    return seen;
  }

  int m_argc = 1;
  char m_name[16] = "test";
  char* m_argv[1] = {m_name};
  QCoreApplication m_app{m_argc, m_argv};
  test::CTempPrefix m_prefix;
  test::CPrivateSystemBus m_bus;
  std::unique_ptr<CLogindWatcher> m_watcher;
  std::vector<std::string> m_events;
};

TEST_F(LogindWatcherTest, SleepConsoleAndSessionEndReachTheProgram) {
  EXPECT_EQ(m_watcher->SessionPath(), "/org/freedesktop/login1/session/c1");
  EXPECT_EQ(Heard({"sleep 1", "sleep 0", "active 0", "active 1", "removed c1"}),
            (std::vector<std::string>{"sleep", "resume", "inactive", "active", "logoff"}));
}

TEST_F(LogindWatcherTest, OddSignalsAreToldAsTheyComeOrLeftOut) {
  // Resume without sleep, sleep twice, a wrongly typed Active, another user's session.
  EXPECT_EQ(Heard({"sleep 0", "sleep 1", "sleep 1", "active text", "removed c7", "new c7"}),
            (std::vector<std::string>{"resume", "sleep", "sleep"}));
}

TEST_F(LogindWatcherTest, LogindThatVanishesAndReturnsIsFollowedAgain) {
  m_bus.KillLogind();
  EXPECT_TRUE(Wait(10s, [&] { return m_watcher->SessionPath().isEmpty(); }));
  ASSERT_TRUE(m_bus.StartLogind());
  EXPECT_TRUE(Wait(10s, [&] { return !m_watcher->SessionPath().isEmpty(); }));
  EXPECT_EQ(Heard({"sleep 0", "active 0"}), (std::vector<std::string>{"resume", "inactive"}));
}

}  // namespace
}  // namespace kv
