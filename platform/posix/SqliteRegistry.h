#pragma once
// The registry on SQLite: the machine hive file holds HKLM and HKCR as two roots, the user
// hive file holds HKCU. Keys and value names compare without regard to (ASCII) case and
// keep the spelling of their first creation; subkeys enumerate in the order Windows uses
// (names compared upper-cased).
//
// A hive file that is not ours (garbage, another schema, unreadable) is never written,
// truncated or deleted: reads report "not found", writes an error, and one line goes to
// the log sink. Several processes may write the same hive at once (WAL, busy time-out,
// one immediate transaction per write). One object may be used from several threads.
#include <functional>
#include <memory>
#include <string>

#include "platform/Paths.h"
#include "platform/Registry.h"

namespace kv {

class CSqliteRegistry final : public Registry {
 public:
  using LogSink = std::function<void(const std::string&)>;
  struct Options {
    int m_iBusyTimeoutMs = 5000;  // how long a writer waits for another process's lock
    LogSink m_log;                // empty: standard error
  };

  explicit CSqliteRegistry(const CPaths& paths);
  CSqliteRegistry(const CPaths& paths, Options options);
  CSqliteRegistry(const std::string& machineHivePath, const std::string& userHivePath,
                  Options options);
  ~CSqliteRegistry() override;
  CSqliteRegistry(const CSqliteRegistry&) = delete;
  CSqliteRegistry& operator=(const CSqliteRegistry&) = delete;

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

 private:
  class CHive;
  CHive* HiveOf(RegistryHive hive);
  uint32_t SetValue(RegistryHive hive, const std::string& key, const std::string& name,
                    const RegistryValue& value);

  LogSink m_log;
  std::unique_ptr<CHive> m_pMachine;
  std::unique_ptr<CHive> m_pUser;
};

}  // namespace kv
