// The run of the program: the application's Open and Close events, Quit
// closing the windows first, a Quit made while quitting, the exit code, the
// quit signals, and the menu handlers.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QMainWindow>
#include <QTimer>

#include "framework/ui/Application.h"
#include "framework/ui/EditField.h"
#include "framework/ui/Menu.h"
#include "framework/ui/Window.h"
#include "tests/support/GuiEnvironment.h"
#include "tests/support/QuitSignals.h"

namespace {

using testsupport::GuiTest;

std::vector<std::string> gLog;

class RecordingApp : public fw::Application {
 public:
  void Event_Open() override { gLog.push_back("app.Open"); }
  void Event_Close() override { gLog.push_back("app.Close"); }
};

// A window with one field; its Close handler may quit, as a main window does.
class MainLike : public fw::Window {
 public:
  explicit MainLike(int quitCode) : fw::Window("MainLike") {
    _InstallInstanceEventHandler("CreateControls", fw::EventHandler([this] {
                                   field = __New<fw::EditField>();
                                   field->Constructor();
                                   _AddControl("field", field);
                                   field->_InstallInstanceEventHandler(
                                       "Close",
                                       fw::EventHandler([] { gLog.push_back("field.Close"); }));
                                 }));
    _InstallInstanceEventHandler("Close", fw::EventHandler([quitCode] {
                                   gLog.push_back("window.Close");
                                   if (quitCode >= 0) fw::Quit(quitCode);
                                 }));
  }
  std::shared_ptr<fw::EditField> field;
};

class ApplicationTest : public GuiTest {
 protected:
  void SetUp() override {
    gLog.clear();
    fw::_RuntimeRegisterAppObject(std::make_shared<RecordingApp>());
  }
  std::shared_ptr<MainLike> OpenWindow(int quitCode) {
    auto w = std::make_shared<MainLike>(quitCode);
    w->Constructor();
    return w;
  }
};

TEST_F(ApplicationTest, ClosingAWindowThatQuitsEndsTheRun) {
  auto w = OpenWindow(0);
  QTimer::singleShot(0, [raw = w.get()] { raw->Widget()->close(); });
  EXPECT_EQ(fw::_RuntimeRun(), 0);
  EXPECT_EQ(gLog,
            (std::vector<std::string>{"app.Open", "field.Close", "window.Close", "app.Close"}));
}

TEST_F(ApplicationTest, QuitClosesTheWindowsThenRaisesCloseOnce) {
  auto w = OpenWindow(0);  // its Close handler quits again, with 0
  QTimer::singleShot(0, [] { fw::Quit(4); });
  EXPECT_EQ(fw::_RuntimeRun(), 0) << "the nested Quit sets the code";
  EXPECT_EQ(gLog,
            (std::vector<std::string>{"app.Open", "field.Close", "window.Close", "app.Close"}));
  EXPECT_FALSE(w->IsOpen());
  EXPECT_TRUE(fw::IsQuitting());
}

TEST_F(ApplicationTest, QuitsExitCodeIsTheRunsResult) {
  auto w = OpenWindow(-1);
  QTimer::singleShot(0, [] { fw::Quit(3); });
  EXPECT_EQ(fw::_RuntimeRun(), 3);
  EXPECT_EQ(gLog,
            (std::vector<std::string>{"app.Open", "field.Close", "window.Close", "app.Close"}));
}

TEST_F(ApplicationTest, ClosingTheLastWindowAloneDoesNotQuit) {
  auto w = OpenWindow(-1);
  w->Close();
  EXPECT_FALSE(fw::IsQuitting());
  QTimer::singleShot(0, [] { fw::Quit(0); });
  EXPECT_EQ(fw::_RuntimeRun(), 0);
  EXPECT_EQ(gLog,
            (std::vector<std::string>{"field.Close", "window.Close", "app.Open", "app.Close"}));
}

TEST_F(ApplicationTest, QuitBeforeTheLoopStillEndsTheRun) {
  fw::Quit(2);
  EXPECT_EQ(fw::_RuntimeRun(), 2);
}

// SIGTERM, SIGHUP and SIGINT used to end the process on the spot: no Close
// events, so no leave message and no settings written.
TEST_F(ApplicationTest, QuitSignalsEndTheRunAsQuitDoes) {
  for (const testsupport::QuitSignal& c : testsupport::kQuitSignals) {
    SCOPED_TRACE(c.name);
    fw::RuntimeReset();
    gLog.clear();
    fw::_RuntimeRegisterAppObject(std::make_shared<RecordingApp>());
    auto w = OpenWindow(0);
    QTimer::singleShot(0, [&] { raise(c.signal); });
    EXPECT_EQ(fw::_RuntimeRun(), 0);
    EXPECT_EQ(gLog,
              (std::vector<std::string>{"app.Open", "field.Close", "window.Close", "app.Close"}));
  }
}

sighandler_t DispositionOf(int signal) {
  struct sigaction now = {};
  sigaction(signal, nullptr, &now);
  return now.sa_handler;
}

// A second signal during the quit set the run's exit code to 0 in place of
// the quit's; after the event loop the handlers went back to their defaults,
// so a signal before the process exited ended it with 143 or 130.
TEST_F(ApplicationTest, ASignalDuringTheQuitOrAfterTheLoopChangesNothing) {
  for (const testsupport::QuitSignal& c : testsupport::kQuitSignals) {
    SCOPED_TRACE(c.name);
    fw::RuntimeReset();
    ASSERT_EQ(DispositionOf(c.signal), SIG_DFL) << "a reset gives the disposition back";
    gLog.clear();
    fw::_RuntimeRegisterAppObject(std::make_shared<RecordingApp>());
    auto w = OpenWindow(-1);
    w->_InstallInstanceEventHandler("Close", fw::EventHandler([&] {
                                      gLog.push_back("window.Close");
                                      raise(c.signal);
                                      QCoreApplication::processEvents();  // delivers it
                                    }));
    QTimer::singleShot(0, [] { fw::Quit(3); });
    EXPECT_EQ(fw::_RuntimeRun(), 3);
    EXPECT_EQ(gLog,
              (std::vector<std::string>{"app.Open", "field.Close", "window.Close", "app.Close"}));

    ASSERT_NE(DispositionOf(c.signal), SIG_DFL) << "the signal would end the process";
    raise(c.signal);
    QCoreApplication::processEvents();
    EXPECT_EQ(fw::_RuntimeRun(), 3) << "the run keeps the quit's exit code";
  }
}

TEST_F(ApplicationTest, MenuHandlersRunByNameAndDecideWhetherHandled) {
  auto app = fw::_GetAppObject();
  int calls = 0;
  app->_AddMenuHandler("Mine", [&] {
    ++calls;
    return true;
  });
  app->_AddMenuHandler("Declines", [] { return false; });
  fw::MenuItem mine, declines, other;
  mine.SetName("Mine");
  declines.SetName("Declines");
  other.SetName("mine");
  EXPECT_TRUE(fw::ChooseMenuItem(mine));
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(fw::ChooseMenuItem(declines));
  EXPECT_FALSE(fw::ChooseMenuItem(other)) << "names compare exactly";
  EXPECT_EQ(calls, 1);
}

}  // namespace
