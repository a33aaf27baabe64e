// The connection: the field checks, the connect and disconnect roads, the
// bounded wait, the error road with its messages, the enabling rules and
// the leave message on closing, against listeners on 127.0.0.1.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCloseEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "client/App.h"
#include "framework/core/ScopedHook.h"
#include "framework/core/Ticks.h"
#include "framework/ui/DesktopBackends.h"
#include "tests/client/support/ClientWindowTest.h"
#include "tests/support/ResolverGate.h"

namespace {

using namespace clienttest;

using ConnectionTest = ClientWindowTest;

struct FieldCase {
  const char* name;
  const char* port;
  const char* server;
  const char* user;
  const char* message;
  const char* focus;  // the field that gets the focus
};

// None of these reaches the network: each fails a check before connecting.
const FieldCase kFieldCases[] = {
    {"port 0", "0", "127.0.0.1", "abc", kBadPort, "txtPort"},
    {"port 65536", "65536", "127.0.0.1", "abc", kBadPort, "txtPort"},
    {"empty port", "", "127.0.0.1", "abc", kBadPort, "txtPort"},
    {"letters in port", "abc", "127.0.0.1", "abc", kBadPort, "txtPort"},
    {"port with trailing letters", "80x", "127.0.0.1", "abc", kBadPort, "txtPort"},
    {"negative port", "-1", "127.0.0.1", "abc", kBadPort, "txtPort"},
    {"port 1 passes, blank address", "1", "   ", "abc", kBadAddress, "txtServer"},
    {"port 65535 passes, blank name", "65535", "127.0.0.1", "  ", kBadName, "txtName"},
    {"everything bad: only the port", "0", "", "", kBadPort, "txtPort"},
    {"address and name bad: only the address", "3128", " ", " ", kBadAddress, "txtServer"},
    {"empty address", "3128", "", "abc", kBadAddress, "txtServer"},
    {"empty name", "3128", "127.0.0.1", "", kBadName, "txtName"},
    {"ideographic blanks only", "3128", "127.0.0.1", "\u3000", kBadName, "txtName"},
};

TEST_F(ConnectionTest, FieldChecksTable) {
  for (const FieldCase& c : kFieldCases) {
    SCOPED_TRACE(c.name);
    boxes.messages.clear();
    w->txtServer->SetFocus();  // somewhere else than the expected field
    w->EditField1->SetFocus();
    Fill(c.server, c.port, c.user);
    // The handler itself: the button is disabled while a field is empty.
    w->cmdConnect_Action();
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0], c.message);
    QWidget* focused = w->Widget()->focusWidget();
    EXPECT_EQ(focused, w->Control(c.focus)->Widget());
    // Nothing was trimmed, nothing connected.
    EXPECT_EQ(w->txtServer->Text(), c.server);
    EXPECT_EQ(w->txtPort->Text(), c.port);
    EXPECT_EQ(w->txtName->Text(), c.user);
    EXPECT_FALSE(w->wskClient->IsConnected());
    EXPECT_EQ(w->cmdConnect->Icon(), button_connect_japan());
  }
}

struct EnableCase {
  const char* name;
  const char* server;
  const char* port;
  const char* user;
  bool enabled;
};

const EnableCase kEnableCases[] = {
    {"all filled", "h", "1", "n", true}, {"blanks count as filled", " ", " ", " ", true},
    {"no name", "h", "1", "", false},    {"no server", "", "1", "n", false},
    {"no port", "h", "", "n", false},    {"nothing", "", "", "", false},
};

TEST_F(ConnectionTest, ConnectButtonIsEnabledWhileAllThreeFieldsHoldText) {
  // As laid out, the button starts enabled; typing re-evaluates it.
  EXPECT_TRUE(w->cmdConnect->Enabled());
  for (const EnableCase& c : kEnableCases) {
    SCOPED_TRACE(c.name);
    Fill(c.server, c.port, c.user);
    EXPECT_EQ(w->cmdConnect->Enabled(), c.enabled);
  }
}

