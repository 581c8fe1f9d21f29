// The worker thread of CTPdrvServiceMode: it parks on m_hEventThread between passes, and
// each pass either writes a posted request, asks the panel for the next touch report, or
// reads one report. Where a pass has to go on reading (an answer awaited, a touch report
// request out), the worker steps the state it is in until it rests again; the state machine
// (CFirmwareWorkerMachine) decides the transitions and the link traces them.
#include <algorithm>

#include "tabrix/driverlink/DriverSharedData.h"
#include "tabrix/firmware/TPdrvServiceMode.h"

namespace kv {

using State = FirmwareWorkerState;

void CTPdrvServiceMode::ThreadProc() {
  while (m_bKeepRunning) {
    if (Selected() != SELECT_FUNCTION_NONE) m_iTraceBudget = 3;
    if (m_iTraceBudget > 0) {
      Trace(true, "ThreadProc:while()");
      --m_iTraceBudget;
    }
    m_bParked = true;
    m_hEventThread.Wait(m_timeouts.m_iPollMs);
    m_bParked = false;
    if (!m_bKeepRunning) break;
    if (!m_bPause) ThreadOperation();
  }
  m_bRunning = false;
}

// Steps 1 to 4 of a pass: the request taken over, the panel still there, no other program
// asking for the port, the port open. False ends the pass.
bool CTPdrvServiceMode::PassChecks() {
  {
    std::lock_guard<std::mutex> lock(m_section);
    m_iThreadFunction = m_iSelectFunction;
  }
  if (!m_bPanelConnected) {
    ClosePort();
    FailRequest();
    return false;
  }
  if (m_pShared != nullptr && m_pShared->IsMapped() && !m_bDeviceChange) {
    if (m_pShared->ReleaseRequestA() != 0 || m_pShared->ReleaseRequestB() != 0) {
      if (m_pShared->PortHeld() == 1) {
        ClosePort();
        m_pShared->SetPortHeld(0);
      }
      FailRequest();
      return false;
    }
    m_pShared->SetPortHeld(1);
  }
  if (!IsPortOpen() && !OpenPort()) {
    FailRequest();
    return false;
  }
  return true;
}

void CTPdrvServiceMode::ThreadOperation() {
  if (!PassChecks()) return;
  const uint32_t code = m_iThreadFunction;
  if (m_machine.State() == State::TOUCH_LOOP) {
    if (!m_touch.TouchInProgress()) {
      Dispatch(Event::TOUCH_OVER);
    } else if (code != SELECT_FUNCTION_NONE || m_bCommand) {
      Dispatch(Event::COMMAND);  // the command came between two touch requests
      RunUntilResting();
    }
  }
  if (m_iThreadOperation == THREAD_OPERATION_NONE && code != SELECT_FUNCTION_NONE) {
    WriteRequest(code);
  } else if (m_iThreadOperation == THREAD_OPERATION_NONE && TouchReportingWanted(code)) {
    StartTouchReport();
  } else {
    ThreadReadPort();
  }
}

void CTPdrvServiceMode::WriteRequest(uint32_t code) {
  const uint8_t bytes[PANEL_COMMAND_BYTES] = {PANEL_REPORT_ID,
                                              static_cast<uint8_t>(m_iSetCommand.load()),
                                              static_cast<uint8_t>(m_iSetData.load())};
  if (!ThreadWritePort(bytes)) return;
  if (m_iThreadOperation == THREAD_OPERATION_NO_READ_DATA) {
    m_iThreadOperation = THREAD_OPERATION_NONE;
    return;
  }
  m_uWrittenCode = code;
  Dispatch(Event::REQUEST_WRITTEN);
  RunUntilResting();
}

bool CTPdrvServiceMode::TouchReportingWanted(uint32_t code) const {
  if (code != SELECT_FUNCTION_NONE || !m_touch.TouchInProgress() || m_bCommand || m_bPause ||
      !m_bPanelConnected)
    return false;
  if (m_pPenState == nullptr) return true;
  return !m_pPenState->TestRunning() &&
         (m_pPenState->TouchMode() == 0 || m_pPenState->CompatibleMode() != 0);
}

// One touch report request and the reads until its answer; the next idle pass asks again.
void CTPdrvServiceMode::StartTouchReport() {
  const uint8_t bytes[PANEL_COMMAND_BYTES] = {PANEL_REPORT_ID, PANEL_OP_TOUCH_REPORT, 0};
  if (!ThreadWritePort(bytes, true)) return;
  Dispatch(Event::TOUCH_REQUESTED);
  RunUntilResting();
}

void CTPdrvServiceMode::RunUntilResting() {
  while (!m_machine.Resting()) {
    switch (m_machine.State()) {
      case State::IDLE:
      case State::TOUCH_LOOP:
        return;
      case State::ANSWER_HOLD:
      case State::ANSWER_HELD:
        StepAnswerHold();
        break;
      case State::ANSWER_WAIT:
        StepAnswerWait();
        break;
      case State::TOUCH_REPORT:
        StepTouchReport();
        break;
      case State::TOUCH_LEAVE:
        StepTouchLeave();
        break;
    }
  }
}

// The caller must take the write result before the answer's completion is signalled (both
// use one auto-reset event). The panel answers at once, and the self test floods, so
// reports are read meanwhile and only the completion is held.
void CTPdrvServiceMode::StepAnswerHold() {
  constexpr int STEP_MS = 2;
  if (!m_bKeepRunning || !IsPortOpen()) return Dispatch(Event::PORT_LOST);
  if (Selected() != m_uWrittenCode) return Dispatch(Event::REQUEST_WITHDRAWN);
  const int left = m_machine.TimeLeftMs();
  if (left <= 0) return Dispatch(Event::READ_DONE);
  if (m_machine.State() == State::ANSWER_HELD)
    return Dispatch(m_hEventThread.Wait(left) ? Event::WRITE_TAKEN : Event::READ_DONE);
  ThreadReadPort(std::min(STEP_MS, left));
  Dispatch(m_hEventThread.Wait(0) ? Event::WRITE_TAKEN : Event::READ_DONE);
}

void CTPdrvServiceMode::StepAnswerWait() {
  if (!m_bKeepRunning || !IsPortOpen()) return Dispatch(Event::PORT_LOST);
  if (Selected() != m_uWrittenCode) return Dispatch(Event::REQUEST_WITHDRAWN);
  ThreadReadPort();
}

void CTPdrvServiceMode::StepTouchReport() {
  if (!m_bKeepRunning || !IsPortOpen()) return Dispatch(Event::PORT_LOST);
  if (m_iThreadOperation != THREAD_OPERATION_TOUCH_REPORT) return Dispatch(Event::TOUCH_ANSWERED);
  ThreadReadPort();
  if (m_iThreadOperation != THREAD_OPERATION_TOUCH_REPORT)
    Dispatch(Event::TOUCH_ANSWERED);
  else if (!m_bPanelConnected)
    Dispatch(Event::PORT_LOST);
  else if (Selected() != SELECT_FUNCTION_NONE || m_bCommand || m_bPause)
    Dispatch(Event::COMMAND);
}

// Takes the answer to the touch request still out: arriving later, it would end a
// command's wait.
void CTPdrvServiceMode::StepTouchLeave() {
  if (!m_bKeepRunning || !IsPortOpen()) return Dispatch(Event::PORT_LOST);
  if (m_iThreadOperation != THREAD_OPERATION_TOUCH_REPORT) return Dispatch(Event::TOUCH_ANSWERED);
  if (m_machine.TimeLeftMs() > 0) ThreadReadPort();
  Dispatch(Event::READ_DONE);
}

void CTPdrvServiceMode::Dispatch(Event event) { m_machine.Handle(event); }

// What leaving or entering a state means for the link; called by the machine on every
// transition.
void CTPdrvServiceMode::OnTransition(State from, Event event, State to) {
  m_workerState = to;
  if (m_pMemoryLog)
    Trace(true, std::string("Worker:") + FirmwareWorkerStateName(from) + "->" +
                    FirmwareWorkerStateName(to) + "(" + FirmwareWorkerEventName(event) + ")");
  switch (from) {
    case State::ANSWER_HELD:
      if (m_bCommand) SignalAnswer();  // the caller has taken the write result by now
      [[fallthrough]];
    case State::ANSWER_HOLD:
    case State::ANSWER_WAIT:
      if (to == State::IDLE) m_iThreadOperation = THREAD_OPERATION_NONE;
      return;
    case State::TOUCH_REPORT:
      // A lost port or a stop leaves no answer to wait for.
      if (to == State::TOUCH_LOOP) m_iThreadOperation = THREAD_OPERATION_NONE;
      return;
    case State::TOUCH_LEAVE: {
      TouchActions actions;
      m_touch.AbandonTouch(&actions);
      m_touchActions.Run(actions);
      m_iThreadOperation = THREAD_OPERATION_NONE;
      Trace(true, "TouchReport:SetPanelState(3)");
      return;
    }
    case State::IDLE:
    case State::TOUCH_LOOP:
      return;
  }
}

}  // namespace kv
