#pragma once
// Where the firmware link's worker stands between its reads and writes, as a state machine:
// one handler per state, every state and event named, every transition reported (the link
// writes it to the memory log). The machine only decides; the worker does the I/O that the
// state calls for and tells the machine what happened.
//
//   IDLE ---REQUEST_WRITTEN---> ANSWER_HOLD ---ANSWER_COMPLETE---> ANSWER_HELD
//     ^                            |  WRITE_TAKEN / hold time over      |
//     |                            v                                    v
//     +---REQUEST_WITHDRAWN--- ANSWER_WAIT <---WRITE_TAKEN / hold time over
//
//   IDLE/TOUCH_LOOP ---TOUCH_REQUESTED---> TOUCH_REPORT ---TOUCH_ANSWERED---> TOUCH_LOOP
//   TOUCH_LOOP/TOUCH_REPORT ---COMMAND---> TOUCH_LEAVE ---answer or time over---> IDLE
//   TOUCH_LOOP ---TOUCH_OVER---> IDLE
//
// PORT_LOST (port closed, panel gone, worker stopping) ends any wait: the request states go
// back to IDLE, touch reporting to TOUCH_LOOP, a leave to IDLE.
#include <cstdint>
#include <functional>

#include "platform/Clock.h"

namespace kv {

enum class FirmwareWorkerState : uint8_t {
  IDLE,          // reads reports as they come; a posted request is written from here
  ANSWER_HOLD,   // request written; the caller has not yet taken the write result
  ANSWER_HELD,   // ... and its answer arrived meanwhile: signalled once the result is taken
  ANSWER_WAIT,   // reads until the caller withdraws the request
  TOUCH_REPORT,  // the worker's own touch report request is out; reads its answer
  TOUCH_LOOP,    // between two touch report requests of one touch
  TOUCH_LEAVE,   // a command came during touch reporting: takes the outstanding answer
};

enum class FirmwareWorkerEvent : uint8_t {
  REQUEST_WRITTEN,    // a request's report went out and its answer is awaited
  ANSWER_COMPLETE,    // a report completed the awaited answer
  WRITE_TAKEN,        // the caller took the write result
  READ_DONE,          // a read ended with nothing else to tell (time-outs are checked here)
  REQUEST_WITHDRAWN,  // the caller withdrew its request
  TOUCH_REQUESTED,    // the touch report request went out
  TOUCH_ANSWERED,     // its answer arrived
  TOUCH_OVER,         // the touch ended between two requests
  COMMAND,            // a request, command or pause came during touch reporting
  PORT_LOST,          // the port closed, the panel went away or the worker stops
};

const char* FirmwareWorkerStateName(FirmwareWorkerState state);
const char* FirmwareWorkerEventName(FirmwareWorkerEvent event);

class CFirmwareWorkerMachine {
 public:
  using TransitionSink =
      std::function<void(FirmwareWorkerState from, FirmwareWorkerEvent event,
                          FirmwareWorkerState to)>;

  // holdMs: how long the answer is held for the caller to take the write result;
  // leaveMs: how long a leave waits for the answer to the outstanding touch request.
  CFirmwareWorkerMachine(Clock& clock, int holdMs, int leaveMs, TransitionSink sink = {})
      : m_clock(clock), m_iHoldMs(holdMs), m_iLeaveMs(leaveMs), m_sink(std::move(sink)) {}

  // True when the event changed the state.
  bool Handle(FirmwareWorkerEvent event);
  FirmwareWorkerState State() const { return m_state; }
  // The worker parks between passes only in these.
  bool Resting() const {
    return m_state == FirmwareWorkerState::IDLE || m_state == FirmwareWorkerState::TOUCH_LOOP;
  }
  // Milliseconds left of the current hold or leave (0 once over, or in other states).
  int TimeLeftMs() const;

 private:
  FirmwareWorkerState HandleIdle(FirmwareWorkerEvent event);
  FirmwareWorkerState HandleAnswerHold(FirmwareWorkerEvent event);
  FirmwareWorkerState HandleAnswerHeld(FirmwareWorkerEvent event);
  FirmwareWorkerState HandleAnswerWait(FirmwareWorkerEvent event);
  FirmwareWorkerState HandleTouchReport(FirmwareWorkerEvent event);
  FirmwareWorkerState HandleTouchLoop(FirmwareWorkerEvent event);
  FirmwareWorkerState HandleTouchLeave(FirmwareWorkerEvent event);
  bool TimeOver() const { return TimeLeftMs() == 0; }
  void Enter(FirmwareWorkerState to);

  Clock& m_clock;
  int m_iHoldMs;
  int m_iLeaveMs;
  TransitionSink m_sink;
  FirmwareWorkerState m_state = FirmwareWorkerState::IDLE;
  uint32_t m_uDeadline = 0;  // tick count at which a hold or leave is over
};

}  // namespace kv
