#include "tabrix/firmware/FirmwareWorkerMachine.h"

namespace kv {

using S = FirmwareWorkerState;
using E = FirmwareWorkerEvent;

const char* FirmwareWorkerStateName(FirmwareWorkerState state) {
  switch (state) {
    case S::IDLE: return "IDLE";
    case S::ANSWER_HOLD: return "ANSWER_HOLD";
    case S::ANSWER_HELD: return "ANSWER_HELD";
    case S::ANSWER_WAIT: return "ANSWER_WAIT";
    case S::TOUCH_REPORT: return "TOUCH_REPORT";
    case S::TOUCH_LOOP: return "TOUCH_LOOP";
    case S::TOUCH_LEAVE: return "TOUCH_LEAVE";
  }
  return "?";
}

const char* FirmwareWorkerEventName(FirmwareWorkerEvent event) {
  switch (event) {
    case E::REQUEST_WRITTEN: return "REQUEST_WRITTEN";
    case E::ANSWER_COMPLETE: return "ANSWER_COMPLETE";
    case E::WRITE_TAKEN: return "WRITE_TAKEN";
    case E::READ_DONE: return "READ_DONE";
    case E::REQUEST_WITHDRAWN: return "REQUEST_WITHDRAWN";
    case E::TOUCH_REQUESTED: return "TOUCH_REQUESTED";
    case E::TOUCH_ANSWERED: return "TOUCH_ANSWERED";
    case E::TOUCH_OVER: return "TOUCH_OVER";
    case E::COMMAND: return "COMMAND";
    case E::PORT_LOST: return "PORT_LOST";
  }
  return "?";
}

bool CFirmwareWorkerMachine::Handle(FirmwareWorkerEvent event) {
  S to = m_state;
  switch (m_state) {
    case S::IDLE: to = HandleIdle(event); break;
    case S::ANSWER_HOLD: to = HandleAnswerHold(event); break;
    case S::ANSWER_HELD: to = HandleAnswerHeld(event); break;
    case S::ANSWER_WAIT: to = HandleAnswerWait(event); break;
    case S::TOUCH_REPORT: to = HandleTouchReport(event); break;
    case S::TOUCH_LOOP: to = HandleTouchLoop(event); break;
    case S::TOUCH_LEAVE: to = HandleTouchLeave(event); break;
  }
  if (to == m_state) return false;
  const S from = m_state;
  Enter(to);
  if (m_sink) m_sink(from, event, to);
  return true;
}

void CFirmwareWorkerMachine::Enter(FirmwareWorkerState to) {
  // A held answer keeps the hold's time; only a fresh hold or leave starts the clock.
  if (to == S::ANSWER_HOLD) m_uDeadline = m_clock.TickCount() + static_cast<uint32_t>(m_iHoldMs);
  if (to == S::TOUCH_LEAVE) m_uDeadline = m_clock.TickCount() + static_cast<uint32_t>(m_iLeaveMs);
  m_state = to;
}

int CFirmwareWorkerMachine::TimeLeftMs() const {
  if (m_state != S::ANSWER_HOLD && m_state != S::ANSWER_HELD && m_state != S::TOUCH_LEAVE)
    return 0;
  // Tick counts wrap; the difference does not.
  const auto left = static_cast<int32_t>(m_uDeadline - m_clock.TickCount());
  return left > 0 ? left : 0;
}

S CFirmwareWorkerMachine::HandleIdle(FirmwareWorkerEvent event) {
  switch (event) {
    case E::REQUEST_WRITTEN: return S::ANSWER_HOLD;
    case E::TOUCH_REQUESTED: return S::TOUCH_REPORT;
    case E::ANSWER_COMPLETE:
    case E::WRITE_TAKEN:
    case E::READ_DONE:
    case E::REQUEST_WITHDRAWN:
    case E::TOUCH_ANSWERED:
    case E::TOUCH_OVER:
    case E::COMMAND:
    case E::PORT_LOST:
      return S::IDLE;
  }
  return S::IDLE;
}

S CFirmwareWorkerMachine::HandleAnswerHold(FirmwareWorkerEvent event) {
  switch (event) {
    case E::ANSWER_COMPLETE: return S::ANSWER_HELD;
    case E::WRITE_TAKEN: return S::ANSWER_WAIT;
    case E::READ_DONE: return TimeOver() ? S::ANSWER_WAIT : S::ANSWER_HOLD;
    case E::REQUEST_WITHDRAWN:
    case E::PORT_LOST:
      return S::IDLE;
    case E::REQUEST_WRITTEN:
    case E::TOUCH_REQUESTED:
    case E::TOUCH_ANSWERED:
    case E::TOUCH_OVER:
    case E::COMMAND:
      return S::ANSWER_HOLD;
  }
  return S::ANSWER_HOLD;
}

S CFirmwareWorkerMachine::HandleAnswerHeld(FirmwareWorkerEvent event) {
  switch (event) {
    case E::WRITE_TAKEN: return S::ANSWER_WAIT;
    case E::READ_DONE: return TimeOver() ? S::ANSWER_WAIT : S::ANSWER_HELD;
    case E::REQUEST_WITHDRAWN:
    case E::PORT_LOST:
      return S::IDLE;
    case E::ANSWER_COMPLETE:
    case E::REQUEST_WRITTEN:
    case E::TOUCH_REQUESTED:
    case E::TOUCH_ANSWERED:
    case E::TOUCH_OVER:
    case E::COMMAND:
      return S::ANSWER_HELD;
  }
  return S::ANSWER_HELD;
}

S CFirmwareWorkerMachine::HandleAnswerWait(FirmwareWorkerEvent event) {
  switch (event) {
    case E::REQUEST_WITHDRAWN:
    case E::PORT_LOST:
      return S::IDLE;
    case E::REQUEST_WRITTEN:
    case E::ANSWER_COMPLETE:
    case E::WRITE_TAKEN:
    case E::READ_DONE:
    case E::TOUCH_REQUESTED:
    case E::TOUCH_ANSWERED:
    case E::TOUCH_OVER:
    case E::COMMAND:
      return S::ANSWER_WAIT;
  }
  return S::ANSWER_WAIT;
}

S CFirmwareWorkerMachine::HandleTouchReport(FirmwareWorkerEvent event) {
  switch (event) {
    case E::TOUCH_ANSWERED:
    case E::PORT_LOST:
      return S::TOUCH_LOOP;
    case E::COMMAND: return S::TOUCH_LEAVE;
    case E::REQUEST_WRITTEN:
    case E::ANSWER_COMPLETE:
    case E::WRITE_TAKEN:
    case E::READ_DONE:
    case E::REQUEST_WITHDRAWN:
    case E::TOUCH_REQUESTED:
    case E::TOUCH_OVER:
      return S::TOUCH_REPORT;
  }
  return S::TOUCH_REPORT;
}

S CFirmwareWorkerMachine::HandleTouchLoop(FirmwareWorkerEvent event) {
  switch (event) {
    case E::TOUCH_REQUESTED: return S::TOUCH_REPORT;
    case E::TOUCH_OVER: return S::IDLE;
    case E::COMMAND: return S::TOUCH_LEAVE;
    // The touch outlives a lost port: once it reopens, the panel is asked again.
    case E::PORT_LOST:
    case E::REQUEST_WRITTEN:
    case E::ANSWER_COMPLETE:
    case E::WRITE_TAKEN:
    case E::READ_DONE:
    case E::REQUEST_WITHDRAWN:
    case E::TOUCH_ANSWERED:
      return S::TOUCH_LOOP;
  }
  return S::TOUCH_LOOP;
}

S CFirmwareWorkerMachine::HandleTouchLeave(FirmwareWorkerEvent event) {
  switch (event) {
    case E::TOUCH_ANSWERED:
    case E::PORT_LOST:
      return S::IDLE;
    case E::READ_DONE: return TimeOver() ? S::IDLE : S::TOUCH_LEAVE;
    case E::REQUEST_WRITTEN:
    case E::ANSWER_COMPLETE:
    case E::WRITE_TAKEN:
    case E::REQUEST_WITHDRAWN:
    case E::TOUCH_REQUESTED:
    case E::TOUCH_OVER:
    case E::COMMAND:
      return S::TOUCH_LEAVE;
  }
  return S::TOUCH_LEAVE;
}

}  // namespace kv
