// Windows: the build order of events, the close order, ShowModal, key and
// mouse events, program-set sizes, the registry of open windows and the
// catching of exceptions thrown by handlers.
#include <gtest/gtest.h>

#include <stdexcept>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMainWindow>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "framework/core/ScopedHook.h"
#include "framework/ui/Application.h"
#include "framework/ui/EditField.h"
#include "framework/ui/StaticText.h"
#include "framework/ui/Window.h"
#include "tests/support/GuiEnvironment.h"
#include "tests/support/LeavingCases.h"

namespace {

using testsupport::GuiTest;
using testsupport::MsgBoxRecorder;

class Recorder : public fw::Window {
 public:
  explicit Recorder(bool resizeable = false) : fw::Window("Recorder"), resizeable_(resizeable) {
    for (const char* e : {"Layout", "CreateControls", "Open", "Close"})
      _InstallInstanceEventHandler(e, fw::EventHandler([this, e] {
                                     log.push_back(e);
                                     if (std::string(e) == "CreateControls") Build();
                                     if (std::string(e) == "Layout") Lay();
                                   }));
    _InstallInstanceEventHandler("KeyDown", fw::KeyEventHandler([this](const fw::String& key) {
                                   keys.push_back(key);
                                   return consumeKeys;
                                 }));
    _InstallInstanceEventHandler("MouseDown",
                                 fw::MouseEventHandler([this](std::int32_t x, std::int32_t y) {
                                   clicks.emplace_back(x, y);
                                   return false;
                                 }));
  }

  std::vector<std::string> log;
  std::vector<fw::String> keys;
  std::vector<std::pair<int, int>> clicks;
  bool consumeKeys = false;
  std::shared_ptr<fw::EditField> a, b;
  std::shared_ptr<fw::StaticText> label;

