// The desktop behind the core's hooks: the clipboard is the desktop's, and
// the real message box opens over the main window with the application's
// name as its title, takes input also when it opens while another box is
// opening, and opens not at all while the user is leaving.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/core/Clipboard.h"
#include "framework/core/ScopedHook.h"
#include "framework/ui/Application.h"
#include "framework/ui/DesktopBackends.h"
#include "framework/ui/EventSource.h"
#include "framework/ui/Timer.h"
#include "framework/ui/Window.h"
#include "tests/support/GuiEnvironment.h"
#include "tests/support/LeavingCases.h"

namespace {

using DesktopMessageBoxTest = testsupport::GuiTest;

TEST(DesktopClipboardTest, TheCoreClipboardIsTheDesktops) {
  const struct { const char* text; } cases[] = {{"plain"}, {"テスト"}, {""}, {"two\rlines"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    fw::Clipboard().SetText(c.text);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.text);
    QApplication::clipboard()->setText(QString::fromUtf8(c.text) + "!");
    EXPECT_EQ(fw::Clipboard().Text(), std::string(c.text) + "!");
  }
}

// Without a window manager the message box opened at the screen's corner.
TEST_F(DesktopMessageBoxTest, OpensCentredOverTheMainWindow) {
  auto main = std::make_shared<fw::Window>("Main");
  main->Constructor();
  main->SetWidth(500);
  main->SetHeight(300);
  main->SetLeft(260);
  main->SetTop(240);
  const fw::String name = fw::ApplicationName();
  fw::SetApplicationName("Box Title");
  QRect shownAt;
  QString title;
  QTimer::singleShot(0, [&] {  // runs inside the box's modal loop
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      shownAt = box->frameGeometry();
      title = box->windowTitle();
      box->done(0);
    }
  });
  fw::DesktopMsgBox("A message");
  fw::SetApplicationName(name);
  ASSERT_FALSE(shownAt.isNull()) << "no message box was shown";
  EXPECT_EQ(title.toStdString(), "Box Title");
  const QRect over = main->Widget()->frameGeometry();
  EXPECT_LE((shownAt.center() - over.center()).manhattanLength(), 2)
      << shownAt.x() << "," << shownAt.y() << " " << shownAt.width() << "x" << shownAt.height();
  EXPECT_TRUE(over.contains(shownAt));
}

// Answers each real message box as it becomes the active modal widget, the
// way the user would, and counts the tries per box text. After kTries
// unanswered tries it closes the box without input, so that a box that
// takes none fails the test instead of hanging it.
class BoxAnswerer {
 public:
  static constexpr int kTries = 8;
  explicit BoxAnswerer(std::function<void(QMessageBox&)> answer) : answer_(std::move(answer)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      const std::string text = box->text().toStdString();
      if (++tries[text] > kTries) return box->done(0);
      answer_(*box);
    });
    timer_.start();
  }
  std::map<std::string, int> tries;

 private:
  std::function<void(QMessageBox&)> answer_;
  QTimer timer_;
};

// A box that a timer's handler opened while another box was being opened
// took no input: the filter that drops the input queued for the opening box
// covered the whole application then, and the program seemed to hang.
TEST_F(DesktopMessageBoxTest, ABoxOpenedWhileAnotherOpensTakesInput) {
  const struct {
    const char* name;
    std::function<void(QMessageBox&)> answer;
  } cases[] = {
      {"Escape", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }},
      {"a click on OK",
       [](QMessageBox& box) { QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fw::ScopedHook<fw::SetMsgBoxHook> realBoxes(fw::DesktopMsgBox);
    auto main = std::make_shared<fw::Window>("Main");
    main->Constructor();
    fw::Timer timer;  // due while the outer box delivers its pending events
    timer._InstallInstanceEventHandler("Action", fw::EventHandler([] { fw::MsgBox("inner"); }));
    BoxAnswerer answerer(c.answer);
    fw::DispatchSafely([&] {
      timer.SetMode(1);
      fw::MsgBox("outer");
    });
    EXPECT_EQ(answerer.tries["inner"], 1);
    EXPECT_EQ(answerer.tries["outer"], 1);
    fw::RuntimeReset();
  }
}

// Once the user was leaving (a quit under way, the main window closing), a
// box held up the quit until someone pressed OK: a logout or shutdown then
// ended the process before the settings were written.
TEST_F(DesktopMessageBoxTest, WhileTheUserIsLeavingNoBoxOpensAndTheTextGoesToStandardError) {
  for (const testsupport::LeavingCase& c : testsupport::LeavingCases()) {
    SCOPED_TRACE(c.name);
    BoxAnswerer answerer([](QMessageBox& box) { box.done(0); });
    testing::internal::CaptureStderr();
    c.leave([] { fw::DesktopMsgBox("Leaving now"); });
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(answerer.tries.empty()) << "a box opened";
    EXPECT_NE(errors.find("Leaving now\n"), std::string::npos) << errors;
    fw::RuntimeReset();
  }
}

}  // namespace
