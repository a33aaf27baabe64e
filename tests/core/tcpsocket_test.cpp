#include "framework/core/TCPSocket.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/tcp.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "framework/core/ScopedHook.h"
#include "framework/core/SocketWatch.h"
#include "tests/support/CannotRun.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/ResolverGate.h"

namespace {

using testsupport::LoopbackListener;
using namespace std::chrono_literals;

// A socket whose Error events are counted.
class SocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    socket_.SetErrorHandler([this] {
      ++errors_;
      codeSeenByHandler_ = socket_.LastErrorCode();
      connectedSeenByHandler_ = socket_.IsConnected();
    });
  }

  // Polls until done() holds or a generous bound passes; the bound only
  // keeps a broken socket from hanging the test.
  template <typename Done>
  bool PollUntil(Done done, std::chrono::milliseconds bound = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      socket_.Poll();
      std::this_thread::sleep_for(1ms);
    }
    return true;
  }

  void ConnectTo(const fw::String& address, int port) {
    socket_.SetAddress(address);
    socket_.SetPort(port);
    socket_.Connect();
  }

  // Connects to listener_ and accepts there.
  void Establish() {
    ConnectTo("127.0.0.1", listener_.Port());
    ASSERT_TRUE(PollUntil([&] { return socket_.IsConnected(); }));
    ASSERT_TRUE(listener_.Accept());
  }

  LoopbackListener listener_;
  fw::TCPSocket socket_;
  int errors_ = 0;
  std::int32_t codeSeenByHandler_ = -1;
  bool connectedSeenByHandler_ = true;
};

TEST_F(SocketTest, StartsClosedWithoutError) {
  EXPECT_EQ(socket_.Address(), "");
  EXPECT_EQ(socket_.Port(), 0);
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_EQ(socket_.LastErrorCode(), 0);
  socket_.Poll();
  EXPECT_EQ(errors_, 0);
}

TEST_F(SocketTest, ConnectsToLiteralLoopbackAndSendsWhatIsWritten) {
  Establish();
  EXPECT_EQ(socket_.LastErrorCode(), 0);
  socket_.Write("abc^Y\x0C");
  socket_.Poll();
  EXPECT_EQ(listener_.ReadAtLeast(6), "abc^Y\x0C");
  EXPECT_EQ(errors_, 0);
}

TEST_F(SocketTest, ConnectReturnsBeforeTheConnectionStands) {
  ConnectTo("127.0.0.1", listener_.Port());
  // Nothing has polled yet: the connection is not reported as standing.
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_EQ(socket_.LastErrorCode(), 0);
  EXPECT_TRUE(PollUntil([&] { return socket_.IsConnected(); }));
}

TEST_F(SocketTest, BytesWrittenWhileConnectingGoOutInOrder) {
  ConnectTo("127.0.0.1", listener_.Port());
  socket_.Write("one ");
  socket_.Write("two");
  ASSERT_TRUE(PollUntil([&] { return socket_.IsConnected(); }));
  ASSERT_TRUE(listener_.Accept());
  socket_.Write(" three");
  socket_.Poll();
  EXPECT_EQ(listener_.ReadAtLeast(13), "one two three");
}

TEST_F(SocketTest, LargeWriteIsSentAcrossPolls) {
  Establish();
  std::string big(4 * 1024 * 1024, 'x');
  big.back() = 'y';
  socket_.Write(big);
  std::string got;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (got.size() < big.size() && std::chrono::steady_clock::now() < deadline) {
    socket_.Poll();
    got = listener_.ReadAtLeast(got.size() + 1, 10ms);
  }
  EXPECT_EQ(got.size(), big.size());
  EXPECT_EQ(got.back(), 'y');
  EXPECT_EQ(errors_, 0);
}

TEST_F(SocketTest, RefusedConnectionRaisesErrorOnce) {
  LoopbackListener::ClosedPort closed;
  ConnectTo("127.0.0.1", closed.Port());
  ASSERT_TRUE(PollUntil([&] { return errors_ > 0; }));
  EXPECT_EQ(socket_.LastErrorCode(), fw::TCPSocket::kConnectionRefused);
  EXPECT_EQ(codeSeenByHandler_, fw::TCPSocket::kConnectionRefused);
  EXPECT_FALSE(connectedSeenByHandler_);
  for (int i = 0; i < 10; ++i) socket_.Poll();
  EXPECT_EQ(errors_, 1);
  EXPECT_FALSE(socket_.IsConnected());
}

