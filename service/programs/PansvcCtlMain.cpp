// pansvc-ctl: sends one request to the service and prints the answer.
//   pansvc-ctl path TEXT                          command 13 with the device name
//   pansvc-ctl send CMD IN_HEX OUT_SIZE           any command on the control pipe
//   pansvc-ctl wait                               command 10 on the status pipe
// Prints "status S returned R out HEX"; the exit code is the transport error.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/PipeNames.h"
#include "service/RequestClient.h"

namespace {

bool ParseHex(const std::string& text, std::vector<uint8_t>* bytes) {
  if (text == "-") return true;
  if (text.size() % 2) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    char* end = nullptr;
    std::string pair = text.substr(i, 2);
    unsigned long v = std::strtoul(pair.c_str(), &end, 16);
    if (*end) return false;
    bytes->push_back(static_cast<uint8_t>(v));
  }
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: pansvc-ctl path TEXT | send CMD IN_HEX|- OUT_SIZE | wait\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kv;
  std::vector<std::string> a(argv + 1, argv + argc);
  if (a.empty()) return Usage();
  CPaths paths = CPaths::FromEnvironment();
  RequestAnswer answer;
  if (a[0] == "path" && a.size() == 2) {
    std::vector<uint8_t> in(260, 0);
    for (size_t i = 0; i < a[1].size() && i < 259; ++i) in[i] = static_cast<uint8_t>(a[1][i]);
    answer = CRequestClient::Send(paths, CONTROL_PIPE_NAME, 13, in, 260);
  } else if (a[0] == "send" && a.size() == 4) {
    std::vector<uint8_t> in;
    if (!ParseHex(a[2], &in)) return Usage();
    answer = CRequestClient::Send(paths, CONTROL_PIPE_NAME,
                                  static_cast<uint32_t>(std::strtoul(a[1].c_str(), nullptr, 0)),
                                  in, static_cast<uint32_t>(std::strtoul(a[3].c_str(), nullptr, 0)));
  } else if (a[0] == "wait" && a.size() == 1) {
    std::vector<uint8_t> in(24, 0);
    answer = CRequestClient::Send(paths, STATUS_PIPE_NAME, 10, in, 24, -1);
  } else {
    return Usage();
  }
  if (answer.m_uTransport) {
    std::fprintf(stderr, "pansvc-ctl: pipe error %u\n", answer.m_uTransport);
    return static_cast<int>(answer.m_uTransport);
  }
  std::printf("status %u returned %u out ", answer.m_uStatus, answer.m_uReturned);
  for (uint8_t b : answer.m_out) std::printf("%02x", b);
  std::printf("\n");
  return 0;
}
