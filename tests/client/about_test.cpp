// The About box: its layout, closing 2500 ms after it opens (never before),
// closing at once on a key or a mouse press, and a new box every time.
#include <gtest/gtest.h>

#include <chrono>

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QTest>

#include "client/Pictures.h"
#include "client/wAbout.h"
#include "framework/core/ScopedHook.h"
#include "framework/ui/Application.h"
#include "tests/support/FakeTimerClock.h"
#include "tests/support/GuiEnvironment.h"

namespace {

using testsupport::FakeTimerClock;
using testsupport::GuiTest;

class AboutBoxTest : public GuiTest {
 protected:
  std::shared_ptr<FakeTimerClock> clock_ = std::make_shared<FakeTimerClock>();
  fw::ScopedHook<fw::SetTimerClock> clockGuard_{clock_};
};

TEST_F(AboutBoxTest, LaidOutAsAMovableModalBox) {
  auto box = wAbout::wAbout();
  EXPECT_EQ(box->ClassName(), "wAbout.wAbout");
  EXPECT_EQ(box->Width(), 423);
  EXPECT_EQ(box->Height(), 73);
  EXPECT_EQ(box->Title(), "About トブリク Client");
  EXPECT_EQ(box->Frame(), 1);
  EXPECT_FALSE(box->Resizeable());
  EXPECT_TRUE(box->Visible());
  EXPECT_EQ(box->MenuBar(), nullptr);
  EXPECT_EQ(box->Widget()->windowType(), Qt::Dialog) << "a movable modal window with a title bar";
  EXPECT_EQ(box->Widget()->minimumSize(), box->Widget()->maximumSize());

  ASSERT_EQ(box->ControlCount(), 2);
  EXPECT_EQ(box->Control(0), box->Canvas1.get());
  EXPECT_EQ(box->Control(1), box->StaticText1.get());
  EXPECT_EQ(box->Control("Canvas1"), box->Canvas1.get());
  EXPECT_EQ(box->Canvas1->Widget()->geometry(), QRect(20, 14, 48, 48));
  ASSERT_NE(box->Canvas1->Backdrop(), nullptr);
  EXPECT_EQ(box->Canvas1->Backdrop(), tobrik_icon());
  EXPECT_EQ(box->StaticText1->Widget()->geometry(), QRect(78, 14, 329, 48));
  EXPECT_EQ(box->StaticText1->TextAlign(), 0);
  EXPECT_TRUE(box->StaticText1->Multiline());
  EXPECT_EQ(box->PaneControl("Timer1"), box->Timer1.get());
  EXPECT_EQ(box->Timer1->Window(), box.get());
}

TEST_F(AboutBoxTest, CreditTextIsThreeLinesJoinedByCarriageReturns) {
  auto box = wAbout::wAbout();
  const fw::String text = box->StaticText1->Caption();
  EXPECT_EQ(text, wAbout::CreditText());
  std::size_t first = text.find('\r');
  ASSERT_NE(first, fw::String::npos);
  std::size_t second = text.find('\r', first + 1);
  ASSERT_NE(second, fw::String::npos);
  EXPECT_EQ(text.find('\r', second + 1), fw::String::npos);
  EXPECT_EQ(text.find('\n'), fw::String::npos);
  EXPECT_GT(first, 0u);
  EXPECT_EQ(text.compare(first + 1, 18, "Tobrik Client v2.1"), 0) << text;
  EXPECT_GT(text.size(), second + 1) << "third line empty";
  EXPECT_NE(text.back(), '\r');
}

TEST_F(AboutBoxTest, OpeningStartsAOneShotTimerOf2500ms) {
  auto box = wAbout::wAbout();
  EXPECT_EQ(box->Timer1->Period(), 2500);
  EXPECT_EQ(box->Timer1->Mode(), 1);
  EXPECT_TRUE(box->Timer1->Enabled());
  EXPECT_TRUE(box->Timer1->IsRunning());
}

TEST_F(AboutBoxTest, ClosesAt2500msAndNotBefore) {
  auto box = wAbout::wAbout();
  clock_->Advance(2499);
  EXPECT_TRUE(box->IsOpen());
  clock_->AdvanceMicroseconds(999);
  EXPECT_TRUE(box->IsOpen()) << "closed before 2500 ms";
  clock_->AdvanceMicroseconds(1);
  EXPECT_FALSE(box->IsOpen());
  EXPECT_EQ(fw::_GetImplicitWindow("wAbout.wAbout"), nullptr);
}

TEST_F(AboutBoxTest, AnEarlyAlarmDoesNotCloseTheBox) {
  auto box = wAbout::wAbout();
  clock_->Advance(1000);
  clock_->FireAllEarly();  // the platform timer wakes up 1500 ms early
  EXPECT_TRUE(box->IsOpen());
  EXPECT_EQ(clock_->Pending(), 1u) << "the timer must wait out the rest";
  clock_->Advance(1499);
  clock_->AdvanceMicroseconds(999);
  clock_->FireAllEarly();  // and again, a microsecond before its time
  EXPECT_TRUE(box->IsOpen());
  clock_->AdvanceMicroseconds(1);
  EXPECT_FALSE(box->IsOpen());
}

TEST_F(AboutBoxTest, AKeyPressClosesAtOnceAndIsNotConsumed) {
  auto box = wAbout::wAbout();
  EXPECT_FALSE(box->Event_KeyDown("x"));
  EXPECT_FALSE(box->IsOpen());

  auto next = wAbout::wAbout();
  ASSERT_NE(next, box);
  QTest::keyClick(next->Widget(), Qt::Key_Space);
  EXPECT_FALSE(next->IsOpen());
}

TEST_F(AboutBoxTest, AModifierAloneOrACtrlCombinationDoesNotCloseIt) {
  struct Case {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* qtText;
    bool closes;
  };
  const Case cases[] = {
      {"Shift alone", Qt::Key_Shift, Qt::NoModifier, "", false},
      {"Ctrl alone", Qt::Key_Control, Qt::NoModifier, "", false},
      {"Alt alone", Qt::Key_Alt, Qt::NoModifier, "", false},
      {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, "\x03", false},
      {"Escape", Qt::Key_Escape, Qt::NoModifier, "\x1b", true},
      {"Shift+A", Qt::Key_A, Qt::ShiftModifier, "A", true},
      {"Alt+X", Qt::Key_X, Qt::AltModifier, "x", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto box = wAbout::wAbout();
    QTest::sendKeyEvent(QTest::Press, box->Widget(), c.key, QString::fromUtf8(c.qtText),
                        c.modifiers);
    EXPECT_EQ(box->IsOpen(), !c.closes);
    box->Close();
  }
}

// Without a window manager the box opened at the screen's corner (0,0).
TEST_F(AboutBoxTest, OpensCentredOverTheMainWindowOrTheScreen) {
  auto main = std::make_shared<fw::Window>("Main");
  fw::WindowProperties layout;
  layout.Width = 600;
  layout.Height = 300;
  layout.Resizeable = false;
  main->_SetProperties(layout);
  main->Constructor();
  main->SetLeft(150);
  main->SetTop(250);
  struct Case {
    const char* name;
    bool mainShown;
    QRect over;
  };
  const Case cases[] = {
      {"over the main window", true, main->Widget()->frameGeometry()},
      {"over the screen", false, QGuiApplication::primaryScreen()->availableGeometry()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    main->SetVisible(c.mainShown);
    auto box = wAbout::wAbout();
    const QRect at = box->Widget()->frameGeometry();
    // Placed before it shows, so a window frame may shift it a little.
    EXPECT_LE((at.center() - c.over.center()).manhattanLength(), 8)
        << at.x() << "," << at.y() << " over " << c.over.x() << "," << c.over.y();
    EXPECT_TRUE(c.over.contains(at));
    box->Close();
  }
}

TEST_F(AboutBoxTest, AMousePressClosesAtOnceAndIsNotConsumed) {
  auto box = wAbout::wAbout();
  EXPECT_FALSE(box->Event_MouseDown(5, 5));
  EXPECT_FALSE(box->IsOpen());

  auto next = wAbout::wAbout();
  QTest::mouseClick(next->Content(), Qt::LeftButton, {}, QPoint(200, 40));
  EXPECT_FALSE(next->IsOpen());
  auto third = wAbout::wAbout();
  QTest::mouseClick(third->StaticText1->Widget(), Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_FALSE(third->IsOpen()) << "a click on the text reaches the window";
}

TEST_F(AboutBoxTest, EachShowingGetsANewBoxAndTimer) {
  auto first = wAbout::wAbout();
  EXPECT_EQ(wAbout::wAbout(), first) << "the open box is returned while it is open";
  clock_->Advance(2000);
  first->Event_KeyDown("a");
  auto second = wAbout::wAbout();
  EXPECT_NE(second, first);
  EXPECT_NE(second->Timer1, first->Timer1);
  clock_->Advance(2499);  // its own 2500 ms count from its own opening
  EXPECT_TRUE(second->IsOpen());
  clock_->Advance(1);
  EXPECT_FALSE(second->IsOpen());
}

// The real platform timer and the real modal loop, once: ShowModal returns
// when the box closes itself, never before 2500 ms.
TEST(AboutBoxRealTimeTest, ShowModalReturnsWhenTheBoxClosesItself) {
  fw::ScopedHook<fw::SetShowModalHook> realModal(nullptr);
  auto box = wAbout::wAbout();
  auto start = std::chrono::steady_clock::now();
  box->ShowModal();
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(box->IsOpen());
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2500);
  fw::RuntimeReset();
}

}  // namespace
