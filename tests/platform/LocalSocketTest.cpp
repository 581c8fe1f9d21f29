// Listening endpoints: what a client that waits for the name finds there.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/SystemError.h"
#include "platform/posix/LocalSocket.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  return names;
}

TEST(LocalSocketTest, NameIsReplacedOnlyWhenItIsASocketAndNothingElseIsLeftBehind) {
  test::CTempPrefix prefix;
  const std::string dir = prefix.Dir();
  const std::string path = dir + "/ep";
  for (int type : {SOCK_SEQPACKET, SOCK_STREAM}) {
    CUniqueFd first, second;
    ASSERT_EQ(ListenLocal(path, 0600, 4, &first, type), ERROR_CODE_SUCCESS);
    // A second listener (the first one's process having died) takes the name over.
    ASSERT_EQ(ListenLocal(path, 0600, 4, &second, type), ERROR_CODE_SUCCESS);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"ep"});
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    unlink(path.c_str());
  }
  std::ofstream(path) << "not a socket";
  CUniqueFd fd;
  EXPECT_EQ(ListenLocal(path, 0600, 4, &fd), ERROR_CODE_ACCESS_DENIED);
  std::string kept;
  std::getline(std::ifstream(path), kept);
  EXPECT_EQ(kept, "not a socket");
}

// A client that sees the name must be able to connect: the name never exists before the
// socket listens. The watcher spins on each next name while it is being created.
TEST(LocalSocketTest, ClientThatSeesTheNameIsNeverRefused) {
  test::CTempPrefix prefix;
  constexpr int COUNT = 300;
  auto name = [&](int i) { return prefix.Dir() + "/ep" + std::to_string(i); };
  std::atomic<bool> stop{false};
  std::vector<int> errors;
  std::thread watcher([&] {
    for (int i = 0; i < COUNT && !stop; ++i) {
      struct stat st;
      while (!stop && stat(name(i).c_str(), &st) != 0) {
      }
      CUniqueFd client;
      if (!stop && ConnectLocal(name(i), false, &client) != 0) errors.push_back(errno);
    }
  });
  std::vector<CUniqueFd> listeners(COUNT);
  for (int i = 0; i < COUNT; ++i)
    ASSERT_EQ(ListenLocal(name(i), 0600, 4, &listeners[i]), ERROR_CODE_SUCCESS) << i;
  // Every name exists now; the watcher ends by itself. stop only guards a failed listen.
  watcher.join();
  stop = true;
  EXPECT_TRUE(errors.empty()) << errors.size() << " refused, first errno " << errors.front();
}

}  // namespace
}  // namespace kv