TEST_F(ConnectionTest, ConnectSendsJoinAndSwitchesToTheConnectedState) {
  LoopbackListener listener;
  Fill(" 127.0.0.1 ", " " + std::to_string(listener.Port()) + " ", "  abc ");
  Click(*w->cmdConnect);
  EXPECT_TRUE(boxes.messages.empty());
  ASSERT_TRUE(listener.Accept());
  EXPECT_EQ(listener.ReadAtLeast(6), "abc^J\x0C");

  // The fields were trimmed before connecting, then disabled.
  EXPECT_EQ(w->txtServer->Text(), "127.0.0.1");
  EXPECT_EQ(w->txtPort->Text(), std::to_string(listener.Port()));
  EXPECT_EQ(w->txtName->Text(), "abc");
  EXPECT_FALSE(w->txtServer->Enabled());
  EXPECT_FALSE(w->txtPort->Enabled());
  EXPECT_FALSE(w->txtName->Enabled());
  EXPECT_EQ(w->cmdConnect->Icon(), button_disconnect_japan());
  EXPECT_TRUE(w->cmdConnect->Enabled());
  for (fw::RectControl* c : AnswerSet()) EXPECT_TRUE(c->Enabled()) << c->Name();
  EXPECT_FALSE(w->FreeTextOK->Visible());
  EXPECT_EQ(w->Height(), 154);
  EXPECT_TRUE(w->TopHandle->Visible());
  EXPECT_TRUE(w->BottomHandle->Visible());
  EXPECT_EQ(w->Title(), std::string(kTitlePrefix) + "abc");
}

TEST_F(ConnectionTest, DisconnectSendsLeaveBeforeTheConnectionEnds) {
  LoopbackListener listener;
  Connect(listener);
  const std::string title = w->Title();
  Click(*w->TopHandle);  // the connect button lies in the cut-off server group
  Click(*w->cmdConnect);
  EXPECT_TRUE(listener.WaitForPeerClose());
  EXPECT_EQ(listener.Received(), "abc^Q\x0C");
  EXPECT_FALSE(listener.PeerReset());
  EXPECT_TRUE(boxes.messages.empty());
  EXPECT_FALSE(w->wskClient->IsConnected());
  ExpectDisconnectedControls();
  // View and title stay as they were.
  EXPECT_EQ(w->Height(), 261);
  EXPECT_EQ(w->Title(), title);
  EXPECT_TRUE(w->BottomHandle->Visible());
}

