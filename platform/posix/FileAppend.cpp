#include "platform/FileAppend.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/UniqueFd.h"

namespace kv {

namespace {

// Writes all bytes, retrying short writes and interruptions.
bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool AppendToFile(const std::string& path, std::span<const std::string_view> parts) {
  CUniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  if (!fd.Valid()) return false;
  if (::lseek(fd.Get(), 0, SEEK_END) < 0) return false;
  bool ok = true;
  for (std::string_view part : parts)
    if (ok) ok = WriteAll(fd.Get(), part.data(), part.size());
  // A close that fails may have lost what was written.
  if (::close(fd.Release()) != 0) ok = false;
  return ok;
}

}  // namespace kv
