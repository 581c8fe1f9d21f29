#include "tabrix/firmware/ServiceModeDlg.h"

#include <cstdio>

namespace kv {

namespace {

constexpr uint32_t TEXT_AREA = 61200;
constexpr uint32_t TEXT_STATUS = 61201;
constexpr uint32_t TEXT_POINT = 61202;
constexpr uint32_t TEXT_CHECK = 61203;
constexpr uint32_t TEXT_ALL = 61204;
constexpr uint32_t TEXT_ERROR = 61205;
constexpr uint32_t TEXT_NO_FAILURE_DATA = 61206;
constexpr size_t BOARD_BYTE = 2;
constexpr size_t SENSOR_BYTE = 3;
constexpr size_t BITS_BYTE = 6;

std::string TwoDigits(uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

}  // namespace

CServiceModeDlg::CServiceModeDlg(ServiceModeContext context) : m_ctx(std::move(context)) {}

void CServiceModeDlg::OnInitDialog() {
  m_info = FirmwareInfoText::Read(m_ctx.m_port, m_ctx.m_strings);
  m_boards.clear();
  m_points.clear();
}

std::vector<std::string> CServiceModeDlg::BoardColumns() const {
  const std::string area = m_ctx.m_strings.Get(TEXT_AREA), status = m_ctx.m_strings.Get(TEXT_STATUS);
  return {area, status, area, status};
}

std::vector<std::string> CServiceModeDlg::PointColumns() const {
  const std::string area = m_ctx.m_strings.Get(TEXT_AREA), status = m_ctx.m_strings.Get(TEXT_STATUS),
                    point = m_ctx.m_strings.Get(TEXT_POINT);
  return {area, point, status, area, point, status};
}

int CServiceModeDlg::BoardCount() const {
  if (!m_ctx.m_pModel) return 0;
  const int total = m_ctx.m_pModel->TotalBoards();
  if (total < 0) return 0;
  return total > static_cast<int>(MODEL_MAX_BOARDS) ? static_cast<int>(MODEL_MAX_BOARDS) : total;
}

int CServiceModeDlg::SensorsOf(int board) const { return m_ctx.m_pModel->m_aSensors[board]; }

std::string CServiceModeDlg::Name(size_t index) const {
  // A model.ini list with too few names leaves the missing ones blank.
  return index < m_names.size() ? m_names[index] : std::string();
}

int32_t CServiceModeDlg::Counter(const std::vector<int32_t>& counters, int board) {
  return board >= 0 && static_cast<size_t>(board) < counters.size() ? counters[board] : NO_DATA;
}

int CServiceModeDlg::BoardOf(const CheckRecord& record) const {
  const int board = static_cast<int>(record[BOARD_BYTE]) - 1;
  return board >= 0 && board < BoardCount() ? board : -1;
}

void CServiceModeDlg::BeginSelfTest() {
  m_names.clear();
  if (m_ctx.m_pModel) {
    const std::string list = FixedText(m_ctx.m_pModel->m_szPcbList);
    size_t start = 0;
    while (m_names.size() < static_cast<size_t>(2 * BoardCount())) {
      const size_t bar = list.find('|', start);
      m_names.push_back(list.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
  }
  m_led.assign(static_cast<size_t>(BoardCount()), NO_DATA);
  m_sensor.assign(static_cast<size_t>(BoardCount()), NO_DATA);
}

bool CServiceModeDlg::FinishSelfTest(bool received, const std::vector<CheckRecord>& records) {
  if (!received) {
    m_ctx.m_boxes.Show(m_ctx.m_strings.Get(TEXT_NO_FAILURE_DATA), m_ctx.m_sTitle,
                       MBF_OK | MBF_ICON_HAND | MBF_TOPMOST | MBF_SET_FOREGROUND);
    return false;
  }
  CountFailures(records);
  FillBoards();
  FillPoints(records);
  return true;
}

bool CServiceModeDlg::RunSelfTest() {
  BeginSelfTest();
  std::vector<CheckRecord> records;
  const bool received = m_ctx.m_port.GetCheckData(&records);
  return FinishSelfTest(received, records);
}

void CServiceModeDlg::CountFailures(const std::vector<CheckRecord>& records) {
  int previous = -1;
  for (const CheckRecord& record : records) {
    const int board = BoardOf(record);
    if (board < 0) continue;  // a board this model does not have
    if (board != previous) {
      m_led[board] = 0;
      m_sensor[board] = 0;
      previous = board;
    }
    if (record[BITS_BYTE] & LED_BIT) ++m_led[board];
    if (record[BITS_BYTE] & SENSOR_BIT) ++m_sensor[board];
  }
}

std::string CServiceModeDlg::Status(int32_t count, int board) const {
  if (count == 0) return m_ctx.m_strings.Get(FirmwareInfoText::TEXT_OK);
  if (count == NO_DATA) return {};
  if (count == SensorsOf(board)) return m_ctx.m_strings.Get(TEXT_ALL);
  return m_ctx.m_strings.Get(TEXT_CHECK);
}

void CServiceModeDlg::FillBoards() {
  const int n = BoardCount();
  m_boards.clear();
  for (int i = 0; i < n; ++i)
    m_boards.push_back({Name(static_cast<size_t>(i)), Status(m_led[i], i),
                        Name(static_cast<size_t>(i + n)), Status(m_sensor[i], i)});
}

void CServiceModeDlg::FillPoints(const std::vector<CheckRecord>& records) {
  const int n = BoardCount();
  const std::string ok = m_ctx.m_strings.Get(FirmwareInfoText::TEXT_OK);
  const std::string all = m_ctx.m_strings.Get(TEXT_ALL), error = m_ctx.m_strings.Get(TEXT_ERROR);
  m_points.clear();
  for (const CheckRecord& record : records) {
    const int b = BoardOf(record);
    if (b < 0 || m_led[b] == NO_DATA || m_sensor[b] == NO_DATA) continue;
    if (m_led[b] == 0 && m_sensor[b] == 0) continue;
    const std::string name = Name(static_cast<size_t>(b)), pair = Name(static_cast<size_t>(b + n));
    if (m_led[b] == SensorsOf(b) && m_sensor[b] == SensorsOf(b)) {
      m_points.push_back({name, all, error, pair, all, error});
      m_led[b] = 0;  // the board's other records add nothing to "ALL"
      m_sensor[b] = 0;
      continue;
    }
    const uint8_t bits = record[BITS_BYTE];
    if (!(bits & (LED_BIT | SENSOR_BIT))) continue;
    const std::string point = TwoDigits(record[SENSOR_BYTE]);
    m_points.push_back({name, point, (bits & LED_BIT) ? error : ok, pair, point,
                        (bits & SENSOR_BIT) ? error : ok});
  }
}

}  // namespace kv
