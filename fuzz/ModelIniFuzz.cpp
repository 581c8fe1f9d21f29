// Arbitrary text as "model.ini": every row the table takes keeps its texts inside their
// fixed fields (NUL-terminated), its board counts inside the sensor list, and is found
// again by its own identity and collection text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/IniFile.h"
#include "tabrix/driverlink/ModelTable.h"

namespace {

template <size_t N>
bool Terminated(const char (&field)[N]) {
  return field[N - 1] == '\0';
}

bool RowSound(const kv::ModelEntry& row) {
  return Terminated(row.m_szName) && Terminated(row.m_szRegistry) &&
         Terminated(row.m_szDriverRegistry) && Terminated(row.m_szDriverFileName) &&
         Terminated(row.m_szDriverDeviceName) && Terminated(row.m_szColNumber) &&
         Terminated(row.m_szPcbList) && row.m_sVerticalPcb >= 0 && row.m_sHorizontalPcb >= 0 &&
         row.TotalBoards() <= static_cast<int>(kv::MODEL_MAX_BOARDS) &&
         row.m_uVendorId <= 0xFFFF && row.m_uProductId <= 0xFFFF;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  kv::CModelTable table;
  if (!table.Load(kv::CIniFile::FromText(text))) __builtin_trap();
  for (size_t i = 0; i < table.RowCount(); ++i) {
    const kv::ModelEntry* row = table.Row(i);
    if (row == nullptr || !RowSound(*row)) __builtin_trap();
    if (i >= kv::CModelTable::BUILT_IN_COUNT && kv::FixedText(row->m_szName).empty())
      __builtin_trap();
    // A device path carrying the row's collection text matches it or an earlier row.
    const std::string col = kv::FixedText(row->m_szColNumber);
    if (col.empty()) continue;
    const kv::ModelEntry* found =
        table.FindByDevice(row->m_uVendorId, row->m_uProductId, "\\\\?\\hid#" + col + "#");
    if (found == nullptr) __builtin_trap();
  }
  if (table.Row(table.RowCount()) != nullptr) __builtin_trap();
  return 0;
}
