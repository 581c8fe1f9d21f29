#include "tabrix/driverlink/ModelSharedData.h"

#include <cstring>

#include "common/LittleEndian.h"
#include "common/SystemError.h"

namespace kv {

uint32_t ModelSharedData::Create(const CPaths& paths) {
  uint32_t code = m_memory.Create(paths, NAME, SIZE);
  if (code != ERROR_CODE_SUCCESS && code != ERROR_CODE_ALREADY_EXISTS) {
    m_memory.Close();
    return code;
  }
  if (m_memory.Size() < SIZE) {
    m_memory.Close();
    return ERROR_CODE_INVALID_DATA;
  }
  WriteU32(m_memory.Data() + OFF_PRESENT, 1);
  return code;
}

uint32_t ModelSharedData::Open(const CPaths& paths) {
  uint32_t code = m_memory.Open(paths, NAME, SIZE);
  if (code != ERROR_CODE_SUCCESS) {
    m_memory.Close();
    return code;
  }
  if (m_memory.Size() < SIZE) {
    m_memory.Close();
    return ERROR_CODE_INVALID_DATA;
  }
  return code;
}

void ModelSharedData::Close() { m_memory.Close(); }

void ModelSharedData::Clear() {
  if (!IsMapped()) return;
  std::memset(m_memory.Data(), 0, SIZE);
  WriteU32(m_memory.Data() + OFF_PRESENT, 1);
}

uint32_t ModelSharedData::Present() const {
  return IsMapped() ? ReadU32(m_memory.Data() + OFF_PRESENT) : 0;
}

void ModelSharedData::SetModelName(std::string_view name) {
  if (!IsMapped()) return;
  uint8_t* field = m_memory.Data() + OFF_MODEL_NAME;
  size_t n = name.size() < MODEL_NAME_SIZE - 1 ? name.size() : MODEL_NAME_SIZE - 1;
  std::memset(field, 0, MODEL_NAME_SIZE);
  if (n != 0) std::memcpy(field, name.data(), n);
}

std::string ModelSharedData::ModelName() const {
  if (!IsMapped()) return {};
  const char* field = reinterpret_cast<const char*>(m_memory.Data() + OFF_MODEL_NAME);
  return std::string(field, strnlen(field, MODEL_NAME_SIZE));
}

}  // namespace kv