TEST_F(SocketTest, ListenerThatNeverAcceptsNeverCompletes) {
  LoopbackListener full(0);
  ASSERT_TRUE(full.FillAcceptQueue());
  ConnectTo("127.0.0.1", full.Port());
  for (int i = 0; i < 100; ++i) {
    socket_.Poll();
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_EQ(socket_.LastErrorCode(), 0);
  EXPECT_EQ(errors_, 0);
  socket_.Close();
  EXPECT_EQ(errors_, 0);
}

// The socket descriptors this process holds.
std::set<int> SocketDescriptors() {
  std::set<int> fds;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return fds;
  while (dirent* entry = readdir(dir)) {
    const int fd = std::atoi(entry->d_name);
    struct stat st;
    if (fd > 2 && fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode)) fds.insert(fd);
  }
  closedir(dir);
  return fds;
}

int UserTimeout(int fd) {
  int value = -1;
  socklen_t len = sizeof value;
  getsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &value, &len);
  return value;
}

// The bound on unanswered data (TCP_USER_TIMEOUT, 20 s) was set before
// connecting, so the system gave up a connect after 20 s, before the
// client's own 30-second wait: it is set once the connection stands.
TEST_F(SocketTest, UnansweredDataBoundAppliesOnlyOnceConnected) {
  LoopbackListener full(0);
  ASSERT_TRUE(full.FillAcceptQueue());
  const std::set<int> before = SocketDescriptors();
  ConnectTo("127.0.0.1", full.Port());
  socket_.Poll();
  std::vector<int> added;
  for (int fd : SocketDescriptors())
    if (!before.count(fd)) added.push_back(fd);
  ASSERT_EQ(added.size(), 1u);  // the socket's own, still connecting
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_EQ(UserTimeout(added[0]), 0);
  socket_.Close();

  const std::set<int> idle = SocketDescriptors();
  ConnectTo("127.0.0.1", listener_.Port());
  ASSERT_TRUE(PollUntil([&] { return socket_.IsConnected(); }));
  added.clear();
  for (int fd : SocketDescriptors())
    if (!idle.count(fd)) added.push_back(fd);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(UserTimeout(added[0]), 20000);
}

struct BadTarget {
  const char* name;
  const char* address;
  int port;
  std::int32_t code;
};

const BadTarget kBadTargets[] = {
    {"port 0", "127.0.0.1", 0, fw::TCPSocket::kInvalidPort},
    {"negative port", "127.0.0.1", -1, fw::TCPSocket::kInvalidPort},
    {"port 65536", "127.0.0.1", 65536, fw::TCPSocket::kInvalidPort},
    {"name under .invalid", "nonexistent.invalid", 3128, fw::TCPSocket::kHostNotFound},
    {"bare invalid, upper case, trailing dot", "INVALID.", 3128, fw::TCPSocket::kHostNotFound},
    {"empty address", "", 3128, fw::TCPSocket::kHostNotFound},
    {"blank in name", "bad host", 3128, fw::TCPSocket::kHostNotFound},
    {"empty label", "a..b", 3128, fw::TCPSocket::kHostNotFound},
    {"non-ASCII name", "サーバ", 3128, fw::TCPSocket::kHostNotFound},
    {"malformed numeric address", "256.1.1.1", 3128, fw::TCPSocket::kHostNotFound},
    {"label too long", "a123456789012345678901234567890123456789012345678901234567890123.org", 3128,
     fw::TCPSocket::kHostNotFound},
};

// These are decided by Connect itself, without any resolver or network:
// the code is there at once and the event follows at the next Poll.
TEST_F(SocketTest, BadTargetsFailAtConnectAndRaiseAtNextPoll) {
  for (const BadTarget& t : kBadTargets) {
    SCOPED_TRACE(t.name);
    errors_ = 0;
    ConnectTo(t.address, t.port);
    EXPECT_EQ(socket_.LastErrorCode(), t.code);
    EXPECT_EQ(errors_, 0);
    socket_.Poll();
    EXPECT_EQ(errors_, 1);
    EXPECT_EQ(codeSeenByHandler_, t.code);
    socket_.Poll();
    EXPECT_EQ(errors_, 1);
    EXPECT_FALSE(socket_.IsConnected());
  }
}

TEST_F(SocketTest, CloseOrConnectDropsAPendingError) {
  ConnectTo("127.0.0.1", 0);
  socket_.Close();
  EXPECT_EQ(socket_.LastErrorCode(), fw::TCPSocket::kInvalidPort);  // kept
  socket_.Poll();
  EXPECT_EQ(errors_, 0);

  ConnectTo("127.0.0.1", 0);
  Establish();  // Connect again clears the code and the pending event
  EXPECT_EQ(socket_.LastErrorCode(), 0);
  EXPECT_EQ(errors_, 0);
}

