// The control channel server every stand-in serves its commands through, over a real
// socket: line framing, the line limit wherever a line is cut, bytes no command has,
// clients that die mid-line, many clients, one that never reads, and the socket file.
#include "sim/ControlChannelServer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/SystemError.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

constexpr size_t MAX_LINE = 64;
constexpr size_t BIG_REPLY = 16 * 1024;

using CClient = test::CControlChannel;

// One byte a write, so that the server sees the line cut everywhere.
bool Trickle(CClient& client, const std::string& bytes) {
  for (char c : bytes)
    if (!client.Send(std::string(1, c))) return false;
  return true;
}

class ControlChannelServerTest : public ::testing::Test {
 protected:
  ControlChannelServerTest()
      : m_sPath(m_prefix.Dir() + "/test.ctl"),
        m_server([this](const std::string& line) { return Handle(line); }, MAX_LINE) {}

  void SetUp() override { ASSERT_EQ(m_server.Start(m_sPath), ERROR_CODE_SUCCESS); }

  std::string Handle(const std::string& line) {
    std::lock_guard lock(m_mutex);
    m_lines.push_back(line);
    if (line == "big") return std::string(BIG_REPLY, 'x');
    if (line == "two lines") return "first\nsecond\r";
    return "re:" + line;
  }
  // What the handler was given, once the server has ended.
  std::vector<std::string> HandledAfterStop() {
    m_server.Stop();
    std::lock_guard lock(m_mutex);
    return m_lines;
  }

  test::CTempPrefix m_prefix;
  std::string m_sPath;
  std::mutex m_mutex;
  std::vector<std::string> m_lines;
  CControlChannelServer m_server;
};

TEST_F(ControlChannelServerTest, AnswersEveryLineInOrderWhereverTheClientCutsIt) {
  CClient c;
  ASSERT_TRUE(c.Connect(m_sPath));
  ASSERT_TRUE(c.Send("one\ntwo\r\n\nthree\tfour\n"));
  EXPECT_EQ(c.ReadLine(), "re:one");
  EXPECT_EQ(c.ReadLine(), "re:two");
  EXPECT_EQ(c.ReadLine(), "re:");
  EXPECT_EQ(c.ReadLine(), "re:three\tfour");
  ASSERT_TRUE(Trickle(c, "five\r\nsix\n"));
  EXPECT_EQ(c.ReadLine(), "re:five");
  EXPECT_EQ(c.ReadLine(), "re:six");
  EXPECT_EQ(c("two lines"), "first second ") << "a reply is one line, whatever it holds";
  EXPECT_EQ(c("seven"), "re:seven");
}

TEST_F(ControlChannelServerTest, LineLimitHoldsWhereverTheLineIsCut) {
  const std::string longest(MAX_LINE, 'a');
  struct Case {
    std::string m_sBytes;
    bool m_bServed;
  } cases[] = {
      {longest + "\n", true},
      {longest + "\r\n", true},
      {longest + "b\n", false},
      {longest + "b\r\n", false},
      {longest + "\r\r\n", false},
      {std::string(10 * MAX_LINE, 'c'), false},  // never ends
  };
  for (const Case& k : cases) {
    for (bool trickle : {false, true}) {
      SCOPED_TRACE(testing::Message() << k.m_sBytes.size() << " bytes, trickled " << trickle);
      CClient c;
      ASSERT_TRUE(c.Connect(m_sPath));
      // What follows a refused line is not served either.
      // (Sends may fail once the server hung up on a refused line.)
      bool sent = trickle ? Trickle(c, k.m_sBytes) && c.Send("after\n")
                          : c.Send(k.m_sBytes + "after\n");
      if (k.m_bServed) {
        ASSERT_TRUE(sent);
        EXPECT_EQ(c.ReadLine(), "re:" + longest);
        EXPECT_EQ(c.ReadLine(), "re:after");
      } else {
        EXPECT_EQ(c.ReadLine(), "error line too long");
        EXPECT_EQ(c.ReadLine(), "<closed>");
      }
    }
  }
  for (const std::string& line : HandledAfterStop()) {
    EXPECT_TRUE(line == longest || line == "after") << line.size() << " bytes";
  }
}

TEST_F(ControlChannelServerTest, RefusesControlBytesAndKeepsServing) {
  CClient c;
  ASSERT_TRUE(c.Connect(m_sPath));
  const std::string bad[] = {std::string("pi\0ng", 5), std::string("\0", 1), "a\x01", "a\rb",
                             "\x1b[2J", std::string("ping\0", 5)};
  for (const std::string& line : bad) EXPECT_EQ(c(line), "error bad character");
  EXPECT_EQ(c("ping \x7f\xc3\xa9"), "re:ping \x7f\xc3\xa9");  // not control bytes
  EXPECT_EQ(HandledAfterStop(), std::vector<std::string>{"ping \x7f\xc3\xa9"});
}

TEST_F(ControlChannelServerTest, DropsWhatAClientLeftUnfinished) {
  CClient halfClosed, dead, later;
  ASSERT_TRUE(halfClosed.Connect(m_sPath));
  ASSERT_TRUE(halfClosed.Send("ping\nunfinished"));
  halfClosed.ShutdownWrite();
  EXPECT_EQ(halfClosed.ReadLine(), "re:ping");
  EXPECT_EQ(halfClosed.ReadLine(), "<closed>");

  ASSERT_TRUE(dead.Connect(m_sPath));
  ASSERT_TRUE(dead.Send("unplu"));
  dead.Close();

  ASSERT_TRUE(later.Connect(m_sPath));
  EXPECT_EQ(later("pong"), "re:pong");
  EXPECT_EQ(HandledAfterStop(), (std::vector<std::string>{"ping", "pong"}));
}

