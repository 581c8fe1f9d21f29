#include "platform/FileAppend.h"

#include <windows.h>

namespace kv {

bool AppendToFile(const std::string& path, std::span<const std::string_view> parts) {
  // FILE_APPEND_DATA alone: every write lands at the end, also with other writers.
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (std::string_view part : parts) {
    size_t done = 0;
    while (ok && done < part.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(part.size() - done, 1u << 30));
      DWORD written = 0;
      ok = WriteFile(file, part.data() + done, chunk, &written, nullptr) && written > 0;
      done += written;
    }
  }
  if (!CloseHandle(file)) ok = false;
  return ok;
}

}  // namespace kv
