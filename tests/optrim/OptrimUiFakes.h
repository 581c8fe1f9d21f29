#pragma once
// Fakes for the sensor tool's window logic: a sensor that records what it is sent, views
// that record what they are asked, message boxes with prepared answers.
#include <deque>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "optrim/calibration/DefaultTables.h"
#include "optrim/device/SensorModel.h"
#include "optrim/ui/CalScreenView.h"
#include "optrim/ui/MessageBoxHost.h"
#include "optrim/ui/OptrimHost.h"
#include "optrim/ui/SensorLink.h"
#include "tests/support/FakeClock.h"

namespace kv::test {

class CFakeSensorLink : public SensorLink {
 public:
  explicit CFakeSensorLink(CFakeClock& clock) : m_clock(clock) {
    const ModelDescriptor* mqa = FindModelDescriptor(6);
    m_block = MakeDefaultCalBlock(mqa->m_calDefaults);
    m_settings = DefaultCalibrationGenSettings(4, mqa->m_calDefaults.margins.x0);
  }
  SensorCalBlock CalBlock() override { return m_block; }
  CalibrationGenSettings GenSettings() override { return m_settings; }
  uint32_t Baseline() override { return 32767; }
  void SetMode(uint8_t mode) override { m_modes.push_back(mode); }
  void StartInput() override { m_bInput = true; ++m_iInputStarts; }
  void StopInput() override { m_bInput = false; }
  bool Upload(const SensorCalBlock& block, UploadParts parts) override {
    m_uploads.push_back({block, parts});
    if (!m_bUploadOk) return false;
    if (parts == UPLOAD_ALL) m_block = block;
    else m_block.basic = block.basic;
    return true;
  }
  void MarkCalibrated() override { m_bCalibrated = true; }
  void FlashOperation(uint8_t sub) override {
    m_flashSubs.push_back(sub);
    m_uFlashAt = m_clock.TickCount();
  }
  uint16_t ReadFlashState() override {
    m_uFlashReadAt = m_clock.TickCount();
    return m_uFlashState;
  }

  CFakeClock& m_clock;
  SensorCalBlock m_block{};
  CalibrationGenSettings m_settings{};
  std::vector<uint8_t> m_modes;
  bool m_bInput = false;
  int m_iInputStarts = 0;
  std::vector<std::pair<SensorCalBlock, UploadParts>> m_uploads;
  bool m_bUploadOk = true;
  bool m_bCalibrated = false;
  std::vector<uint8_t> m_flashSubs;
  uint32_t m_uFlashAt = 0, m_uFlashReadAt = 0;
  uint16_t m_uFlashState = 0;
};

struct ShownBox {
  std::string caption, text;
  MsgIcon icon;
  MsgButtons buttons;
};

class CFakeBoxes : public MessageBoxHost {
 public:
  MsgAnswer Show(const std::string& caption, const std::string& text, MsgIcon icon,
                 MsgButtons buttons) override {
    m_shown.push_back({caption, text, icon, buttons});
    if (buttons == MSG_BUTTONS_OK) return MSG_ANSWER_OK;
    MsgAnswer a = m_answers.empty() ? MSG_ANSWER_NO : m_answers.front();
    if (!m_answers.empty()) m_answers.pop_front();
    return a;
  }
  std::deque<MsgAnswer> m_answers;
  std::vector<ShownBox> m_shown;
};

class CFakeScreenView : public CalScreenView {
 public:
  void Changed() override { ++m_iChanged; }
  void PostToScreen(uint32_t message, int wParam) override { m_posted.push_back({message, wParam}); }
  bool TakeKey(ScreenKey key) override { return m_keys.erase(key) != 0; }
  void CloseWindow() override { m_bClosed = true; }
  void Press(ScreenKey key) { m_keys.insert(key); }

  int m_iChanged = 0;
  std::deque<std::pair<uint32_t, int>> m_posted;
  std::set<ScreenKey> m_keys;
  bool m_bClosed = false;
};

struct PostedToMain {
  uint32_t message;
  int wParam;
  CTouchDevBase* device;
};

class CFakeHost : public OptrimHost {
 public:
  void PostToMain(uint32_t message, int wParam, CTouchDevBase* device) override {
    m_posted.push_back({message, wParam, device});
  }
  bool Has(uint32_t message) const {
    for (const auto& p : m_posted)
      if (p.message == message) return true;
    return false;
  }
  std::vector<PostedToMain> m_posted;
};

}  // namespace kv::test
