// The firmware worker's state machine on a fake clock: which event leads where from each
// state, the hold and leave times, and what the trace hears of each transition.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tabrix/firmware/FirmwareWorkerMachine.h"
#include "tests/support/FakeClock.h"

namespace kv {
namespace {

using S = FirmwareWorkerState;
using E = FirmwareWorkerEvent;

constexpr int HOLD_MS = 40;
constexpr int LEAVE_MS = 1000;

const S ALL_STATES[] = {S::IDLE,         S::ANSWER_HOLD, S::ANSWER_HELD, S::ANSWER_WAIT,
                        S::TOUCH_REPORT, S::TOUCH_LOOP,  S::TOUCH_LEAVE};
const E ALL_EVENTS[] = {E::REQUEST_WRITTEN,   E::ANSWER_COMPLETE, E::WRITE_TAKEN,
                        E::READ_DONE,         E::REQUEST_WITHDRAWN, E::TOUCH_REQUESTED,
                        E::TOUCH_ANSWERED,    E::TOUCH_OVER,      E::COMMAND,
                        E::PORT_LOST};

// The events that bring a fresh machine to `state`.
std::vector<E> PathTo(S state) {
  switch (state) {
    case S::IDLE: return {};
    case S::ANSWER_HOLD: return {E::REQUEST_WRITTEN};
    case S::ANSWER_HELD: return {E::REQUEST_WRITTEN, E::ANSWER_COMPLETE};
    case S::ANSWER_WAIT: return {E::REQUEST_WRITTEN, E::WRITE_TAKEN};
    case S::TOUCH_REPORT: return {E::TOUCH_REQUESTED};
    case S::TOUCH_LOOP: return {E::TOUCH_REQUESTED, E::TOUCH_ANSWERED};
    case S::TOUCH_LEAVE: return {E::TOUCH_REQUESTED, E::COMMAND};
  }
  return {};
}

TEST(FirmwareWorkerMachineTest, EveryStateAndEventHasItsOwnName) {
  std::set<std::string> names;
  for (S s : ALL_STATES) names.insert(FirmwareWorkerStateName(s));
  for (E e : ALL_EVENTS) names.insert(FirmwareWorkerEventName(e));
  EXPECT_EQ(names.size(), std::size(ALL_STATES) + std::size(ALL_EVENTS));
  EXPECT_EQ(names.count("?"), 0u);
}

// Every state against every event, before any time has passed: the transitions that exist;
// every other pair leaves the state as it is.
TEST(FirmwareWorkerMachineTest, TransitionTable) {
  struct Move {
    S from;
    E event;
    S to;
  } moves[] = {
      {S::IDLE, E::REQUEST_WRITTEN, S::ANSWER_HOLD},
      {S::IDLE, E::TOUCH_REQUESTED, S::TOUCH_REPORT},
      {S::ANSWER_HOLD, E::ANSWER_COMPLETE, S::ANSWER_HELD},
      {S::ANSWER_HOLD, E::WRITE_TAKEN, S::ANSWER_WAIT},
      {S::ANSWER_HOLD, E::REQUEST_WITHDRAWN, S::IDLE},
      {S::ANSWER_HOLD, E::PORT_LOST, S::IDLE},
      {S::ANSWER_HELD, E::WRITE_TAKEN, S::ANSWER_WAIT},
      {S::ANSWER_HELD, E::REQUEST_WITHDRAWN, S::IDLE},
      {S::ANSWER_HELD, E::PORT_LOST, S::IDLE},
      {S::ANSWER_WAIT, E::REQUEST_WITHDRAWN, S::IDLE},
      {S::ANSWER_WAIT, E::PORT_LOST, S::IDLE},
      {S::TOUCH_REPORT, E::TOUCH_ANSWERED, S::TOUCH_LOOP},
      {S::TOUCH_REPORT, E::PORT_LOST, S::TOUCH_LOOP},
      {S::TOUCH_REPORT, E::COMMAND, S::TOUCH_LEAVE},
      {S::TOUCH_LOOP, E::TOUCH_REQUESTED, S::TOUCH_REPORT},
      {S::TOUCH_LOOP, E::TOUCH_OVER, S::IDLE},
      {S::TOUCH_LOOP, E::COMMAND, S::TOUCH_LEAVE},
      {S::TOUCH_LEAVE, E::TOUCH_ANSWERED, S::IDLE},
      {S::TOUCH_LEAVE, E::PORT_LOST, S::IDLE},
  };
  for (S from : ALL_STATES) {
    for (E event : ALL_EVENTS) {
      S want = from;
      for (const Move& m : moves)
        if (m.from == from && m.event == event) want = m.to;
      test::CFakeClock clock;
      CFirmwareWorkerMachine machine(clock, HOLD_MS, LEAVE_MS);
      for (E step : PathTo(from)) ASSERT_TRUE(machine.Handle(step));
      ASSERT_EQ(machine.State(), from);
      EXPECT_EQ(machine.Handle(event), want != from);
      EXPECT_EQ(machine.State(), want)
          << FirmwareWorkerStateName(from) << " + " << FirmwareWorkerEventName(event);
    }
  }
}

TEST(FirmwareWorkerMachineTest, OnlyIdleAndTheTouchLoopRest) {
  for (S s : ALL_STATES) {
    test::CFakeClock clock;
    CFirmwareWorkerMachine machine(clock, HOLD_MS, LEAVE_MS);
    for (E step : PathTo(s)) machine.Handle(step);
    EXPECT_EQ(machine.Resting(), s == S::IDLE || s == S::TOUCH_LOOP) << FirmwareWorkerStateName(s);
  }
}

// The hold lasts the poll time from the write; an answer held meanwhile does not extend it.
TEST(FirmwareWorkerMachineTest, HoldEndsAfterItsTimeEvenWithAnAnswerHeld) {
  for (bool held : {false, true}) {
    SCOPED_TRACE(held ? "held" : "holding");
    test::CFakeClock clock;
    clock.Advance(5);
    CFirmwareWorkerMachine machine(clock, HOLD_MS, LEAVE_MS);
    machine.Handle(E::REQUEST_WRITTEN);
    EXPECT_EQ(machine.TimeLeftMs(), HOLD_MS);
    clock.Advance(30);
    if (held) machine.Handle(E::ANSWER_COMPLETE);
    const S holding = held ? S::ANSWER_HELD : S::ANSWER_HOLD;
    EXPECT_FALSE(machine.Handle(E::READ_DONE));
    EXPECT_EQ(machine.TimeLeftMs(), HOLD_MS - 30);
    clock.Advance(HOLD_MS - 31);
    EXPECT_FALSE(machine.Handle(E::READ_DONE));
    EXPECT_EQ(machine.State(), holding);
    clock.Advance(1);
    EXPECT_EQ(machine.TimeLeftMs(), 0);
    EXPECT_TRUE(machine.Handle(E::READ_DONE));
    EXPECT_EQ(machine.State(), S::ANSWER_WAIT);
    EXPECT_EQ(machine.TimeLeftMs(), 0);
  }
}

TEST(FirmwareWorkerMachineTest, LeaveGivesUpOnTheTouchAnswerAfterItsTimeAcrossTheTickWrap) {
  test::CFakeClock clock;
  clock.Advance(UINT32_MAX - 500);  // the tick count wraps during the leave
  CFirmwareWorkerMachine machine(clock, HOLD_MS, LEAVE_MS);
  machine.Handle(E::TOUCH_REQUESTED);
  machine.Handle(E::COMMAND);
  ASSERT_EQ(machine.State(), S::TOUCH_LEAVE);
  clock.Advance(LEAVE_MS - 1);
  EXPECT_FALSE(machine.Handle(E::READ_DONE));
  EXPECT_EQ(machine.TimeLeftMs(), 1);
  clock.Advance(1);
  EXPECT_TRUE(machine.Handle(E::READ_DONE));
  EXPECT_EQ(machine.State(), S::IDLE);
}

TEST(FirmwareWorkerMachineTest, SinkHearsEachTransitionOnce) {
  test::CFakeClock clock;
  std::vector<std::string> heard;
  CFirmwareWorkerMachine machine(clock, HOLD_MS, LEAVE_MS, [&](S from, E event, S to) {
    heard.push_back(std::string(FirmwareWorkerStateName(from)) + ">" +
                    FirmwareWorkerEventName(event) + ">" + FirmwareWorkerStateName(to));
  });
  for (E e : {E::READ_DONE, E::TOUCH_REQUESTED, E::READ_DONE, E::TOUCH_ANSWERED, E::COMMAND,
              E::PORT_LOST, E::REQUEST_WRITTEN, E::WRITE_TAKEN, E::REQUEST_WITHDRAWN})
    machine.Handle(e);
  EXPECT_EQ(heard, (std::vector<std::string>{
                       "IDLE>TOUCH_REQUESTED>TOUCH_REPORT",
                       "TOUCH_REPORT>TOUCH_ANSWERED>TOUCH_LOOP",
                       "TOUCH_LOOP>COMMAND>TOUCH_LEAVE",
                       "TOUCH_LEAVE>PORT_LOST>IDLE",
                       "IDLE>REQUEST_WRITTEN>ANSWER_HOLD",
                       "ANSWER_HOLD>WRITE_TAKEN>ANSWER_WAIT",
                       "ANSWER_WAIT>REQUEST_WITHDRAWN>IDLE",
                   }));
}

}  // namespace
}  // namespace kv
