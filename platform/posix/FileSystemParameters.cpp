#include "platform/posix/FileSystemParameters.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/SystemError.h"
#include "platform/posix/ErrnoToSystemError.h"
#include "platform/posix/UniqueFd.h"

namespace kv {

namespace {

constexpr size_t kMaxFileBytes = 4096;
constexpr size_t kMaxLineBytes = 64;

const char* const kNames[SYSTEM_PARAMETER_COUNT] = {
    "DoubleClickWidth", "DoubleClickHeight", "DoubleClickTime", "DragWidth", "DragHeight",
};

uint32_t ErrorFromErrno(int e) { return ErrnoToSystemError(e); }

// Decimal digits only, at most the range of 32 bits.
bool ParseNumber(const std::string& text, uint32_t* value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > UINT32_MAX) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// Holds an exclusive flock on a lock file for its lifetime.
class CFileLock {
 public:
  explicit CFileLock(const std::string& path) {
    m_fd.Reset(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!m_fd.Valid()) {
      m_uError = ErrorFromErrno(errno);
      return;
    }
    while (::flock(m_fd.Get(), LOCK_EX) != 0) {
      if (errno != EINTR) {
        m_uError = ErrorFromErrno(errno);
        break;
      }
    }
  }
  CFileLock(const CFileLock&) = delete;
  CFileLock& operator=(const CFileLock&) = delete;
  uint32_t Error() const { return m_uError; }

 private:
  CUniqueFd m_fd;
  uint32_t m_uError = ERROR_CODE_SUCCESS;
};

}  // namespace

CFileSystemParameters::CFileSystemParameters(const CPaths& paths)
    : m_sDir(paths.RunDir()),
      m_sFile(paths.RunDir() + "/system-parameters"),
      m_sLock(paths.LockPath("system-parameters")) {}

CFileSystemParameters::Values CFileSystemParameters::Defaults() { return {4, 4, 500, 4, 4}; }

void CFileSystemParameters::Parse(const std::string& text, Values* values) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    if (end - pos <= kMaxLineBytes) {
      std::string line = text.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      size_t eq = line.find('=');
      if (eq != std::string::npos) {
        std::string name = line.substr(0, eq);
        uint32_t v = 0;
        if (ParseNumber(line.substr(eq + 1), &v)) {
          for (uint32_t i = 0; i < SYSTEM_PARAMETER_COUNT; ++i) {
            if (name == kNames[i]) (*values)[i] = v;
          }
        }
      }
    }
    pos = end + 1;
  }
}

std::string CFileSystemParameters::Format(const Values& values) {
  std::string text;
  for (uint32_t i = 0; i < SYSTEM_PARAMETER_COUNT; ++i) {
    text += kNames[i];
    text += '=';
    text += std::to_string(values[i]);
    text += '\n';
  }
  return text;
}

uint32_t CFileSystemParameters::Load(Values* values) const {
  *values = Defaults();
  CUniqueFd fd(::open(m_sFile.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return errno == ENOENT ? ERROR_CODE_SUCCESS : ErrorFromErrno(errno);
  std::string text;
  char buf[512];
  while (text.size() < kMaxFileBytes) {
    ssize_t n = ::read(fd.Get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrorFromErrno(errno);
    }
    if (n == 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  fd.Reset();
  // Our own file is far smaller; anything beyond the limit is not ours to interpret.
  if (text.size() > kMaxFileBytes) text.resize(kMaxFileBytes);
  Parse(text, values);
  return ERROR_CODE_SUCCESS;
}

uint32_t CFileSystemParameters::Get(SystemParameter parameter, uint32_t* value) {
  const uint32_t index = static_cast<uint32_t>(parameter);
  if (value == nullptr || index >= SYSTEM_PARAMETER_COUNT) return ERROR_CODE_INVALID_PARAMETER;
  Values values;
  uint32_t error = Load(&values);
  if (error != ERROR_CODE_SUCCESS) return error;
  *value = values[index];
  return ERROR_CODE_SUCCESS;
}

uint32_t CFileSystemParameters::Set(SystemParameter parameter, uint32_t value, uint32_t flags) {
  // The file is the session's state and is shared at once, so both flags come down to the
  // same thing here: the value is kept and visible to every program of the session.
  (void)flags;
  const uint32_t index = static_cast<uint32_t>(parameter);
  if (index >= SYSTEM_PARAMETER_COUNT) return ERROR_CODE_INVALID_PARAMETER;
  if (!CPaths::EnsureDirectory(m_sDir) || !CPaths::EnsureDirectory(m_sDir + "/lock"))
    return ERROR_CODE_ACCESS_DENIED;
  CFileLock lock(m_sLock);
  if (lock.Error() != ERROR_CODE_SUCCESS) return lock.Error();
  Values values;
  uint32_t error = Load(&values);
  if (error != ERROR_CODE_SUCCESS) return error;
  values[index] = value;

  const std::string temp = m_sFile + "." + std::to_string(::getpid()) + ".tmp";
  CUniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.Valid()) return ErrorFromErrno(errno);
  bool ok = WriteAll(fd.Get(), Format(values));
  int e = errno;
  // The close is checked: a failed one may have lost the new values.
  if (::close(fd.Release()) != 0 && ok) {
    ok = false;
    e = errno;
  }
  if (ok && ::rename(temp.c_str(), m_sFile.c_str()) != 0) {
    ok = false;
    e = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return ErrorFromErrno(e);
  }
  return ERROR_CODE_SUCCESS;
}

}  // namespace kv
