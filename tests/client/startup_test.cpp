// Start-up and shutdown: the application object with the shared menu bar,
// the About binding, the main window built and shown, the event loop ending
// when the main window closes or Quit is chosen.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>

#include "client/App.h"
#include "client/MenuBar1.h"
#include "client/Startup.h"
#include "client/wAbout.h"
#include "client/wMain.h"
#include "framework/core/ScopedHook.h"
#include "framework/ui/Application.h"
#include "framework/ui/DesktopBackends.h"
#include "framework/ui/Menu.h"
#include "tests/support/GuiEnvironment.h"

namespace {

using testsupport::GuiTest;

class StartupTest : public GuiTest {};

TEST_F(StartupTest, StartupMakesAppMenuBarAndMainWindow) {
  EXPECT_EQ(fw::_GetAppObject(), nullptr);
  EXPECT_EQ(_Startup(), 0);

  std::shared_ptr<class App> app = App();
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(app, fw::_GetAppObject());
  ASSERT_NE(app->MenuBar(), nullptr);
  EXPECT_EQ(app->MenuBar(), MenuBar1::MenuBar1());
  EXPECT_TRUE(app->HasMenuHandler("AboutItem"));

  auto window =
      std::dynamic_pointer_cast<class wMain::wMain>(fw::_GetImplicitWindow("wMain.wMain"));
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->IsOpen());
  EXPECT_TRUE(window->Widget()->isVisible());
  EXPECT_EQ(window->MenuBar(), app->MenuBar()) << "one bar for the application and the window";
  EXPECT_EQ(fw::OpenWindows().size(), 1u);
}

// Message boxes were titled with the executable's name, tobrik-client.
TEST_F(StartupTest, MessageBoxesCarryTheApplicationsNameAsTheAboutItemDoes) {
  _Startup();
  QString title;
  QTimer::singleShot(0, [&] {  // runs inside the box's modal loop
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      title = box->windowTitle();
      box->done(0);
    }
  });
  fw::DesktopMsgBox("A message");
  EXPECT_EQ(title.toStdString(), "トブリククライアント");
  EXPECT_EQ(wMain::wMain()->AboutItem()->Text(), "About " + title.toStdString());
}

TEST_F(StartupTest, TheAboutItemShowsTheBoxModallyAndIsHandledEveryTime) {
  _Startup();
  std::vector<std::shared_ptr<fw::Window>> shown;
  fw::ScopedHook<fw::SetShowModalHook> modal([&](fw::Window& box) {
    shown.push_back(box.shared_from_this());
    EXPECT_TRUE(box.IsOpen());
    box.HandleKey("q");  // a key press closes it at once
  });
  auto item = wMain::wMain()->AboutItem();
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(fw::ChooseMenuItem(*item));
  EXPECT_TRUE(fw::ChooseMenuItem(*item));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[0], shown[1]) << "a new box each time";
  for (const auto& box : shown) {
    EXPECT_EQ(box->ClassName(), "wAbout.wAbout");
    EXPECT_FALSE(box->IsOpen());
  }
  EXPECT_TRUE(App()->_AboutItem_Action());
}

TEST_F(StartupTest, ClosingTheMainWindowEndsTheRunWithCode0) {
  _Startup();
  auto window = wMain::wMain();
  QTimer::singleShot(0, window->Widget(), [w = window.get()] { w->Widget()->close(); });
  EXPECT_EQ(fw::_RuntimeRun(), 0);
  EXPECT_FALSE(window->IsOpen());
  EXPECT_TRUE(fw::IsQuitting());
  EXPECT_TRUE(fw::OpenWindows().empty());
}

TEST_F(StartupTest, QuitFromTheFileMenuClosesTheMainWindowAndEndsTheRun) {
  _Startup();
  auto window = wMain::wMain();
  auto quit = window->FileQuit();
  ASSERT_NE(quit, nullptr);
  QTimer::singleShot(0, [quit] { fw::ChooseMenuItem(*quit); });
  EXPECT_EQ(fw::_RuntimeRun(), 0);
  EXPECT_FALSE(window->IsOpen());
  EXPECT_TRUE(fw::OpenWindows().empty());
}

// Under a file-size limit the system ended the client with SIGXFSZ while it
// saved its settings; after the start-up the signal is ignored, so such a
// limit is a failed write.
TEST_F(StartupTest, StartupIgnoresTheFileSizeSignal) {
  struct sigaction byDefault = {};
  byDefault.sa_handler = SIG_DFL;
  struct sigaction previous = {};
  ASSERT_EQ(sigaction(SIGXFSZ, &byDefault, &previous), 0);
  _Startup();
  struct sigaction now = {};
  ASSERT_EQ(sigaction(SIGXFSZ, nullptr, &now), 0);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  sigaction(SIGXFSZ, &previous, nullptr);
}

}  // namespace