 private:
  void Lay() {
    fw::WindowProperties p;
    p.Width = 200;
    p.Height = 100;
    p.Title = "Recorder";
    p.Resizeable = resizeable_;
    _SetProperties(p);
  }
  void Add(std::shared_ptr<fw::EditField>& field, const char* name, int top) {
    field = __New<fw::EditField>();
    field->Constructor();
    _AddControl(name, field);
    fw::EditField::Properties p;
    p.Left = 10;
    p.Top = top;
    p.Width = 100;
    p.Height = 24;
    field->_SetProperties(p);
    for (const char* e : {"Open", "Close"}) {
      std::string entry = std::string(name) + "." + e;
      field->_InstallInstanceEventHandler(
          e, fw::EventHandler([this, entry] { log.push_back(entry); }));
    }
  }
  void Build() {
    Add(a, "a", 10);
    label = __New<fw::StaticText>();
    label->Constructor();
    _AddControl("label", label);
    Add(b, "b", 40);
  }
  bool resizeable_;
};

class WindowTest : public GuiTest {
 protected:
  std::shared_ptr<Recorder> Open() {
    auto w = std::make_shared<Recorder>();
    w->Constructor();
    return w;
  }
};

TEST_F(WindowTest, ConstructorRaisesLayoutControlsOpenThenShows) {
  auto w = Open();
  EXPECT_EQ(w->log,
            (std::vector<std::string>{"Layout", "CreateControls", "a.Open", "b.Open", "Open"}));
  EXPECT_TRUE(w->IsOpen());
  EXPECT_TRUE(w->Widget()->isVisible());
  EXPECT_EQ(fw::_GetImplicitWindow("Recorder"), w);
  EXPECT_EQ(fw::_GetImplicitWindow("recorder"), nullptr) << "class names compare exactly";
  EXPECT_EQ(w->Control("a"), w->a.get());
  EXPECT_EQ(w->Control("A"), nullptr);
  EXPECT_EQ(w->Control("missing"), nullptr);
}

TEST_F(WindowTest, CloseRaisesTheControlsCloseThenTheWindowsOnce) {
  struct Case {
    const char* how;
    void (*close)(Recorder&);
  };
  const Case cases[] = {
      {"Close()", [](Recorder& w) { w.Close(); }},
      {"the close button", [](Recorder& w) { w.Widget()->close(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    auto w = Open();
    w->log.clear();
    c.close(*w);
    EXPECT_EQ(w->log, (std::vector<std::string>{"a.Close", "b.Close", "Close"}));
    EXPECT_FALSE(w->IsOpen());
    EXPECT_FALSE(w->Widget()->isVisible());
    EXPECT_EQ(fw::_GetImplicitWindow("Recorder"), nullptr);
    w->log.clear();
    w->Close();
    EXPECT_TRUE(w->log.empty()) << "closing a closed window does nothing";
  }
}

TEST_F(WindowTest, ShowModalReturnsWhenTheWindowHasClosed) {
  fw::ScopedHook<fw::SetShowModalHook> realModal(nullptr);
  auto w = Open();
  QTimer::singleShot(20, w->Widget(), [raw = w.get()] { raw->Close(); });
  w->ShowModal();
  EXPECT_FALSE(w->IsOpen());
  EXPECT_EQ(w->Widget()->windowModality(), Qt::ApplicationModal);
  w->ShowModal();  // a closed window: returns at once
}

// A window manager's close request that came while a handler ran waits for
// the handler to return; the modal window the handler shows still closes at
// its own request.
TEST_F(WindowTest, CloseRequestsTakenInsideAHandlerWaitForItToReturn) {
  fw::ScopedHook<fw::SetShowModalHook> realModal(nullptr);
  auto main = Open();
  auto modal = Open();
  fw::DispatchSafely([&] {
    QCoreApplication::postEvent(main->Widget()->windowHandle(), new QCloseEvent);
    QTimer::singleShot(0, modal->Widget(), [raw = modal.get()] { raw->Widget()->close(); });
    modal->ShowModal();
    EXPECT_FALSE(modal->IsOpen());
    EXPECT_TRUE(main->IsOpen()) << "carried out while the handler ran";
  });
  EXPECT_FALSE(main->IsOpen());
  EXPECT_EQ(main->log.back(), "Close");
}

// Once the user was leaving (a quit under way, a window closing), a modal
// window still waited for its own close inside the quit.
TEST_F(WindowTest, ShowModalWhileTheUserIsLeavingClosesTheWindowAtOnce) {
  fw::ScopedHook<fw::SetShowModalHook> realModal(nullptr);
  for (const testsupport::LeavingCase& c : testsupport::LeavingCases()) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<Recorder> modal;
    bool waited = false;
    c.leave([&] {
      modal = Open();  // opened now: the quit has closed the windows open before
      QTimer::singleShot(1000, modal->Widget(), [&] {
        waited = true;
        modal->Close();
      });
      modal->ShowModal();
    });
    EXPECT_FALSE(waited);
    EXPECT_TRUE(modal->IsClosed());
    EXPECT_EQ(modal->log.back(), "Close");
    fw::RuntimeReset();
  }
}

TEST_F(WindowTest, ShowModalGoesThroughTheHook) {
  int calls = 0;
  fw::ScopedHook<fw::SetShowModalHook> modal([&](fw::Window& shown) {
    ++calls;
    EXPECT_EQ(shown.ClassName(), "Recorder");
  });
  auto w = Open();
  w->ShowModal();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(w->IsOpen());
}

// A window of 120 x 60 with the given frame, shown by its layout or not,
// that may set its own position when it opens.
class Placed : public fw::Window {
 public:
  Placed(std::int32_t frame, bool visible, bool ownPosition) : fw::Window("Placed") {
    _InstallInstanceEventHandler("Layout", fw::EventHandler([this, frame, visible] {
                                   fw::WindowProperties p;
                                   p.Width = 120;
                                   p.Height = 60;
                                   p.Resizeable = false;
                                   p.Frame = frame;
                                   p.Visible = visible;
                                   _SetProperties(p);
                                 }));
    if (ownPosition)
      _InstallInstanceEventHandler("Open", fw::EventHandler([this] {
                                     SetLeft(7);
                                     SetTop(9);
                                   }));
  }
};

// Without a window manager a modal window opened at the screen's corner.
TEST_F(WindowTest, AModalWindowOpensCentredOverTheMainWindow) {
  fw::ScopedHook<fw::SetShowModalHook> modal([](fw::Window&) {});
  auto main = Open();  // 200 x 100
  main->SetLeft(400);
  main->SetTop(300);
  const QPoint centred = main->Widget()->frameGeometry().center();
  struct Case {
    const char* name;
    std::int32_t frame;
    bool visible, ownPosition, showModal;
    bool centres;
  };
  const Case cases[] = {
      {"a modal frame, shown by its layout", 1, true, false, false, true},
      {"a document window shown with ShowModal", 0, false, false, true, true},
      {"a modal frame that places itself", 1, true, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto w = std::make_shared<Placed>(c.frame, c.visible, c.ownPosition);
    w->Constructor();
    if (c.showModal) w->ShowModal();
    const QRect at = w->Widget()->frameGeometry();
    if (c.centres) {
      // Placed before it shows, so a window frame may shift it a little.
      EXPECT_LE((at.center() - centred).manhattanLength(), 8) << at.x() << "," << at.y();
    } else {
      EXPECT_EQ(at.topLeft(), QPoint(7, 9));
    }
    w->Close();
  }
}

TEST_F(WindowTest, KeyDownGetsTheKeyTextAndMouseDownTheContentPosition) {
  auto w = Open();
  QTest::keyClick(w->Widget(), Qt::Key_Q);
  QTest::keyClick(w->Widget(), Qt::Key_Return);
  EXPECT_EQ(w->keys, (std::vector<fw::String>{"q", "\r"}));
  QTest::mouseClick(w->Content(), Qt::LeftButton, {}, QPoint(150, 70));
  ASSERT_EQ(w->clicks.size(), 1u);
  EXPECT_EQ(w->clicks[0], std::make_pair(150, 70));
}

TEST_F(WindowTest, TheProgramSetsTheSizeOfAFixedWindow) {
  auto w = Open();
  EXPECT_EQ(w->Widget()->minimumSize(), w->Widget()->maximumSize());
  w->SetHeight(80);
  EXPECT_EQ(w->Height(), 80);
  EXPECT_EQ(w->Content()->size(), QSize(200, 80));
  EXPECT_EQ(w->Widget()->minimumSize(), w->Widget()->maximumSize());
  w->SetWidth(10);  // below the minimum of 64
  EXPECT_EQ(w->Width(), 64);
  w->SetLeft(33);
  w->SetTop(44);
  EXPECT_EQ(w->Left(), 33);
  EXPECT_EQ(w->Top(), 44);
  w->SetTitle("テスト");
  EXPECT_EQ(w->Title(), "テスト");
}

TEST_F(WindowTest, ResizeableWindowsCanBeResizedByTheUser) {
  auto w = std::make_shared<Recorder>(true);
  w->Constructor();
  EXPECT_NE(w->Widget()->minimumSize(), w->Widget()->maximumSize());
}

TEST_F(WindowTest, AnExceptionInAHandlerIsShownAndTheProgramGoesOn) {
  MsgBoxRecorder boxes;
  auto w = Open();
  int after = 0;
  w->a->_InstallInstanceEventHandler("TextChange",
                                     fw::EventHandler([] { throw std::runtime_error("boom"); }));
  w->b->_InstallInstanceEventHandler("TextChange", fw::EventHandler([&] { ++after; }));
  w->a->SetText("x");
  w->b->SetText("y");
  EXPECT_EQ(boxes.messages, (std::vector<fw::String>{"An exception was not handled: boom"}));
  EXPECT_EQ(after, 1);
  w->_InstallInstanceEventHandler("KeyDown",
                                  fw::KeyEventHandler([](const fw::String&) -> bool { throw 7; }));
  EXPECT_FALSE(w->HandleKey("k"));
  EXPECT_EQ(boxes.messages.back(), "An exception was not handled.");
}

TEST_F(WindowTest, AControlOutlivingItsWindowStaysUsableAndRaisesNothing) {
  std::shared_ptr<fw::EditField> field;
  {
    auto w = Open();
    field = w->a;
    w->Close();
    fw::ReleaseAllWindows();
    testsupport::ProcessEvents();
  }
  EXPECT_EQ(field->OwnerWindow(), nullptr);
  field->SetText("still here");  // its TextChange handler is gone with the window
  EXPECT_EQ(field->Text(), "still here");
  EXPECT_FALSE(field->HasEventHandler("Close"));
  EXPECT_FALSE(field->Widget()->isVisible());
}

}  // namespace