TEST_F(ControlChannelServerTest, ServesManyClientsAtOnceEachItsOwnReplies) {
  constexpr int COUNT = 40;
  std::vector<std::unique_ptr<CClient>> clients;
  for (int i = 0; i < COUNT; ++i) {
    clients.push_back(std::make_unique<CClient>());
    ASSERT_TRUE(clients.back()->Connect(m_sPath)) << i;
  }
  // Every line arrives in two halves with all the other clients' halves between them.
  for (int i = 0; i < COUNT; ++i) ASSERT_TRUE(clients[i]->Send("client " + std::to_string(i)));
  for (int i = COUNT - 1; i >= 0; --i) ASSERT_TRUE(clients[i]->Send(" says hi\nand bye\n"));
  for (int i = 0; i < COUNT; ++i) {
    EXPECT_EQ(clients[i]->ReadLine(), "re:client " + std::to_string(i) + " says hi");
    EXPECT_EQ(clients[i]->ReadLine(), "re:and bye");
  }
}

TEST_F(ControlChannelServerTest, TurnsAwayClientsBeyondTheLimitUntilOneLeaves) {
  std::vector<std::unique_ptr<CClient>> clients;
  for (size_t i = 0; i < CControlChannelServer::MAX_CLIENTS; ++i) {
    clients.push_back(std::make_unique<CClient>());
    ASSERT_TRUE(clients.back()->Connect(m_sPath));
    ASSERT_EQ((*clients.back())("hello"), "re:hello") << i;
  }
  CClient extra;
  ASSERT_TRUE(extra.Connect(m_sPath));
  EXPECT_EQ(extra.ReadLine(), "error too many clients");
  EXPECT_EQ(extra.ReadLine(), "<closed>");

  clients.front()->Close();
  // The server may take the newcomer before it sees the leaver go; wait for its place.
  std::string reply;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  do {
    CClient next;
    ASSERT_TRUE(next.Connect(m_sPath));
    reply = next("in");
  } while (reply == "error too many clients" && std::chrono::steady_clock::now() < deadline);
  EXPECT_EQ(reply, "re:in");
  EXPECT_EQ((*clients.back())("still"), "re:still");
}

TEST_F(ControlChannelServerTest, AClientThatNeverReadsHoldsUpOnlyItself) {
  CClient greedy, other;
  ASSERT_TRUE(greedy.Connect(m_sPath));
  // Ask for big replies without reading any until the server stops taking our lines.
  int asked = 0;
  while (asked < 100000 && greedy.Send("big\n", MSG_DONTWAIT)) ++asked;
  ASSERT_LT(asked, 100000) << "the server kept reading a client that does not read";

  ASSERT_TRUE(other.Connect(m_sPath));
  EXPECT_EQ(other("ping"), "re:ping");

  // Once it reads, it gets every reply, whole and in order, and is served again.
  for (int i = 0; i < asked; ++i) ASSERT_EQ(greedy.ReadLine(), std::string(BIG_REPLY, 'x')) << i;
  EXPECT_EQ(greedy("done"), "re:done");
}

TEST_F(ControlChannelServerTest, StopHangsUpEveryClientAndRemovesTheSocket) {
  CClient idle, stuck;
  ASSERT_TRUE(idle.Connect(m_sPath));
  ASSERT_TRUE(stuck.Connect(m_sPath));
  ASSERT_EQ(idle("x"), "re:x");
  while (stuck.Send("big\n", MSG_DONTWAIT)) {
  }
  ASSERT_TRUE(idle.Send("half a li"));
  m_server.Stop();
  EXPECT_EQ(idle.ReadLine(), "<closed>");
  EXPECT_NE(access(m_sPath.c_str(), F_OK), 0);
  CClient late;
  EXPECT_FALSE(late.Connect(m_sPath));
}

TEST(ControlChannelServerStartTest, ReplacesADeadServersSocketButNotALiveOne) {
  test::CTempPrefix prefix;
  std::string path = prefix.Dir() + "/dev.ctl";
  auto echo = [](const std::string& line) { return line; };

  // A socket file nobody listens on, as one that was killed leaves it.
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  close(fd);

  CControlChannelServer first(echo, MAX_LINE), second(echo, MAX_LINE);
  ASSERT_EQ(first.Start(path), ERROR_CODE_SUCCESS);
  EXPECT_EQ(second.Start(path), ERROR_CODE_ALREADY_EXISTS);
  CClient c;
  ASSERT_TRUE(c.Connect(path));
  EXPECT_EQ(c("first"), "first");

  EXPECT_EQ(second.Start(prefix.Dir() + "/" + std::string(120, 'n')),
            ERROR_CODE_INVALID_PARAMETER);
  EXPECT_NE(second.Start(prefix.Dir() + "/missing/dev.ctl"), ERROR_CODE_SUCCESS);
  // A file that is not a socket is not ours to replace.
  std::string file = prefix.Dir() + "/file.ctl";
  close(open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
  EXPECT_EQ(second.Start(file), ERROR_CODE_ACCESS_DENIED);
  EXPECT_EQ(access(file.c_str(), F_OK), 0);
}

}  // namespace
}  // namespace kv
