#pragma once
// The sensor window's logic: connects to whichever sensor model answers, keeps the one
// device of the run, polls it, disconnects it, and logs what happens in its list.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "optrim/device/MsgThrower.h"
#include "optrim/device/TouchDevBase.h"
#include "optrim/ui/MessageBoxHost.h"
#include "optrim/ui/OptrimHost.h"
#include "platform/Clock.h"
#include "resources/StringTable.h"

namespace kv {

class SensorWindowView {
 public:
  virtual ~SensorWindowView() = default;
  virtual void Changed() = 0;  // log, enabled state or cursor
  virtual void StartTimer(int id, uint32_t ms) = 0;
  virtual void StopTimer(int id) = 0;
  virtual void PostDisconnect() = 0;  // delivered later as OnDisconnectMessage
};

class CSensorWindow : public CMsgThrower {
 public:
  static constexpr int TIMER_POLL = 1;
  static constexpr int TIMER_DISCONNECT = 2;
  static constexpr int TIMER_START = 4;
  static constexpr uint32_t POLL_MS = 10;
  static constexpr uint32_t DISCONNECT_MS = 300;
  static constexpr uint32_t START_MS = 160;
  static constexpr uint32_t TRY_WAIT_MS = 100;
  static constexpr uint32_t NOT_READY_WAIT_MS = 500;
  static constexpr int PASSES = 4;
  static constexpr int MODEL_ORDER[] = {6, 5, 4, 3, 1, 2};

  using DeviceFactory = std::function<std::unique_ptr<CTouchDevBase>(int type)>;
  using Trace = std::function<void(const std::string&)>;

  // failureCaption: the caption of the box shown when no sensor answers.
  CSensorWindow(DeviceFactory factory, SensorWindowView& view, OptrimHost& host,
                MessageBoxHost& boxes, Clock& clock, const CStringTable& strings,
                std::string failureCaption, CBroadCaster* broadcaster, Trace trace = {});
  ~CSensorWindow() override;

  void Open();
  void OnTimer(int id);
  void Connect(bool openPanel);
  void Disconnect();
  void OnDisconnectMessage() { Disconnect(); }
  void ClearLog();
  void SetAutoExitOff(bool off) { m_bAutoExitOff = off; }
  void OnNotify(uint32_t code, uintptr_t payload) override;

  CTouchDevBase* Device() { return m_pDevice.get(); }
  int ModelType() const { return m_iType; }
  const std::vector<std::string>& Log() const { return m_log; }
  bool Enabled() const { return m_bEnabled; }
  bool WaitCursor() const { return m_bWaitCursor; }
  int ConnectTries() const { return m_iTries; }

  // The log texts of a model type: connected and already connected (ids, 0 if unknown).
  static uint32_t ConnectedMessage(int type);
  static uint32_t AlreadyConnectedMessage(int type);

 private:
  void AddLog(const std::string& line);
  // The device of the first model that answers, or nullptr; *notReady when one said 15.
  std::unique_ptr<CTouchDevBase> TryModels(bool* notReady, int* type);

  DeviceFactory m_factory;
  SensorWindowView& m_view;
  OptrimHost& m_host;
  MessageBoxHost& m_boxes;
  Clock& m_clock;
  const CStringTable& m_strings;
  std::string m_sFailureCaption;
  Trace m_trace;
  std::unique_ptr<CTouchDevBase> m_pDevice;
  int m_iType = 0;
  std::vector<std::string> m_log;
  bool m_bEnabled = true;
  bool m_bWaitCursor = false;
  bool m_bAutoExitOff = false;
  int m_iTries = 0;
};

}  // namespace kv
