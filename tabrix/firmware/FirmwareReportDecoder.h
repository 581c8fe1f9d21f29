#pragma once
// The panel's input reports as the firmware link reads them: each answer type fills its
// answer fields and sets their valid flag, the self-test records are collected, and the pen
// reports go to the touch report handler, whose decisions come back with the result. The
// worker thread decodes; a caller reads the fields it asked for once the worker signalled
// the answer, so only the valid flags are shared while both run.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tabrix/firmware/TouchAction.h"
#include "tabrix/firmware/TouchReportHandler.h"

namespace kv {

class CFirmwareReportDecoder {
 public:
  using Record = std::array<uint8_t, 10>;
  static constexpr size_t MAX_CHECK_RECORDS = 1280;

  // The answer a command waits for; NONE for write-only commands.
  enum class Answer { DIP, CHECK, SUM, COMPAT, CALIB, DEVPOS, SCRPOS, NONE };

  struct Result {
    bool m_bComplete = false;       // the report ends the wait of an awaited answer
    bool m_bTouchAnswered = false;  // the report answers the worker's touch report request
    TouchActions m_actions;         // what the pen reports call for, in order
  };

  explicit CFirmwareReportDecoder(CTouchReportHandler& touch);

  // report: at least 10 bytes with report id 1, else nothing happens. Self-test records are
  // taken only while that request is the one in progress.
  Result Decode(const uint8_t* report, size_t length, bool checkDataRequest,
                const CTouchReportHandler::LinkState& link);

  bool Valid(Answer answer) const;
  void Clear(Answer answer);

  uint8_t Dip() const { return m_uDip; }
  uint32_t CheckSum() const { return m_uCheckSum; }
  uint32_t CheckSumFlag() const { return m_uCheckSumFlag; }
  uint32_t Version() const { return m_uVersion; }
  const std::array<uint16_t, 4>& Calibration() const { return m_aCalib; }
  const std::array<uint16_t, 4>& DevicePosition() const { return m_aDevicePos; }
  const std::array<uint16_t, 4>& ScreenPosition() const { return m_aScreenPos; }
  // The self-test records stored so far, end marker not counted.
  size_t CheckCount() const { return m_uCheckCount; }
  const Record& CheckRecord(size_t index) const { return m_checkData[index]; }

 private:
  static std::array<uint16_t, 4> Words(const uint8_t* r);
  bool CheckData(const uint8_t* r, bool checkDataRequest);

  CTouchReportHandler& m_touch;
  std::atomic<bool> m_bDipValid{false}, m_bCheckComplete{false}, m_bSumValid{false},
      m_bCompatValid{false}, m_bCalibValid{false}, m_bDevPosValid{false},
      m_bScrPosValid{false};
  uint8_t m_uDip = 0;
  std::vector<Record> m_checkData;
  size_t m_uCheckCount = 0;
  uint32_t m_uCheckSum = 0, m_uCheckSumFlag = 0, m_uVersion = 0;
  std::array<uint16_t, 4> m_aCalib{}, m_aDevicePos{}, m_aScreenPos{};
};

}  // namespace kv
