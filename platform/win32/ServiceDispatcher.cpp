#include "platform/win32/ServiceDispatcher.h"

#include <windows.h>

#include <vector>

namespace kv {

namespace {

std::function<void()>& Routine() {
  static std::function<void()> routine;
  return routine;
}

void WINAPI ServiceMainEntry(DWORD, LPSTR*) {
  if (Routine()) Routine()();
}

}  // namespace

bool RunServiceDispatcher(const std::string& name, std::function<void()> serviceMain) {
  Routine() = std::move(serviceMain);
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  SERVICE_TABLE_ENTRYA table[2] = {{buffer.data(), ServiceMainEntry}, {nullptr, nullptr}};
  const bool ran = StartServiceCtrlDispatcherA(table) != FALSE;
  Routine() = nullptr;
  return ran;
}

}  // namespace kv
