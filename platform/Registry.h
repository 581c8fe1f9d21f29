#pragma once
// The registry as the logic uses it: three hives, keys addressed by path with "\" as the
// separator, key paths and value names compared without regard to case, REG_DWORD and
// REG_SZ kept with their type. Value name "" is the key's default value.
// Posix backend: CSqliteRegistry (platform/posix). Tests may hand in their own.
#include <cstdint>
#include <string>

namespace kv {

enum class RegistryHive { LOCAL_MACHINE, CURRENT_USER, CLASSES_ROOT };

inline constexpr uint32_t REG_TYPE_SZ = 1;
inline constexpr uint32_t REG_TYPE_DWORD = 4;

struct RegistryValue {
  uint32_t m_uType = 0;
  uint32_t m_uDword = 0;     // REG_TYPE_DWORD
  std::string m_sText;       // REG_TYPE_SZ
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Every call returns 0 or a system error code: 2 when the key or value is absent,
  // 5 when the hive cannot be written, 13 when a value has another type than asked for,
  // 259 when enumeration is past the last subkey.
  virtual uint32_t CreateKey(RegistryHive hive, const std::string& key) = 0;
  virtual uint32_t OpenKey(RegistryHive hive, const std::string& key) = 0;  // exists?
  virtual uint32_t QueryValue(RegistryHive hive, const std::string& key, const std::string& name,
                              RegistryValue* value) = 0;
  virtual uint32_t QueryDword(RegistryHive hive, const std::string& key, const std::string& name,
                              uint32_t* value) = 0;
  virtual uint32_t QueryString(RegistryHive hive, const std::string& key,
                               const std::string& name, std::string* value) = 0;
  // Set* create the key when it is missing.
  virtual uint32_t SetDword(RegistryHive hive, const std::string& key, const std::string& name,
                            uint32_t value) = 0;
  virtual uint32_t SetString(RegistryHive hive, const std::string& key, const std::string& name,
                             const std::string& value) = 0;
  virtual uint32_t DeleteValue(RegistryHive hive, const std::string& key,
                               const std::string& name) = 0;
  // Deletes the key with its values and subkeys.
  virtual uint32_t DeleteKey(RegistryHive hive, const std::string& key) = 0;
  // Direct subkeys in case-insensitive name order; index past the end gives 259.
  virtual uint32_t EnumSubkey(RegistryHive hive, const std::string& key, uint32_t index,
                              std::string* name) = 0;
};

}  // namespace kv
