#pragma once
// The shared model table "TBL_KV_TOUCH_PANEL_MODEL_DATA" (68 bytes): u32 at 0 set to 1 by its
// creator, then the name of the connected model (char[64] at 4, all zero while no model is
// identified). Accessors do nothing while the table is not mapped.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Paths.h"
#include "platform/SharedMemory.h"

namespace kv {

class ModelSharedData {
 public:
  static constexpr const char* NAME = "TBL_KV_TOUCH_PANEL_MODEL_DATA";
  static constexpr size_t SIZE = 68;
  static constexpr size_t OFF_PRESENT = 0;
  static constexpr size_t OFF_MODEL_NAME = 4;
  static constexpr size_t MODEL_NAME_SIZE = 64;

  ModelSharedData() = default;
  ModelSharedData(const ModelSharedData&) = delete;
  ModelSharedData& operator=(const ModelSharedData&) = delete;

  // Creates the table (or maps the existing one, left as it is) and sets the first word to
  // 1: 0, ERROR_CODE_ALREADY_EXISTS, or the error with the table unmapped.
  uint32_t Create(const CPaths& paths);
  uint32_t Open(const CPaths& paths);
  void Close();
  void Clear();  // zero-fills, then sets the first word to 1 again
  bool IsMapped() const { return m_memory.IsMapped(); }
  bool IsCreator() const { return m_memory.IsMapped() && m_memory.Created(); }

  uint32_t Present() const;
  // At most 63 characters, the rest of the field zero.
  void SetModelName(std::string_view name);
  void ClearModelName() { SetModelName({}); }
  std::string ModelName() const;

 private:
  CSharedMemory m_memory;
};

}  // namespace kv