TEST_F(SocketTest, ResolvesAHostNameWithoutBlocking) {
  // "localhost" comes from the hosts file; the resolver runs on the
  // socket's thread and Poll picks up the result.
  ConnectTo("localhost", listener_.Port());
  EXPECT_EQ(socket_.LastErrorCode(), 0);
  EXPECT_FALSE(socket_.IsConnected());
  ASSERT_TRUE(PollUntil([&] { return socket_.IsConnected() || errors_ > 0; }));
  if (errors_ > 0 && socket_.LastErrorCode() == fw::TCPSocket::kConnectionRefused) {
    CANNOT_RUN_HERE("localhost does not resolve to 127.0.0.1 first here");
  }
  ASSERT_TRUE(socket_.IsConnected());
  ASSERT_TRUE(listener_.Accept());
  socket_.Write("hi");
  socket_.Poll();
  EXPECT_EQ(listener_.ReadAtLeast(2), "hi");
}

// A name server that does not answer keeps neither Connect nor Poll
// waiting; the answer, once it comes, is picked up by a later Poll.
TEST_F(SocketTest, ResolverThatDoesNotAnswerBlocksNothing) {
  testsupport::ResolverGate gate({"127.0.0.1"});
  ConnectTo("slow.example", listener_.Port());
  for (int i = 0; i < 50; ++i) socket_.Poll();
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_EQ(socket_.LastErrorCode(), 0);
  EXPECT_EQ(errors_, 0);
  gate.Open();
  ASSERT_TRUE(PollUntil([&] { return socket_.IsConnected() || errors_ > 0; }));
  EXPECT_TRUE(socket_.IsConnected());
  EXPECT_EQ(gate.Asked(), 1);
}

TEST_F(SocketTest, NameWithoutAddressesIsNotFound) {
  fw::ScopedHook<fw::SetHostResolver> resolver(
      [](const fw::String&) { return std::vector<fw::String>{}; });
  ConnectTo("nowhere.example", listener_.Port());
  ASSERT_TRUE(PollUntil([&] { return errors_ > 0; }));
  EXPECT_EQ(socket_.LastErrorCode(), fw::TCPSocket::kHostNotFound);
}

TEST_F(SocketTest, ResolverThatThrowsFindsNothing) {
  fw::ScopedHook<fw::SetHostResolver> resolver(
      [](const fw::String&) -> std::vector<fw::String> { throw std::runtime_error("boom"); });
  ConnectTo("broken.example", listener_.Port());
  ASSERT_TRUE(PollUntil([&] { return errors_ > 0; }));
  EXPECT_EQ(socket_.LastErrorCode(), fw::TCPSocket::kHostNotFound);
}

TEST_F(SocketTest, ClosingWhileResolvingIsSafe) {
  ConnectTo("localhost", listener_.Port());
  socket_.Close();
  socket_.Poll();
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_EQ(errors_, 0);
}

struct PeerEnd {
  const char* name;
  bool reset;
};
const PeerEnd kPeerEnds[] = {{"orderly close", false}, {"reset", true}};

TEST_F(SocketTest, PeerEndingTheConnectionIsNoticedByPoll) {
  for (const PeerEnd& end : kPeerEnds) {
    SCOPED_TRACE(end.name);
    errors_ = 0;
    Establish();
    listener_.CloseConnection(end.reset);
    ASSERT_TRUE(PollUntil([&] { return errors_ > 0; }));
    EXPECT_EQ(errors_, 1);
    EXPECT_EQ(codeSeenByHandler_, fw::TCPSocket::kLostConnection);
    EXPECT_FALSE(connectedSeenByHandler_);
    EXPECT_FALSE(socket_.IsConnected());
  }
}

// Without care a write to a gone peer raises SIGPIPE, which ends the
// process; here it must end in the LostConnection error. A large write makes
// the socket call the system again after the peer's reset has come back.
TEST_F(SocketTest, WritingToAGonePeerDoesNotKillTheProcess) {
  for (const PeerEnd& end : kPeerEnds) {
    SCOPED_TRACE(end.name);
    errors_ = 0;
    Establish();
    listener_.CloseConnection(end.reset);
    std::this_thread::sleep_for(20ms);
    for (int i = 0; i < 20 && errors_ == 0; ++i) {
      socket_.Write(std::string(1 << 20, 'z'));
      socket_.Poll();
    }
    EXPECT_EQ(errors_, 1);
    EXPECT_EQ(socket_.LastErrorCode(), fw::TCPSocket::kLostConnection);
  }
}

