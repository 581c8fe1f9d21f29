#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <vector>

#include "common/SystemError.h"

namespace kv {

namespace {

// Longest value we read back: far above anything the system stores, and a bound on what a
// foreign value can make us allocate.
constexpr DWORD MAX_VALUE_BYTES = 64 * 1024;

const char* HiveName(RegistryHive hive) {
  switch (hive) {
    case RegistryHive::LOCAL_MACHINE: return "HKLM";
    case RegistryHive::CURRENT_USER: return "HKCU";
    case RegistryHive::CLASSES_ROOT: return "HKCR";
  }
  return "HKLM";
}

class CKey {
 public:
  CKey() = default;
  ~CKey() { if (m_h) RegCloseKey(m_h); }
  CKey(const CKey&) = delete;
  CKey& operator=(const CKey&) = delete;
  void** Out() { return reinterpret_cast<void**>(&m_h); }
  HKEY Get() const { return m_h; }

 private:
  HKEY m_h = nullptr;
};

}  // namespace

CWin32Registry::CWin32Registry(std::string sandbox) : m_sSandbox(std::move(sandbox)) {}

void* CWin32Registry::Root(RegistryHive hive, const std::string& key, std::string* path) const {
  if (!m_sSandbox.empty()) {
    *path = "Software\\" + m_sSandbox + "\\" + HiveName(hive) + (key.empty() ? "" : "\\" + key);
    return HKEY_CURRENT_USER;
  }
  *path = key;
  switch (hive) {
    case RegistryHive::LOCAL_MACHINE: return HKEY_LOCAL_MACHINE;
    case RegistryHive::CURRENT_USER: return HKEY_CURRENT_USER;
    case RegistryHive::CLASSES_ROOT: return HKEY_CLASSES_ROOT;
  }
  return HKEY_LOCAL_MACHINE;
}

uint32_t CWin32Registry::Open(RegistryHive hive, const std::string& key, uint32_t access, bool create, void** out) {
  std::string path;
  HKEY root = static_cast<HKEY>(Root(hive, key, &path));
  HKEY* handle = reinterpret_cast<HKEY*>(out);
  if (create)
    return static_cast<uint32_t>(RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 access, nullptr, handle, nullptr));
  return static_cast<uint32_t>(RegOpenKeyExA(root, path.c_str(), 0, access, handle));
}

uint32_t CWin32Registry::CreateKey(RegistryHive hive, const std::string& key) {
  CKey k;
  return Open(hive, key, KEY_READ | KEY_WRITE, true, k.Out());
}

uint32_t CWin32Registry::OpenKey(RegistryHive hive, const std::string& key) {
  CKey k;
  return Open(hive, key, KEY_READ, false, k.Out());
}

uint32_t CWin32Registry::QueryValue(RegistryHive hive, const std::string& key, const std::string& name,
                                    RegistryValue* value) {
  CKey k;
  if (uint32_t rc = Open(hive, key, KEY_QUERY_VALUE, false, k.Out())) return rc;
  DWORD type = 0, size = 0;
  LSTATUS rc = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  if (size > MAX_VALUE_BYTES) return ERROR_CODE_INVALID_DATA;
  // One spare NUL: a string stored without its terminator still reads as a string.
  std::vector<BYTE> data(size + 1, 0);
  rc = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, data.data(), &size);
  if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  *value = RegistryValue{};
  value->m_uType = type;
  if (type == REG_DWORD) {
    if (size != sizeof(DWORD)) return ERROR_CODE_INVALID_DATA;
    value->m_uDword = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
  } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
    value->m_uType = REG_TYPE_SZ;
    const char* text = reinterpret_cast<const char*>(data.data());
    value->m_sText.assign(text, strnlen(text, size));
  }
  return ERROR_CODE_SUCCESS;
}

uint32_t CWin32Registry::QueryDword(RegistryHive hive, const std::string& key, const std::string& name,
                                    uint32_t* value) {
  RegistryValue v;
  if (uint32_t rc = QueryValue(hive, key, name, &v)) return rc;
  if (v.m_uType != REG_TYPE_DWORD) return ERROR_CODE_INVALID_DATA;
  *value = v.m_uDword;
  return ERROR_CODE_SUCCESS;
}

uint32_t CWin32Registry::QueryString(RegistryHive hive, const std::string& key, const std::string& name,
                                     std::string* value) {
  RegistryValue v;
  if (uint32_t rc = QueryValue(hive, key, name, &v)) return rc;
  if (v.m_uType != REG_TYPE_SZ) return ERROR_CODE_INVALID_DATA;
  *value = v.m_sText;
  return ERROR_CODE_SUCCESS;
}

uint32_t CWin32Registry::SetValue(RegistryHive hive, const std::string& key, const std::string& name,
                                  uint32_t type, const uint8_t* data, uint32_t size) {
  CKey k;
  if (uint32_t rc = Open(hive, key, KEY_SET_VALUE, true, k.Out())) return rc;
  return static_cast<uint32_t>(RegSetValueExA(k.Get(), name.c_str(), 0, type, data, size));
}

uint32_t CWin32Registry::SetDword(RegistryHive hive, const std::string& key, const std::string& name,
                                  uint32_t value) {
  const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                         static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
  return SetValue(hive, key, name, REG_DWORD, bytes, sizeof bytes);
}

uint32_t CWin32Registry::SetString(RegistryHive hive, const std::string& key, const std::string& name,
                                   const std::string& value) {
  // Stored with its terminating NUL, as the system's own writers do; cut at an inner NUL.
  std::string text(value.c_str());
  if (text.size() >= MAX_VALUE_BYTES) return ERROR_CODE_INVALID_PARAMETER;
  return SetValue(hive, key, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                  static_cast<DWORD>(text.size() + 1));
}

uint32_t CWin32Registry::DeleteValue(RegistryHive hive, const std::string& key, const std::string& name) {
  CKey k;
  if (uint32_t rc = Open(hive, key, KEY_SET_VALUE, false, k.Out())) return rc;
  return static_cast<uint32_t>(RegDeleteValueA(k.Get(), name.c_str()));
}

uint32_t CWin32Registry::DeleteKey(RegistryHive hive, const std::string& key) {
  // The hive itself is never deleted.
  if (key.empty()) return ERROR_CODE_ACCESS_DENIED;
  std::string path;
  HKEY root = static_cast<HKEY>(Root(hive, key, &path));
  return static_cast<uint32_t>(RegDeleteTreeA(root, path.c_str()));
}

uint32_t CWin32Registry::EnumSubkey(RegistryHive hive, const std::string& key, uint32_t index,
                                    std::string* name) {
  CKey k;
  if (uint32_t rc = Open(hive, key, KEY_ENUMERATE_SUB_KEYS, false, k.Out())) return rc;
  char buffer[256];  // key names are at most 255 characters
  DWORD size = sizeof buffer;
  LSTATUS rc = RegEnumKeyExA(k.Get(), index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  name->assign(buffer, size);
  return ERROR_CODE_SUCCESS;
}

uint32_t CWin32Registry::DeleteSandbox() {
  if (m_sSandbox.empty()) return ERROR_CODE_ACCESS_DENIED;
  return static_cast<uint32_t>(RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + m_sSandbox).c_str()));
}

}  // namespace kv
