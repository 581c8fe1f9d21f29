#pragma once
// Helpers shared by the local endpoints (pipes, device endpoints): SOCK_SEQPACKET Unix
// sockets, waiting on a descriptor together with a stop descriptor, and the folder checks
// that stand in for a pipe's security descriptor.
#include <sys/socket.h>

#include <cstdint>
#include <string>

#include "platform/posix/UniqueFd.h"

namespace kv {

enum class PollResult { READY, STOPPED, TIMEOUT, FAILED };

// Waits until fd shows one of events, or stopFd (when >= 0) becomes readable. timeoutMs < 0
// waits without limit; EINTR restarts with the time that is left. *revents gets what fd
// showed; on FAILED errno is set.
PollResult WaitReady(int fd, short events, int stopFd, int timeoutMs, short* revents = nullptr);

// Creates the endpoint's folder when missing and makes sure that nobody but its owner (us or
// root) may add or replace entries in it. 0 or a system error code.
uint32_t PrepareEndpointDir(const std::string& dir);

// Binds a listening Unix socket of the given type (SOCK_SEQPACKET or SOCK_STREAM;
// non-blocking, close-on-exec) at path with the given file mode; a stale socket at path is
// replaced. The name appears only once the socket listens, so a client that waits for the
// file is never refused. The caller must own the name.
uint32_t ListenLocal(const std::string& path, unsigned mode, int backlog, CUniqueFd* fd,
                     int type = SOCK_SEQPACKET);

// Connects a SOCK_SEQPACKET socket to path. On failure returns -1 with errno set and fd
// untouched; the socket is non-blocking when nonBlocking is set.
int ConnectLocal(const std::string& path, bool nonBlocking, CUniqueFd* fd);

// Creates (or opens) a lock file that every account may open for reading, so that clients
// of any user can test it; the descriptor, or -1 with errno set.
CUniqueFd OpenPublicLockFile(const std::string& path);
// True while some process holds an exclusive flock on path (an endpoint's owner lock).
bool LockHeldElsewhere(const std::string& path);

// The folder part of a path ("/a/b/c" -> "/a/b").
std::string ParentDir(const std::string& path);

}  // namespace kv