TEST_F(SocketTest, WriteToAClosedSocketIsDropped) {
  socket_.Write("lost");
  socket_.Poll();
  EXPECT_EQ(errors_, 0);
  Establish();
  socket_.Write("kept");
  socket_.Poll();
  EXPECT_EQ(listener_.ReadAtLeast(4), "kept");
}

TEST_F(SocketTest, DisconnectSendsWhatIsQueuedThenEndsInOrder) {
  Establish();
  socket_.Write("abc^Q\x0C");
  socket_.Disconnect();
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_TRUE(listener_.WaitForPeerClose());
  EXPECT_EQ(listener_.Received(), "abc^Q\x0C");
  socket_.Poll();
  EXPECT_EQ(errors_, 0);
  EXPECT_EQ(socket_.LastErrorCode(), 0);
}

TEST_F(SocketTest, CloseEndsTheConnectionWithoutEvent) {
  Establish();
  socket_.Close();
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_TRUE(listener_.WaitForPeerClose());
  socket_.Poll();
  EXPECT_EQ(errors_, 0);
}

TEST_F(SocketTest, DataFromThePeerIsDiscardedAndKeepsTheConnection) {
  Establish();
  listener_.Send(std::string(100000, 'p'));
  for (int i = 0; i < 20; ++i) {
    socket_.Poll();
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_TRUE(socket_.IsConnected());
  socket_.Write("still");
  socket_.Poll();
  EXPECT_EQ(listener_.ReadAtLeast(5), "still");
  EXPECT_EQ(errors_, 0);
}

// Closing a socket with unread data makes the system reset the connection
// and the peer may lose what was sent last; ending in order must not.
TEST_F(SocketTest, EndingInOrderDespiteUnreadDataFromThePeer) {
  Establish();
  listener_.Send(std::string(1000, 'p'));
  std::this_thread::sleep_for(20ms);
  socket_.Write("last words");
  socket_.Disconnect();
  EXPECT_TRUE(listener_.WaitForPeerClose());
  EXPECT_EQ(listener_.Received(), "last words");
  EXPECT_FALSE(listener_.PeerReset());
}

TEST_F(SocketTest, ReconnectAfterAnErrorStartsClean) {
  Establish();
  listener_.CloseConnection();
  ASSERT_TRUE(PollUntil([&] { return errors_ > 0; }));
  Establish();
  EXPECT_EQ(socket_.LastErrorCode(), 0);
  socket_.Write("again");
  socket_.Poll();
  EXPECT_EQ(listener_.ReadAtLeast(5), "again");
}

TEST(TCPSocket, HandlerMayDestroyTheSocket) {
  LoopbackListener::ClosedPort closed;
  auto socket = std::make_unique<fw::TCPSocket>();
  int calls = 0;
  socket->SetErrorHandler([&] {
    ++calls;
    socket.reset();
  });
  socket->SetAddress("127.0.0.1");
  socket->SetPort(closed.Port());
  socket->Connect();
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (socket && std::chrono::steady_clock::now() < deadline) socket->Poll();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(socket, nullptr);
}

class RecordingWatch : public fw::SocketWatch {
 public:
  void Add(fw::TCPSocket& s) override { log.push_back({"add", &s}); }
  void Remove(fw::TCPSocket& s) override { log.push_back({"remove", &s}); }
  std::vector<std::pair<std::string, fw::TCPSocket*>> log;
};

TEST(TCPSocket, RegistersWithTheWatchWhileOpen) {
  auto watch = std::make_shared<RecordingWatch>();
  fw::ScopedHook<fw::SetSocketWatch> installed(watch);
  LoopbackListener listener;
  {
    fw::TCPSocket socket;
    socket.SetAddress("127.0.0.1");
    socket.SetPort(listener.Port());
    socket.Connect();
    ASSERT_EQ(watch->log.size(), 1u);
    EXPECT_EQ(watch->log[0].first, "add");
    EXPECT_EQ(watch->log[0].second, &socket);
    socket.Close();
    ASSERT_EQ(watch->log.size(), 2u);
    EXPECT_EQ(watch->log[1].first, "remove");
    socket.Close();
    EXPECT_EQ(watch->log.size(), 2u);

    socket.SetPort(0);
    socket.Connect();  // refused at once: never opened, never watched
    EXPECT_EQ(watch->log.size(), 2u);

    socket.SetPort(listener.Port());
    socket.Connect();
    EXPECT_EQ(watch->log.size(), 3u);
  }
  ASSERT_EQ(watch->log.size(), 4u);  // the destructor unregistered it
  EXPECT_EQ(watch->log[3].first, "remove");
}

}  // namespace
