#pragma once
// Stand-ins for what the settings screens reach: the main window (ScreenHost), the
// senders, the firmware's service port, the pointer, the host names and the test
// display's actions and view. Each records what it was asked and answers as told.
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/HostNames.h"
#include "platform/SystemParameters.h"
#include "tabrix/firmware/ServiceModePort.h"
#include "tabrix/ui/PenSettingsSender.h"
#include "tabrix/ui/PointerSource.h"
#include "tabrix/ui/ScreenHost.h"
#include "tabrix/ui/StatusDispActions.h"
#include "tabrix/ui/StatusDispView.h"

namespace kv::test {

class CFakeScreenHost final : public ScreenHost {
 public:
  bool DriverOn() const override { return m_bDriverOn; }
  bool Busy() const override { return m_bBusy; }
  void SetBusy(bool busy) override {
    m_bBusy = busy;
    m_log.push_back(busy ? "busy" : "idle");
  }
  void SetTestDisplayRequested(bool r) override { m_bRequested = r; }
  uint32_t PenButton() const override { return m_uPenButton; }
  void SetPenButton(uint32_t v) override { m_uPenButton = v; }
  bool PenLinkButton2Held() const override { return m_bButton2Held; }
  bool CommandTextSet() const override { return m_bCommandText; }
  void SetCommandText(bool on) override {
    m_bCommandText = on;
    m_log.push_back(on ? "text" : "notext");
  }
  void UpdateIcon() override { m_log.push_back("icon"); }
  bool m_bDriverOn = true, m_bBusy = false, m_bRequested = true, m_bButton2Held = false;
  bool m_bCommandText = true;
  uint32_t m_uPenButton = 0x0101;
  std::vector<std::string> m_log;
};

class CRecordingParameters final : public SystemParameters {
 public:
  uint32_t Get(SystemParameter p, uint32_t* v) override {
    *v = m_values[p];
    return 0;
  }
  uint32_t Set(SystemParameter p, uint32_t v, uint32_t) override {
    m_values[p] = v;
    m_sets.push_back({p, v});
    return 0;
  }
  std::map<SystemParameter, uint32_t> m_values;
  std::vector<std::pair<SystemParameter, uint32_t>> m_sets;
};

class CFakeSender final : public PenSettingsSender {
 public:
  bool SendFunctionButtons(uint32_t v) override { return Log("buttons", v, m_bButtonsOk); }
  bool SendInputAndTouchMode(uint32_t v) override { return Log("input", v, m_bInputOk); }
  bool SendRegionDetection(uint32_t v) override { return Log("region", v, m_bRegionOk); }
  bool Log(const std::string& what, uint32_t v, bool ok) {
    m_sent.push_back(what + "=" + std::to_string(v));
    return ok;
  }
  bool m_bButtonsOk = true, m_bInputOk = true, m_bRegionOk = true;
  std::vector<std::string> m_sent;
};

class CFakeServicePort final : public ServiceModePort {
 public:
  bool GetCheckSum(uint32_t* checksum, uint32_t* flag, uint32_t* version) override {
    *checksum = m_uChecksum;
    *flag = m_uFlag;
    *version = m_uVersion;
    return m_bSumOk;
  }
  bool GetCheckData(std::vector<CheckRecord>* records) override {
    *records = m_records;
    return m_bDataOk;
  }
  bool m_bSumOk = true, m_bDataOk = true;
  uint32_t m_uChecksum = 0x1a2b, m_uFlag = 1, m_uVersion = 0x010241;
  std::vector<CheckRecord> m_records;
};

class CFakePointer final : public PointerSource {
 public:
  PointerSample Sample() override { return m_sample; }
  PointerSample m_sample;
};

// Answers from a table; a name listed in m_hang blocks until Release().
class CFakeHostNames final : public HostNames {
 public:
  std::string ComputerName() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sName;
  }
  bool Resolve(const std::string& name, std::vector<Ipv4Address>* out) override {
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_iResolves;
    m_cv.notify_all();
    m_cv.wait(lock, [&] { return m_bReleased || name != m_sHang; });
    auto it = m_table.find(name);
    if (it == m_table.end()) return false;
    *out = it->second;
    return true;
  }
  void SetName(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sName = name;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bReleased = true;
    m_cv.notify_all();
  }
  int Resolves() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_iResolves;
  }
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::string m_sName = "host", m_sHang;
  bool m_bReleased = false;
  int m_iResolves = 0;
  std::map<std::string, std::vector<Ipv4Address>> m_table;
};

class CFakeStatusActions final : public StatusDispActions {
 public:
  const ModelEntry* CurrentModel() override { return m_pModel; }
  std::string PanelProductText() override { return m_sProduct; }
  std::string DriverVersionText() override { return m_sDriverVersion; }
  void RefreshDriverInfo() override { m_log.push_back("info"); }
  bool PanelConnected() override { return m_bConnected; }
  bool SendInputAndTouchMode(uint32_t v) override {
    m_log.push_back("input=" + std::to_string(v));
    return true;
  }
  bool SetInputEnable(uint32_t v) override {
    m_log.push_back("enable=" + std::to_string(v));
    return true;
  }
  bool ApplyCalibration(const CalibrationValues& v) override {
    m_applied.push_back(v);
    return m_bApplyOk;
  }
  const ModelEntry* m_pModel = nullptr;
  std::string m_sProduct = "VT-R700A", m_sDriverVersion = "7.1.0.3";
  bool m_bConnected = true, m_bApplyOk = true;
  std::vector<std::string> m_log;
  std::vector<CalibrationValues> m_applied;
};

class CFakeStatusView final : public StatusDispView {
 public:
  void StartTimer(uint32_t id, uint32_t ms) override { m_timers[id] = ms; }
  void StopTimer(uint32_t id) override { m_timers.erase(id); }
  void RunServiceMode(bool firmwareManaged) override {
    m_runs.push_back(firmwareManaged);
    if (m_onRun) m_onRun();
  }
  void HideWindow() override { m_bHidden = true; }
  std::map<uint32_t, uint32_t> m_timers;
  std::vector<bool> m_runs;
  std::function<void()> m_onRun;
  bool m_bHidden = false;
};

}  // namespace kv::test
