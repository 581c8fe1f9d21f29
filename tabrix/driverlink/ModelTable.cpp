#include "tabrix/driverlink/ModelTable.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <string_view>

#include "platform/Paths.h"

namespace kv {

namespace {

// GetPrivateProfileString into a 260-byte buffer, as every model.ini value is read.
constexpr size_t INI_VALUE_CAPACITY = 260;
constexpr const char* MODEL_SECTION = "MODEL";

ModelEntry MakeBuiltIn(const char* name, const char* service, const char* file,
                       const char* device, uint32_t productId, uint32_t type) {
  static constexpr uint8_t SENSORS[] = {64, 64, 64, 64, 52, 48, 64, 64, 46, 27};
  ModelEntry row;
  SetFixedText(row.m_szName, name);
  SetFixedText(row.m_szRegistry, std::string("\\") + name);
  SetFixedText(row.m_szDriverRegistry, service);
  SetFixedText(row.m_szDriverFileName, file);
  SetFixedText(row.m_szDriverDeviceName, device);
  row.m_uVendorId = 0x2F11;
  row.m_uProductId = productId;
  SetFixedText(row.m_szColNumber, "col01");
  row.m_sVerticalPcb = 6;
  row.m_sHorizontalPcb = 4;
  SetFixedText(row.m_szPcbList, "XA|XB|XC|XD|XE|XF|YA|YB|YC|YD|XA|XB|XC|XD|XE|XF|YA|YB|YC|YD");
  std::copy(std::begin(SENSORS), std::end(SENSORS), row.m_aSensors);
  row.m_uModelType = type;
  return row;
}

const ModelEntry BUILT_IN_ROWS[CModelTable::BUILT_IN_COUNT] = {
    MakeBuiltIn("VT-R700A", "SYSTEM\\CurrentControlSet\\Services\\kvtpd700", "kvtpd700.sys",
                "\\\\.\\kvtpd700", 0x5A01, MODEL_TYPE_DRIVER),
    MakeBuiltIn("VT-R800A", "SYSTEM\\CurrentControlSet\\Services\\kvtpd800", "kvtpd800.sys",
                "\\\\.\\kvtpd800", 0x5A02, MODEL_TYPE_FIRMWARE_4),
};

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Hexadecimal digits from the start up to the first other character, no prefix. Saturates
// instead of wrapping, so a long run of digits can never come back below the limit.
uint64_t LeadingHex(std::string_view text) {
  uint64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    value = value * 16 + static_cast<uint64_t>(digit);
    if (value > UINT32_MAX) return UINT64_MAX;
  }
  return value;
}

// Leading decimal number with an optional sign (atoi without its overflow): saturates at
// the int32 range; no digits give 0.
int64_t LeadingDecimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT32_MAX) {
      value = static_cast<int64_t>(INT32_MAX) + 1;
      break;
    }
  }
  return negative ? -value : value;
}

// A board count is stored only when it is not negative and the new total still fits the
// sensors array.
bool BoardCountFits(int64_t count, int other) {
  return count >= 0 && count + other <= static_cast<int64_t>(MODEL_MAX_BOARDS);
}

}  // namespace

CModelTable::CModelTable() {
  for (size_t i = 0; i < BUILT_IN_COUNT; ++i) m_builtIn[i] = BUILT_IN_ROWS[i];
}

const ModelEntry& CModelTable::BuiltInTemplate(size_t index) { return BUILT_IN_ROWS[index]; }

std::string CModelTable::DefaultIniPath() { return CPaths::ProgramDirectory() + "/model.ini"; }

bool CModelTable::LoadIniFile(const std::string& path) { return Load(CIniFile::Load(path)); }

