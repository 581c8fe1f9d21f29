#include "platform/SharedMemory.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/SystemError.h"
#include "platform/posix/ErrnoToSystemError.h"
#include "platform/posix/UniqueFd.h"

// A Windows mapping lives while some process has it open; a POSIX object stays until it is
// unlinked, also after its creator crashed. Every process that maps an object therefore
// holds a shared flock on it: an object nobody holds is stale (Create starts it afresh, Open
// finds nothing), and the last one to close unlinks it. Each path re-checks after locking
// that the name still refers to the object it locked, since it may have been unlinked and
// created anew in between.

namespace kv {

namespace {

constexpr int ATTEMPTS = 50;

std::string ObjectName(const CPaths& paths, const std::string& name) {
  std::string out;
  out.reserve(name.size() + 16);
  out.push_back('/');
  out.append(paths.NamespaceTag());
  out.push_back('_');
  for (char c : name.substr(0, 200)) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                 c == '-' || c == '.';
    out += plain ? c : '_';
  }
  return out;
}

// True when name refers to the object behind fd.
bool StillLinked(const std::string& name, int fd) {
  CUniqueFd again(shm_open(name.c_str(), O_RDONLY | O_CLOEXEC, 0));
  struct stat a, b;
  return again.Valid() && fstat(fd, &a) == 0 && fstat(again.Get(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

}  // namespace

CSharedMemory::~CSharedMemory() { Close(); }

uint32_t CSharedMemory::Create(const CPaths& paths, const std::string& name, size_t size) {
  return Map(paths, name, size, true);
}

uint32_t CSharedMemory::Open(const CPaths& paths, const std::string& name, size_t size) {
  return Map(paths, name, size, false);
}

uint32_t CSharedMemory::Map(const CPaths& paths, const std::string& name, size_t size, bool create) {
  Close();
  if (size == 0 || name.empty()) return ERROR_CODE_INVALID_PARAMETER;
  const std::string object = ObjectName(paths, name);
  for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
    bool fresh = false;
    CUniqueFd fd;
    if (create) {
      fd.Reset(shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
      if (fd.Valid()) {
        fresh = true;
        if (ftruncate(fd.Get(), static_cast<off_t>(size)) != 0) {
          uint32_t error = ErrnoToSystemError(errno);
          shm_unlink(object.c_str());
          return error;
        }
      } else if (errno != EEXIST) {
        return ErrnoToSystemError(errno);
      }
    }
    if (!fd.Valid()) {
      fd.Reset(shm_open(object.c_str(), O_RDWR | O_CLOEXEC, 0));
      if (!fd.Valid()) {
        if (errno != ENOENT) return ErrnoToSystemError(errno);
        if (!create) return ERROR_CODE_FILE_NOT_FOUND;
        continue;  // the last holder just removed it
      }
      if (flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) {
        // Nobody holds it: its creator is gone (or has not locked it yet and has not
        // written anything either).
        if (!create) return ERROR_CODE_FILE_NOT_FOUND;
        if (ftruncate(fd.Get(), 0) != 0 || ftruncate(fd.Get(), static_cast<off_t>(size)) != 0)
          return ErrnoToSystemError(errno);
        fresh = true;
      } else if (errno != EWOULDBLOCK) {
        return ErrnoToSystemError(errno);
      }
    }
    if (flock(fd.Get(), LOCK_SH) != 0) return ErrnoToSystemError(errno);
    if (!StillLinked(object, fd.Get())) continue;
    struct stat st;
    if (fstat(fd.Get(), &st) != 0) return ErrnoToSystemError(errno);
    if (static_cast<size_t>(st.st_size) < size && ftruncate(fd.Get(), static_cast<off_t>(size)) != 0)
      return ErrnoToSystemError(errno);
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
    if (data == MAP_FAILED) return ErrnoToSystemError(errno);
    m_pData = static_cast<uint8_t*>(data);
    m_uSize = size;
    m_bCreated = fresh;
    m_sShmName = object;
    m_fd = std::move(fd);
    if (fresh) return ERROR_CODE_SUCCESS;
    return create ? ERROR_CODE_ALREADY_EXISTS : ERROR_CODE_SUCCESS;
  }
  return ERROR_CODE_GEN_FAILURE;
}

void CSharedMemory::Close() {
  if (m_pData) munmap(m_pData, m_uSize);
  if (m_fd.Valid()) {
    // Failing to convert may drop our shared lock; we are leaving anyway.
    if (flock(m_fd.Get(), LOCK_EX | LOCK_NB) == 0 && StillLinked(m_sShmName, m_fd.Get()))
      shm_unlink(m_sShmName.c_str());
  }
  m_pData = nullptr;
  m_uSize = 0;
  m_bCreated = false;
  m_fd.Reset();
  m_sShmName.clear();
}

}  // namespace kv
