#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/Event.h"

namespace kv {
namespace {

using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

TEST(Event, ManualResetStaysSetUntilReset) {
  CEvent event(true);
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait(0));  // a wait does not consume a manual-reset event
  EXPECT_TRUE(event.IsSet());
  event.Reset();
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(0));
}

TEST(Event, AutoResetIsTakenByOneWait) {
  CEvent event(false, true);
  EXPECT_TRUE(event.IsSet());
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  event.Set();  // not counted: still one wait's worth
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));
}

TEST(Event, AutoResetReleasesExactlyOneOfTwoWaiters) {
  CEvent event(false);
  std::atomic<int> released{0};
  auto waiter = [&] {
    if (event.Wait(300)) ++released;
  };
  std::thread a(waiter), b(waiter);
  event.Set();
  a.join();
  b.join();
  EXPECT_EQ(released.load(), 1);
  EXPECT_FALSE(event.IsSet());
}

TEST(Event, ManualResetReleasesEveryWaiter) {
  CEvent event(true);
  std::atomic<int> released{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 3; ++i) {
    threads.emplace_back([&] {
      if (event.Wait(10000)) ++released;
    });
  }
  std::this_thread::sleep_for(Ms(20));  // let them block, so Set has to wake them
  event.Set();
  for (auto& t : threads) t.join();
  EXPECT_EQ(released.load(), 3);
}

TEST(Event, TimedWaitGivesUpAfterItsTime) {
  CEvent event(true);
  auto start = SteadyClock::now();
  EXPECT_FALSE(event.Wait(60));
  auto waited = SteadyClock::now() - start;
  EXPECT_GE(waited, Ms(55));
  EXPECT_LT(waited, Ms(5000));
}

TEST(Event, WaitWakesWhenAnotherThreadSets) {
  CEvent event(false);
  std::thread setter([&] {
    std::this_thread::sleep_for(Ms(20));
    event.Set();
  });
  auto start = SteadyClock::now();
  EXPECT_TRUE(event.Wait(10000));
  EXPECT_LT(SteadyClock::now() - start, Ms(5000));
  setter.join();

  std::thread setterAgain([&] {
    std::this_thread::sleep_for(Ms(20));
    event.Set();
  });
  EXPECT_TRUE(event.Wait(-1));  // no limit
  setterAgain.join();
}

}  // namespace
}  // namespace kv