bool CModelTable::Load(const CIniFile& ini) {
  for (int i = 1;; ++i) {
    std::string name =
        ini.GetString(MODEL_SECTION, "Model" + std::to_string(i), "", INI_VALUE_CAPACITY);
    if (name.empty()) break;
    if (name.size() >= sizeof(ModelEntry::m_szName)) continue;
    if (HasExtraNamed(name)) continue;
    try {
      m_extra.push_back(std::make_unique<ModelEntry>());
    } catch (const std::bad_alloc&) {
      return false;
    }
    ModelEntry* row = m_extra.back().get();
    SetFixedText(row->m_szName, name);
    ReadModelKeys(ini, row);
  }
  return true;
}

void CModelTable::ReadModelKeys(const CIniFile& ini, ModelEntry* row) const {
  const std::string section = FixedText(row->m_szName);
  auto value = [&](const char* key) { return ini.GetString(section, key, "", INI_VALUE_CAPACITY); };
  // Each text is kept only when it fits its field; otherwise the field stays empty.
  auto store = [](auto& field, const std::string& text, size_t limit) {
    if (text.size() < limit) SetFixedText(field, text);
  };
  store(row->m_szRegistry, value("Registry"), 63);
  store(row->m_szDriverRegistry, value("DriverRegistry"), 255);
  store(row->m_szDriverFileName, value("DriverFileName"), 31);
  store(row->m_szDriverDeviceName, value("DriverDeviceName"), 31);
  store(row->m_szColNumber, value("ColNumber"), 31);
  store(row->m_szPcbList, value("PCBList"), 127);

  uint64_t vendor = LeadingHex(value("VendorID"));
  if (vendor < 0x10000) row->m_uVendorId = static_cast<uint32_t>(vendor);
  uint64_t product = LeadingHex(value("ProductID"));
  if (product < 0x10000) row->m_uProductId = static_cast<uint32_t>(product);

  int64_t vertical = LeadingDecimal(value("VerticalPCB"));
  if (BoardCountFits(vertical, row->m_sHorizontalPcb))
    row->m_sVerticalPcb = static_cast<int16_t>(vertical);
  int64_t horizontal = LeadingDecimal(value("HorizontalPCB"));
  if (BoardCountFits(horizontal, row->m_sVerticalPcb))
    row->m_sHorizontalPcb = static_cast<int16_t>(horizontal);

  // Tokens as strtok gives them: empty pieces between separators are no tokens. A count
  // that does not fit a byte leaves that board's entry zero rather than wrapping.
  const std::string sensors = value("SensorList");
  const int total = row->TotalBoards();
  size_t pos = 0;
  for (int board = 0; board < total; ++board) {
    pos = sensors.find_first_not_of('|', pos);
    if (pos == std::string::npos) break;
    size_t end = sensors.find('|', pos);
    if (end == std::string::npos) end = sensors.size();
    int64_t count = LeadingDecimal(std::string_view(sensors).substr(pos, end - pos));
    if (count >= 0 && count <= UINT8_MAX) row->m_aSensors[board] = static_cast<uint8_t>(count);
    pos = end;
  }

  row->m_uModelType = static_cast<uint32_t>(LeadingDecimal(value("Type")));
}

bool CModelTable::HasExtraNamed(const std::string& name) const {
  return std::any_of(m_extra.begin(), m_extra.end(), [&](const auto& row) {
    return EqualNoCase(FixedText(row->m_szName), name);
  });
}

const ModelEntry* CModelTable::Row(size_t index) const {
  if (index < BUILT_IN_COUNT) return &m_builtIn[index];
  index -= BUILT_IN_COUNT;
  return index < m_extra.size() ? m_extra[index].get() : nullptr;
}

const ModelEntry* CModelTable::FindByDevice(uint32_t vendorId, uint32_t productId,
                                            const std::string& devicePath) const {
  for (size_t i = 0; i < RowCount(); ++i) {
    const ModelEntry* row = Row(i);
    if (row->m_uVendorId != vendorId || row->m_uProductId != productId) continue;
    const std::string col = FixedText(row->m_szColNumber);
    // An empty text would "occur" at position 0 only, so it never matches.
    if (!col.empty() && devicePath.size() > 1 && devicePath.find(col, 1) != std::string::npos)
      return row;
  }
  return nullptr;
}

}  // namespace kv
