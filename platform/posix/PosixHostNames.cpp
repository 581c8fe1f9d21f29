#include "platform/posix/PosixHostNames.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace kv {

std::string CPosixHostNames::ComputerName() {
  char name[NAME_MAX_CHARS + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return std::string(name, strnlen(name, NAME_MAX_CHARS));
}

bool CPosixHostNames::Resolve(const std::string& name, std::vector<Ipv4Address>* addresses) {
  addresses->clear();
  if (name.empty()) return false;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one entry per address, not one per socket type
  addrinfo* list = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0) return false;
  for (addrinfo* a = list; a; a = a->ai_next) {
    if (a->ai_family != AF_INET || !a->ai_addr || a->ai_addrlen < sizeof(sockaddr_in)) continue;
    const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
    Ipv4Address bytes;
    std::memcpy(bytes.data(), &in->sin_addr.s_addr, bytes.size());
    if (std::find(addresses->begin(), addresses->end(), bytes) == addresses->end())
      addresses->push_back(bytes);
  }
  freeaddrinfo(list);
  return !addresses->empty();
}

}  // namespace kv
