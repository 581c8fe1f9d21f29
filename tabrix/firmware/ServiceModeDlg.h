#pragma once
// The service-mode dialog of driver models (dialog 200): firmware information when it opens,
// and the self test of the LED and sensor boards. The test asks the panel for its failure
// records and makes two passes over them: the first counts LED and sensor failures per
// board for the summary list, the second lists the failed points, a board whose every
// sensor failed both ways as one "ALL" row.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/MessageBoxes.h"
#include "resources/StringTable.h"
#include "tabrix/driverlink/ModelEntry.h"
#include "tabrix/firmware/FirmwareInfoText.h"
#include "tabrix/firmware/ServiceModePort.h"

namespace kv {

struct ServiceModeContext {
  ServiceModePort& m_port;
  const CStringTable& m_strings;
  MessageBoxes& m_boxes;
  std::string m_sTitle;
  const ModelEntry* m_pModel = nullptr;  // boards, their sensors and names
};

class CServiceModeDlg {
 public:
  static constexpr uint32_t DIALOG_ID = 200;
  static constexpr uint8_t LED_BIT = 0x10;
  static constexpr uint8_t SENSOR_BIT = 0x01;
  static constexpr int32_t NO_DATA = -1;
  static constexpr int BOARD_COLUMN_WIDTH = 78;
  static constexpr int POINT_COLUMN_WIDTH = 49;
  using BoardRow = std::array<std::string, 4>;  // area, LED status, area, sensor status
  using PointRow = std::array<std::string, 6>;  // area, point, status, area, point, status

  explicit CServiceModeDlg(ServiceModeContext context);

  // When the dialog opens: firmware information and empty lists.
  void OnInitDialog();
  const FirmwareInfoText& Info() const { return m_info; }
  const std::vector<BoardRow>& Boards() const { return m_boards; }
  const std::vector<PointRow>& Points() const { return m_points; }
  // Column titles of the summary (4) and point (6) lists.
  std::vector<std::string> BoardColumns() const;
  std::vector<std::string> PointColumns() const;

  // The self test in its two halves, so that a view can ask the panel off its own thread
  // while the guide banner shows: Begin resets the counters, Finish takes the answer.
  void BeginSelfTest();
  // False when the panel gave no records ("Unable to obtain failure data." was shown).
  bool FinishSelfTest(bool received, const std::vector<CheckRecord>& records);
  bool RunSelfTest();

  int32_t LedCount(int board) const { return Counter(m_led, board); }
  int32_t SensorCount(int board) const { return Counter(m_sensor, board); }

 private:
  int BoardCount() const;
  int SensorsOf(int board) const;
  std::string Name(size_t index) const;
  // The record's board, 0-based; -1 when the record names no board of this model.
  int BoardOf(const CheckRecord& record) const;
  std::string Status(int32_t count, int board) const;
  void CountFailures(const std::vector<CheckRecord>& records);
  void FillBoards();
  void FillPoints(const std::vector<CheckRecord>& records);
  static int32_t Counter(const std::vector<int32_t>& counters, int board);

  ServiceModeContext m_ctx;
  FirmwareInfoText m_info;
  std::vector<std::string> m_names;
  std::vector<int32_t> m_led, m_sensor;
  std::vector<BoardRow> m_boards;
  std::vector<PointRow> m_points;
};

}  // namespace kv
