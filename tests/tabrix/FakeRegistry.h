#pragma once
// An in-memory registry for unit tests of logic: case-insensitive keys and names, values
// kept with their type, and a switch that makes a hive refuse writes like a machine hive
// does for a normal user.
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

#include "platform/Registry.h"

namespace kv::test {

class CFakeRegistry final : public Registry {
 public:
  void SetReadOnly(RegistryHive hive, bool on) {
    if (on)
      m_readOnly.insert(hive);
    else
      m_readOnly.erase(hive);
  }
  // The stored value, for checks; false when absent.
  bool Peek(RegistryHive hive, const std::string& key, const std::string& name,
            RegistryValue* value) const {
    auto k = m_keys.find({hive, Lower(key)});
    if (k == m_keys.end()) return false;
    auto v = k->second.find(Lower(name));
    if (v == k->second.end()) return false;
    *value = v->second;
    return true;
  }
  // Stores a value of any type and content, as another tool might.
  void Put(RegistryHive hive, const std::string& key, const std::string& name,
           const RegistryValue& value) {
    m_keys[{hive, Lower(key)}][Lower(name)] = value;
  }
  size_t ValueCount(RegistryHive hive) const {
    size_t n = 0;
    for (const auto& [k, values] : m_keys) {
      if (k.first == hive) n += values.size();
    }
    return n;
  }
  bool HasKey(RegistryHive hive, const std::string& key) const {
    return m_keys.count({hive, Lower(key)}) != 0;
  }
  int m_iQueries = 0;

  uint32_t CreateKey(RegistryHive hive, const std::string& key) override {
    if (m_readOnly.count(hive)) return 5;
    m_keys[{hive, Lower(key)}];
    return 0;
  }
  uint32_t OpenKey(RegistryHive hive, const std::string& key) override {
    return HasKey(hive, key) ? 0 : 2;
  }
  uint32_t QueryValue(RegistryHive hive, const std::string& key, const std::string& name,
                      RegistryValue* value) override {
    ++m_iQueries;
    return Peek(hive, key, name, value) ? 0 : 2;
  }
  uint32_t QueryDword(RegistryHive hive, const std::string& key, const std::string& name,
                      uint32_t* value) override {
    RegistryValue v;
    uint32_t rc = QueryValue(hive, key, name, &v);
    if (rc != 0) return rc;
    if (v.m_uType != REG_TYPE_DWORD) return 13;
    *value = v.m_uDword;
    return 0;
  }
  uint32_t QueryString(RegistryHive hive, const std::string& key, const std::string& name,
                       std::string* value) override {
    RegistryValue v;
    uint32_t rc = QueryValue(hive, key, name, &v);
    if (rc != 0) return rc;
    if (v.m_uType != REG_TYPE_SZ) return 13;
    *value = v.m_sText;
    return 0;
  }
  uint32_t SetDword(RegistryHive hive, const std::string& key, const std::string& name,
                    uint32_t value) override {
    if (m_readOnly.count(hive)) return 5;
    RegistryValue v;
    v.m_uType = REG_TYPE_DWORD;
    v.m_uDword = value;
    Put(hive, key, name, v);
    return 0;
  }
  uint32_t SetString(RegistryHive hive, const std::string& key, const std::string& name,
                     const std::string& value) override {
    if (m_readOnly.count(hive)) return 5;
    RegistryValue v;
    v.m_uType = REG_TYPE_SZ;
    v.m_sText = value;
    Put(hive, key, name, v);
    return 0;
  }
  uint32_t DeleteValue(RegistryHive hive, const std::string& key, const std::string& name) override {
    if (m_readOnly.count(hive)) return 5;
    auto k = m_keys.find({hive, Lower(key)});
    if (k == m_keys.end() || k->second.erase(Lower(name)) == 0) return 2;
    return 0;
  }
  uint32_t DeleteKey(RegistryHive hive, const std::string& key) override {
    if (m_readOnly.count(hive)) return 5;
    return m_keys.erase({hive, Lower(key)}) ? 0 : 2;
  }
  uint32_t EnumSubkey(RegistryHive, const std::string&, uint32_t, std::string*) override {
    return 259;
  }

 private:
  static std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
  }
  std::map<std::pair<RegistryHive, std::string>, std::map<std::string, RegistryValue>> m_keys;
  std::set<RegistryHive> m_readOnly;
};

}  // namespace kv::test
