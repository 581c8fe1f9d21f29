#pragma once
// What the panel firmware does with the output reports [1, opcode, parameter] it gets,
// and the state behind its answers. Answers are 10-byte input reports: [1, answer type,
// 8 data bytes]; the device pads them to its input length. OS-neutral and thread-safe:
// the HID service thread feeds reports while the control channel changes the state.
#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "sim/panel-sim/PanelModel.h"

namespace kv {

struct PanelAnswer {
  std::array<uint8_t, 10> m_report;
  uint32_t m_uDelayMs;  // after the report is due, counted from the request
};

class CPanelFirmware {
 public:
  explicit CPanelFirmware(const PanelModel& model);

  // One output report from the host; the answers to send (none while muted).
  std::vector<PanelAnswer> HandleOutput(std::span<const uint8_t> report);

  // Reports the panel sends by itself when the pen or a button is used.
  std::vector<std::array<uint8_t, 10>> PenDown(uint16_t x, uint16_t y);
  void PenMove(uint16_t x, uint16_t y);
  std::vector<std::array<uint8_t, 10>> PenUp();
  std::array<uint8_t, 10> Button(unsigned button, bool pressed);

  void SetDipSwitch(uint8_t value);
  void SetCheckSum(uint16_t sum, uint8_t flag);
  void SetFirmwareVersion(uint32_t version);
  void SetCalibration(const std::array<uint16_t, 4>& words);
  std::array<uint16_t, 4> Calibration() const;
  // The next `count` calibration read-backs answer with a wrong first word, as a panel
  // with a flaky link would; the stored words stay as written. 0 cancels.
  void CorruptCalibrationReads(uint32_t count);
  void SetDevicePosition(const std::array<uint16_t, 4>& words);
  void SetScreenPosition(const std::array<uint16_t, 4>& words);
  // Self-test records: the 8 data bytes of each (bytes 2..9 of its report).
  void ClearRecords();
  void AddRecord(const std::array<uint8_t, 8>& data);
  void LoadDefaultRecords();
  size_t RecordCount() const;

  void SetMuted(bool muted);      // stop answering (still takes the commands in)
  void SetDelay(uint32_t ms);     // every answer comes this late
  void SetRecordPace(uint32_t ms);  // spacing of self-test records, like a USB poll interval

  // The parameter of the last report with this opcode, false when none came.
  bool LastParameter(uint8_t opcode, uint8_t* parameter) const;
  uint32_t ReceivedCount(uint8_t opcode) const;

 private:
  static std::array<uint8_t, 10> Report(uint8_t type);
  std::array<uint8_t, 10> WordsReport(uint8_t type, const std::array<uint16_t, 4>& w) const;

  mutable std::mutex m_mutex;
  const PanelModel& m_model;
  uint8_t m_uDip;
  uint16_t m_uCheckSum;
  uint8_t m_uCheckSumFlag;
  uint32_t m_uVersion;
  std::array<uint8_t, 8> m_calibration{};  // as opcodes 64..71 wrote it, byte by byte
  uint32_t m_uCorruptReads = 0;
  std::array<uint16_t, 4> m_devicePosition;
  std::array<uint16_t, 4> m_screenPosition;
  std::vector<std::array<uint8_t, 8>> m_records;
  bool m_bPenDown = false;
  uint16_t m_uPenX = 0, m_uPenY = 0;
  bool m_bMuted = false;
  uint32_t m_uDelayMs = 0;
  uint32_t m_uPaceMs = 2;
  std::array<uint8_t, 256> m_lastParameter{};
  std::array<uint32_t, 256> m_received{};
};

}  // namespace kv
