#include "framework/ui/SocketWatch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <memory>
#include <thread>

#include "framework/core/TCPSocket.h"
#include "tests/support/LoopbackListener.h"

namespace {

using testsupport::LoopbackListener;
using namespace std::chrono_literals;

class SocketWatchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QCoreApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "socketwatch_test";
      static char* argv[] = {name, nullptr};
      app_ = new QCoreApplication(argc, argv);
    }
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }
  void SetUp() override { fw::InstallSocketWatch(); }
  void TearDown() override { fw::RemoveSocketWatch(); }

  // Connects socket to listener, polling by hand, and accepts there.
  static bool Establish(fw::TCPSocket& socket, LoopbackListener& listener) {
    socket.SetAddress("127.0.0.1");
    socket.SetPort(listener.Port());
    socket.Connect();
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!socket.IsConnected() && std::chrono::steady_clock::now() < deadline) {
      socket.Poll();
      std::this_thread::sleep_for(1ms);
    }
    return socket.IsConnected() && listener.Accept();
  }

  // Runs the event loop alone (nobody calls Poll) until quit or a bound.
  static void RunEventLoop(QEventLoop& loop) {
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
  }

  static QCoreApplication* app_;
};

QCoreApplication* SocketWatchTest::app_ = nullptr;

TEST_F(SocketWatchTest, IdleEventLoopNoticesAPeerThatCloses) {
  LoopbackListener listener;
  fw::TCPSocket socket;
  QEventLoop loop;
  int errors = 0;
  socket.SetErrorHandler([&] {
    ++errors;
    loop.quit();
  });
  ASSERT_TRUE(Establish(socket, listener));
  listener.CloseConnection();
  RunEventLoop(loop);
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(socket.LastErrorCode(), fw::TCPSocket::kLostConnection);
}

TEST_F(SocketWatchTest, IdleEventLoopSendsWhatIsQueued) {
  LoopbackListener listener;
  fw::TCPSocket socket;
  ASSERT_TRUE(Establish(socket, listener));
  socket.Write("late");  // no Poll of our own
  QEventLoop loop;
  QTimer::singleShot(3 * fw::kSocketWatchIntervalMs, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(listener.ReadAvailable(), "late");
}

TEST_F(SocketWatchTest, HandlerThatDestroysAnotherWatchedSocketIsSafe) {
  LoopbackListener listenerA;
  LoopbackListener listenerB;
  auto a = std::make_unique<fw::TCPSocket>();
  auto b = std::make_unique<fw::TCPSocket>();
  QEventLoop loop;
  int errors = 0;
  const auto handler = [&] {
    ++errors;
    a.reset();
    b.reset();
    loop.quit();
  };
  a->SetErrorHandler(handler);
  b->SetErrorHandler(handler);
  ASSERT_TRUE(Establish(*a, listenerA));
  ASSERT_TRUE(Establish(*b, listenerB));
  listenerA.CloseConnection();
  listenerB.CloseConnection();
  std::this_thread::sleep_for(20ms);
  RunEventLoop(loop);
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(b, nullptr);
}

TEST_F(SocketWatchTest, WithoutTheWatchAnIdleSocketNoticesNothing) {
  fw::RemoveSocketWatch();
  LoopbackListener listener;
  fw::TCPSocket socket;
  int errors = 0;
  socket.SetErrorHandler([&] { ++errors; });
  ASSERT_TRUE(Establish(socket, listener));
  listener.CloseConnection();
  QEventLoop loop;
  QTimer::singleShot(3 * fw::kSocketWatchIntervalMs, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(errors, 0);
  EXPECT_TRUE(socket.IsConnected());
  socket.Poll();
  EXPECT_EQ(errors, 1);
}

}  // namespace
