#pragma once
// The running program's version record (VS_VERSIONINFO string table of its first
// language): "ProductName", "ProductVersion", "LegalCopyright". Each program is built with
// its own; a program without one answers false for every name.
#include <map>
#include <string>

namespace kv {

class CVersionResource {
 public:
  CVersionResource() = default;
  explicit CVersionResource(std::map<std::string, std::string> values)
      : m_values(std::move(values)) {}
  // VerQueryValueA of "\StringFileInfo\<language>\<name>".
  bool Query(const std::string& name, std::string* value) const {
    auto it = m_values.find(name);
    if (it == m_values.end()) return false;
    *value = it->second;
    return true;
  }

 private:
  std::map<std::string, std::string> m_values;
};

}  // namespace kv
