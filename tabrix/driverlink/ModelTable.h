#pragma once
// The models the program knows: two built-in rows, then the rows declared in "model.ini"
// beside the program, in file order. The table owns every row; pointers to rows stay valid
// for the table's life, since the list is read once at start and never reloaded.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "tabrix/driverlink/ModelEntry.h"

namespace kv {

class CModelTable {
 public:
  static constexpr size_t BUILT_IN_COUNT = 2;

  CModelTable();
  CModelTable(const CModelTable&) = delete;
  CModelTable& operator=(const CModelTable&) = delete;

  // The constant rows the program is built with (index 0 or 1).
  static const ModelEntry& BuiltInTemplate(size_t index);
  // "model.ini" in the folder of the running program.
  static std::string DefaultIniPath();

  // Appends the models of the file; a missing file adds nothing. False only when a row
  // could not be allocated (start-up then fails).
  bool LoadIniFile(const std::string& path);
  bool Load(const CIniFile& ini);

  const ModelEntry& BuiltIn(size_t index) const { return m_builtIn[index]; }
  size_t ExtraCount() const { return m_extra.size(); }
  const ModelEntry& Extra(size_t index) const { return *m_extra[index]; }
  // Built-in rows first, then the model.ini rows; nullptr after the last.
  const ModelEntry* Row(size_t index) const;
  size_t RowCount() const { return BUILT_IN_COUNT + m_extra.size(); }

  // The first row whose vendor and product id are equal and whose collection text occurs
  // in the device path after its first character; nullptr when none matches.
  const ModelEntry* FindByDevice(uint32_t vendorId, uint32_t productId,
                                 const std::string& devicePath) const;

 private:
  void ReadModelKeys(const CIniFile& ini, ModelEntry* row) const;
  bool HasExtraNamed(const std::string& name) const;

  ModelEntry m_builtIn[BUILT_IN_COUNT];
  std::vector<std::unique_ptr<ModelEntry>> m_extra;
};

}  // namespace kv