TEST_F(ConnectionTest, ReconnectAfterDisconnecting) {
  LoopbackListener listener;
  Connect(listener);
  Click(*w->TopHandle);
  Click(*w->cmdConnect);
  ASSERT_TRUE(listener.WaitForPeerClose());
  Connect(listener, "def");
  EXPECT_EQ(w->Height(), 154);
  EXPECT_EQ(w->Title(), std::string(kTitlePrefix) + "def");
  EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(ConnectionTest, RefusedConnectionIsReportedOnce) {
  LoopbackListener::ClosedPort closed;
  Fill("127.0.0.1", std::to_string(closed.Port()), "abc");
  Click(*w->cmdConnect);
  ASSERT_EQ(boxes.messages.size(), 1u);
  EXPECT_EQ(boxes.messages[0], kConnectFailed);
  EXPECT_FALSE(w->wskClient->IsConnected());
  ExpectDisconnectedControls();
  EXPECT_EQ(w->Height(), 261);
  EXPECT_FALSE(w->TopHandle->Visible());
  EXPECT_FALSE(w->BottomHandle->Visible());
  // Ready for another attempt.
  LoopbackListener listener;
  Connect(listener);
  EXPECT_EQ(boxes.messages.size(), 1u);
}

TEST_F(ConnectionTest, UnknownHostIsReportedOnce) {
  Fill("nonexistent.invalid", "3128", "abc");
  Click(*w->cmdConnect);
  ASSERT_EQ(boxes.messages.size(), 1u);
  EXPECT_EQ(boxes.messages[0], kConnectFailed);
  ExpectDisconnectedControls();
}

TEST_F(ConnectionTest, ServerThatNeverAcceptsTimesOutAfter1800Ticks) {
  LoopbackListener full(0);
  ASSERT_TRUE(full.FillAcceptQueue());
  // Each reading of the clock moves it on by 10 ticks; record the first
  // reading and the last to see where the wait stopped.
  std::int32_t now = 5000;
  std::int32_t readings = 0;
  fw::ScopedHook<fw::SetTicksHook> ticks([&] {
    ++readings;
    return now += 10;
  });
  Fill("127.0.0.1", std::to_string(full.Port()), "abc");
  Click(*w->cmdConnect);
  ASSERT_EQ(boxes.messages.size(), 1u);
  EXPECT_EQ(boxes.messages[0], kConnectFailed);
  // The deadline was the first reading plus 1800: the wait read the clock
  // until it reached it (one reading for the deadline, one per pass).
  EXPECT_EQ(now, 5010 + 1800);
  EXPECT_EQ(readings, 1 + 180);
  EXPECT_FALSE(w->wskClient->IsConnected());
  ExpectDisconnectedControls();
  EXPECT_EQ(w->Height(), 261);
}

TEST_F(ConnectionTest, NameThatNeverResolvesTimesOutToo) {
  testsupport::ResolverGate gate({"127.0.0.1"});  // never opened in time
  std::int32_t now = 0;
  fw::ScopedHook<fw::SetTicksHook> ticks([&] { return now += 10; });
  Fill("slow.example", "3128", "abc");
  Click(*w->cmdConnect);
  EXPECT_EQ(boxes.messages, std::vector<fw::String>{kConnectFailed});
  EXPECT_EQ(now, 10 + 1800);
  EXPECT_FALSE(w->wskClient->IsConnected());
  ExpectDisconnectedControls();
}

TEST_F(ConnectionTest, LostConnectionWhileIdleIsNoticedByTheEventLoop) {
  LoopbackListener listener;
  Connect(listener);
  const std::string title = w->Title();
  listener.CloseConnection();
  ASSERT_TRUE(RunEventLoopUntil([&] { return !boxes.messages.empty(); }));
  ASSERT_EQ(boxes.messages.size(), 1u);
  EXPECT_EQ(boxes.messages[0], kLostConnection);
  ExpectDisconnectedControls();
  EXPECT_EQ(w->Height(), 154);
  EXPECT_TRUE(w->TopHandle->Visible());
  EXPECT_EQ(w->Title(), title);
}

TEST_F(ConnectionTest, LostConnectionNoticedWhenSendingAnAnswer) {
  LoopbackListener listener;
  Connect(listener);
  listener.CloseConnection(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  Click(*w->Image2);
  ASSERT_EQ(boxes.messages.size(), 1u);
  EXPECT_EQ(boxes.messages[0], kLostConnection);
  ExpectDisconnectedControls();
  // Later presses reach nothing: the answer set is disabled.
  Click(*w->Image2);
  EXPECT_EQ(boxes.messages.size(), 1u);
}

TEST_F(ConnectionTest, ErrorWhileDisconnectingShowsNothing) {
  LoopbackListener listener;
  Connect(listener);
  listener.CloseConnection(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  Click(*w->TopHandle);
  Click(*w->cmdConnect);  // the leave message meets the reset
  EXPECT_TRUE(boxes.messages.empty());
  EXPECT_FALSE(w->wskClient->IsConnected());
  ExpectDisconnectedControls();
  // The next press connects again.
  Connect(listener);
  EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(ConnectionTest, ErrorEventWithoutCodeIsIgnored) {
  LoopbackListener listener;
  Connect(listener);
  w->wskClient_Error();  // LastErrorCode is 0
  EXPECT_TRUE(boxes.messages.empty());
  EXPECT_TRUE(w->wskClient->IsConnected());
  EXPECT_EQ(w->cmdConnect->Icon(), button_disconnect_japan());
}

TEST_F(ConnectionTest, ClosingWhileConnectedSendsLeaveAndQuits) {
  LoopbackListener listener;
  Connect(listener);
  w->Close();
  EXPECT_TRUE(fw::IsQuitting());
  EXPECT_EQ(listener.ReadAtLeast(6), "abc^Q\x0C");
  // Releasing the closed window ends the connection in order.
  w.reset();
  fw::RuntimeReset();
  testsupport::ProcessEvents();
  EXPECT_TRUE(listener.WaitForPeerClose());
  EXPECT_FALSE(listener.PeerReset());
  EXPECT_EQ(listener.Received(), "abc^Q\x0C");
}

TEST_F(ConnectionTest, ClosingWhileDisconnectedSendsNothing) {
  LoopbackListener listener;
  Connect(listener);
  Click(*w->TopHandle);
  Click(*w->cmdConnect);
  ASSERT_TRUE(listener.WaitForPeerClose());
  EXPECT_EQ(listener.Received(), "abc^Q\x0C");
  w->Close();
  EXPECT_TRUE(fw::IsQuitting());
  // No new connection and nothing more on the old one.
  EXPECT_FALSE(listener.Accept(std::chrono::milliseconds(100)));
  EXPECT_EQ(listener.Received(), "abc^Q\x0C");
}

TEST_F(ConnectionTest, ClosingBeforeAnyConnectionSendsNothing) {
  LoopbackListener listener;
  Fill("127.0.0.1", std::to_string(listener.Port()), "abc");
  w->Close();
  EXPECT_TRUE(fw::IsQuitting());
  EXPECT_FALSE(listener.Accept(std::chrono::milliseconds(100)));
}

// Closes every real message box as it appears and records its text.
class BoxCloser {
 public:
  BoxCloser() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      shown.push_back(box->text().toStdString());
      box->done(0);
    });
    timer_.start();
  }
  std::vector<std::string> shown;

 private:
  fw::ScopedHook<fw::SetMsgBoxHook> realBoxes_{fw::DesktopMsgBox};
  QTimer timer_;
};

struct QueuedCloseCase {
  const char* name;
  bool serverAccepts;
  std::string toStandardError;  // the text of the box that did not open
  std::string received;         // what the listener got after the join
};

// A close request that came during the connect wait was lost: the error box
// blocked it when Qt delivered it, and the client went on running. A click
// that came then must not start a second attempt. The user is leaving, so
// the error box does not open either: it waited for OK inside a logout.
TEST_F(ConnectionTest, CloseRequestDuringTheConnectWaitIsCarriedOutAfterIt) {
  const QueuedCloseCase cases[] = {
      {"no connection: instead of the error box", false, kConnectFailed, ""},
      {"connected: after the join, with the leave message", true, {}, "abc^Q\x0C"},
  };
  for (const QueuedCloseCase& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackListener listener(c.serverAccepts ? 16 : 0);
    if (!c.serverAccepts) {
      ASSERT_TRUE(listener.FillAcceptQueue());
    }
    BoxCloser boxes;
    // The first reading of the clock comes inside the wait's handler, which
    // lets no event through: the window manager's request waits in the queue,
    // and, where the error box will follow, a click on the connect button too.
    std::int32_t now = 0;
    fw::ScopedHook<fw::SetTicksHook> ticks([&] {
      if (now == 0) {
        QCoreApplication::postEvent(w->Widget()->windowHandle(), new QCloseEvent);
        QWidget* button = w->cmdConnect->Widget();
        if (c.serverAccepts) return now += 10;
        const QPointF centre = QRectF(button->rect()).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
          QCoreApplication::postEvent(
              button, new QMouseEvent(type, centre, button->mapToGlobal(centre), Qt::LeftButton,
                                      Qt::LeftButton, Qt::NoModifier));
      }
      return now += 10;
    });
    Fill("127.0.0.1", std::to_string(listener.Port()), "abc");
    testing::internal::CaptureStderr();
    Click(*w->cmdConnect);
    testsupport::ProcessEvents();
    const std::string errors = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown[0];
    EXPECT_NE(errors.find(c.toStandardError), std::string::npos) << errors;
    EXPECT_TRUE(w->IsClosed());
    EXPECT_TRUE(fw::IsQuitting());
    EXPECT_EQ(Prefs::ServerAddress(), "127.0.0.1");
    if (c.serverAccepts) {
      ASSERT_TRUE(listener.Accept());
      EXPECT_EQ(listener.ReadAtLeast(12), "abc^J\x0C" + c.received);
    }
    // The next case starts afresh.
    w.reset();
    fw::RuntimeReset();
    Prefs::ResetForTests();
    w = wMain::wMain();
  }
}

// How a quit begins in the cases below.
enum class QuitRoad {
  kSignalThenConnect,      // a signal pending as the connect wait fails
  kSignalThenSocketCheck,  // a signal pending as the idle socket check runs
  kCloseTheWindow,         // the close button, with the server gone
};

struct QuitInsideCase {
  const char* name;
  QuitRoad road;
};

// A quit signal that was pending when the connect wait failed, or when the
// idle socket check found the connection lost, began the quit inside the
// error box: the main window was released while its error road still ran on
// it (a use-after-free, exit 139). Closing the window while the server was
// gone opened "Lost connection" inside the close and wrote the settings only
// after someone pressed OK. Now no box opens (its text goes to standard
// error, see backends_test).
TEST_F(ConnectionTest, AQuitBegunInsideTheErrorRoadLeavesItsWindowAndOpensNoBox) {
  const QuitInsideCase cases[] = {
      {"a signal, then the connect wait fails", QuitRoad::kSignalThenConnect},
      {"a signal, then the connection is found lost", QuitRoad::kSignalThenSocketCheck},
      {"closing the window with the server gone", QuitRoad::kCloseTheWindow},
  };
  for (const QuitInsideCase& c : cases) {
    SCOPED_TRACE(c.name);
    fw::_RuntimeRegisterAppObject(std::make_shared<class App>());
    LoopbackListener listener;
    LoopbackListener::ClosedPort refusing;
    if (c.road == QuitRoad::kSignalThenConnect) {
      Fill("127.0.0.1", std::to_string(refusing.Port()), "abc");
    } else {
      Connect(listener);
    }
    BoxCloser boxes;
    // Only the framework holds the window from here on.
    std::weak_ptr<class wMain::wMain> window = w;
    QWidget* main = w->Widget();
    QWidget* button = w->cmdConnect->Widget();
    wMain::wskClient* socket = w->wskClient.get();
    w.reset();
    QTimer::singleShot(0, [&] {
      if (listener.HasConnection()) {
        // The server goes away here, where no idle socket check can see it first.
        listener.CloseConnection(/*reset=*/true);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      switch (c.road) {
        case QuitRoad::kSignalThenConnect:
          raise(SIGTERM);
          return QTest::mouseClick(button, Qt::LeftButton);
        case QuitRoad::kSignalThenSocketCheck:
          raise(SIGTERM);
          return socket->Poll();
        case QuitRoad::kCloseTheWindow:
          main->close();
          return;
      }
    });
    EXPECT_EQ(fw::_RuntimeRun(), 0);

    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown[0];
    w = window.lock();
    ASSERT_TRUE(w) << "the closed window is kept until the run ends";
    EXPECT_TRUE(w->IsClosed());
    ExpectDisconnectedControls();  // the error road ran to its end
    EXPECT_TRUE(std::filesystem::exists(SettingsFile()));
    EXPECT_EQ(listener.ReadAvailable(), "") << "nothing gets through to a server gone";

    w.reset();
    fw::RuntimeReset();
    Prefs::ResetForTests();
    w = wMain::wMain();
  }
}

}  // namespace
