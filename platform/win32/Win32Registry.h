#pragma once
// The registry through the Win32 registry API. With a sandbox name every hive is a key
// below HKEY_CURRENT_USER\Software\<sandbox>, so that tests and a second system under a
// prefix never touch the machine's own keys.
#include <string>

#include "platform/Registry.h"

namespace kv {

class CWin32Registry final : public Registry {
 public:
  explicit CWin32Registry(std::string sandbox = {});

  uint32_t CreateKey(RegistryHive hive, const std::string& key) override;
  uint32_t OpenKey(RegistryHive hive, const std::string& key) override;
  uint32_t QueryValue(RegistryHive hive, const std::string& key, const std::string& name,
                      RegistryValue* value) override;
  uint32_t QueryDword(RegistryHive hive, const std::string& key, const std::string& name,
                      uint32_t* value) override;
  uint32_t QueryString(RegistryHive hive, const std::string& key, const std::string& name,
                       std::string* value) override;
  uint32_t SetDword(RegistryHive hive, const std::string& key, const std::string& name,
                    uint32_t value) override;
  uint32_t SetString(RegistryHive hive, const std::string& key, const std::string& name,
                     const std::string& value) override;
  uint32_t DeleteValue(RegistryHive hive, const std::string& key,
                       const std::string& name) override;
  uint32_t DeleteKey(RegistryHive hive, const std::string& key) override;
  uint32_t EnumSubkey(RegistryHive hive, const std::string& key, uint32_t index,
                      std::string* name) override;

  // Removes the whole sandbox (tests, at their end).
  uint32_t DeleteSandbox();
  const std::string& Sandbox() const { return m_sSandbox; }

 private:
  // The root key (an HKEY) and the full path of key below it.
  void* Root(RegistryHive hive, const std::string& key, std::string* path) const;
  // *out receives an HKEY.
  uint32_t Open(RegistryHive hive, const std::string& key, uint32_t access, bool create, void** out);
  uint32_t SetValue(RegistryHive hive, const std::string& key, const std::string& name, uint32_t type,
                    const uint8_t* data, uint32_t size);

  std::string m_sSandbox;
};

}  // namespace kv
