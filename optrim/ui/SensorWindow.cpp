#include "optrim/ui/SensorWindow.h"

#include "optrim/ui/OptrimStrings.h"

namespace kv {

namespace {

struct ModelMessages {
  int type;
  uint32_t connected;
  uint32_t already;
};

constexpr ModelMessages MODEL_MESSAGES[] = {
    {1, 110, 113}, {2, 112, 114}, {3, 121, 120}, {4, 123, 122}, {5, 104, 103}, {6, 123, 122},
};

const char* ConnectCodeName(int code) {
  switch (code) {
    case CONNECT_OK: return "connected";
    case CONNECT_NO_DEVICE: return "no device";
    case CONNECT_NOT_READY: return "optical axis not ready";
    default: return "undefined error";
  }
}

}  // namespace

uint32_t CSensorWindow::ConnectedMessage(int type) {
  for (const auto& m : MODEL_MESSAGES)
    if (m.type == type) return m.connected;
  return 0;
}

uint32_t CSensorWindow::AlreadyConnectedMessage(int type) {
  for (const auto& m : MODEL_MESSAGES)
    if (m.type == type) return m.already;
  return 0;
}

CSensorWindow::CSensorWindow(DeviceFactory factory, SensorWindowView& view, OptrimHost& host,
                             MessageBoxHost& boxes, Clock& clock, const CStringTable& strings,
                             std::string failureCaption, CBroadCaster* broadcaster, Trace trace)
    : CMsgThrower(broadcaster),
      m_factory(std::move(factory)),
      m_view(view),
      m_host(host),
      m_boxes(boxes),
      m_clock(clock),
      m_strings(strings),
      m_sFailureCaption(std::move(failureCaption)),
      m_trace(std::move(trace)) {}

CSensorWindow::~CSensorWindow() {
  UnregisterListener();
  m_pDevice.reset();
}

void CSensorWindow::Open() {
  RegisterListener();
  m_view.StartTimer(TIMER_START, START_MS);
}

void CSensorWindow::AddLog(const std::string& line) {
  m_log.push_back(line);
  if (m_trace) m_trace("CTevraDlg: " + line);
  m_view.Changed();
}

void CSensorWindow::ClearLog() {
  m_log.clear();
  m_view.Changed();
}

void CSensorWindow::OnTimer(int id) {
  switch (id) {
    case TIMER_POLL:
      if (m_pDevice) m_pDevice->Poll();
      break;
    case TIMER_DISCONNECT:
      m_view.StopTimer(TIMER_DISCONNECT);
      m_pDevice.reset();  // mode 0, input thread stopped, handles closed
      m_iType = 0;
      m_bEnabled = true;
      AddLog(m_strings.Get(optrim_str::DISCONNECTED));
      break;
    case TIMER_START:
      m_view.StopTimer(TIMER_START);
      Connect(true);
      break;
    default:
      break;
  }
}

std::unique_ptr<CTouchDevBase> CSensorWindow::TryModels(bool* notReady, int* type) {
  for (int pass = 0; pass < PASSES; ++pass) {
    bool passNotReady = false;
    for (int model : MODEL_ORDER) {
      std::unique_ptr<CTouchDevBase> dev = m_factory(model);
      if (!dev) continue;
      const int rc = dev->Connect();
      ++m_iTries;
      if (m_trace)
        m_trace("CTevraDlg: model " + std::to_string(model) + ": " + ConnectCodeName(rc));
      m_clock.Sleep(TRY_WAIT_MS);
      if (rc == CONNECT_OK) {
        *type = model;
        return dev;
      }
      if (rc == CONNECT_NOT_READY) passNotReady = *notReady = true;
    }
    if (passNotReady) m_clock.Sleep(NOT_READY_WAIT_MS);
  }
  return nullptr;
}

void CSensorWindow::Connect(bool openPanel) {
  if (m_pDevice) {
    const uint32_t id = AlreadyConnectedMessage(m_iType);
    AddLog(m_strings.Get(id ? id : optrim_str::UNDEFINED_SENSOR));
    return;
  }
  m_bEnabled = false;
  m_bWaitCursor = true;
  m_view.Changed();
  bool notReady = false;
  int type = 0;
  std::unique_ptr<CTouchDevBase> dev = TryModels(&notReady, &type);
  if (dev) {
    m_pDevice = std::move(dev);
    m_iType = type;
    m_view.StartTimer(TIMER_POLL, POLL_MS);
    AddLog(m_strings.Get(ConnectedMessage(type)));
    if (openPanel) m_host.PostToMain(MAIN_MSG_OPEN_PANEL, 7, m_pDevice.get());
  } else {
    const std::string text = m_strings.Get(notReady ? optrim_str::SENSOR_INITIALIZING
                                                    : optrim_str::SENSOR_NOT_FOUND);
    AddLog(text);
    m_boxes.Show(m_sFailureCaption, text, MSG_ICON_WARNING, MSG_BUTTONS_OK);
    m_host.PostToMain(MAIN_MSG_END_PROGRAM, 0, nullptr);
  }
  m_bEnabled = true;
  m_bWaitCursor = false;
  m_view.Changed();
}

void CSensorWindow::Disconnect() {
  if (!m_pDevice) return;
  m_bEnabled = false;
  m_view.Changed();
  Post(NOTIFY_DEVICE_CLOSING, reinterpret_cast<uintptr_t>(m_pDevice.get()));
  m_view.StopTimer(TIMER_POLL);
  m_view.StartTimer(TIMER_DISCONNECT, DISCONNECT_MS);
}

void CSensorWindow::OnNotify(uint32_t code, uintptr_t payload) {
  if (code != NOTIFY_DEVICE_LOST || !m_pDevice) return;
  if (payload != reinterpret_cast<uintptr_t>(m_pDevice.get())) return;
  if (m_trace) m_trace(std::string("CTevraDlg: device lost") + (m_bAutoExitOff ? ", kept" : ""));
  if (!m_bAutoExitOff) m_view.PostDisconnect();
}

}  // namespace kv
