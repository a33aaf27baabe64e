// The main window as built: window properties, every control in its order
// with its class, place, container, content, states and tab order, the
// placement on the first screen, and the single instance.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMainWindow>
#include <QWidget>

#include <map>
#include <set>
#include <string>

#include "client/MenuBar1.h"
#include "client/Pictures.h"
#include "client/wMain.h"
#include "client/wskClient.h"
#include "framework/core/ScopedHook.h"
#include "framework/ui/Screen.h"
#include "tests/support/GuiEnvironment.h"

namespace {

using testsupport::GuiTest;

enum class Kind { GroupBox, StaticText, EditField, BevelButton };

struct ControlCase {
  const char* name;
  Kind kind;
  int left, top, width, height;
  const char* container;  // "" for the window
  const char* caption;    // group box / label caption, field text; "" otherwise
  fw::PicturePtr (*picture)();
  bool enabled, visible;
  int tab;
};

// The laid-out controls, in build order (wskClient, non-visual, sits between
// Image7 and FreeTextOK).
const ControlCase kControls[] = {
    {"GroupBox1", Kind::GroupBox, 10, 152, 527, 97, "", "サーバ", nullptr, true, true, 0},
    {"StaticText1", Kind::StaticText, 26, 182, 76, 20, "GroupBox1", "サーバ IP:", nullptr, true,
     true, 0},
    {"txtServer", Kind::EditField, 114, 181, 185, 26, "GroupBox1", "", nullptr, true, true, 1},
    {"txtPort", Kind::EditField, 355, 181, 51, 26, "GroupBox1", "3128", nullptr, true, true, 2},
    {"StaticText2", Kind::StaticText, 303, 181, 46, 20, "GroupBox1", "ポート:", nullptr, true, true,
     3},
    {"txtName", Kind::EditField, 114, 215, 185, 26, "GroupBox1", "", nullptr, true, true, 4},
    {"StaticText3", Kind::StaticText, 24, 216, 78, 20, "GroupBox1", "名前:", nullptr, true, true,
     5},
    {"cmdConnect", Kind::BevelButton, 420, 195, 103, 31, "GroupBox1", "", button_connect_japan,
     true, true, 6},
    {"GroupBox2", Kind::GroupBox, 10, 6, 89, 97, "", "挙手", nullptr, true, true, 1},
    {"Image1", Kind::BevelButton, 24, 30, 60, 60, "GroupBox2", "", Handbutton53, false, true, 0},
    {"GroupBox3", Kind::GroupBox, 111, 6, 149, 97, "", "はい／いいえ", nullptr, true, true, 2},
    {"Image2", Kind::BevelButton, 117, 30, 60, 60, "GroupBox3", "", YESicon54, false, true, 0},
    {"Image3", Kind::BevelButton, 189, 30, 60, 60, "GroupBox3", "", NOicon54, false, true, 1},
    {"GroupBox4", Kind::GroupBox, 272, 6, 269, 97, "", "複数選択", nullptr, true, true, 3},
    {"Image4", Kind::BevelButton, 281, 30, 60, 60, "GroupBox4", "", Abutton53, false, true, 0},
    {"Image5", Kind::BevelButton, 345, 30, 60, 60, "GroupBox4", "", Bbutton53, false, true, 1},
    {"Image6", Kind::BevelButton, 410, 30, 60, 60, "GroupBox4", "", Cbutton53, false, true, 2},
    {"Image7", Kind::BevelButton, 474, 30, 60, 60, "GroupBox4", "", Dbutton53, false, true, 3},
    {"FreeTextOK", Kind::BevelButton, 465, 112, 76, 26, "", "", okbutton, false, true, 8},
    {"FreeText", Kind::BevelButton, 24, 110, 31, 30, "", "", TextButtonSmall, false, true, 9},
    {"EditField1", Kind::EditField, 66, 113, 389, 26, "", "", nullptr, true, true, 10},
    {"BottomHandle", Kind::BevelButton, 224, 250, 104, 20, "", "", FrameHandle, true, false, 11},
    {"TopHandle", Kind::BevelButton, 224, 143, 104, 20, "", "", FrameHandle, true, false, 12},
};

class MainWindowTest : public GuiTest {
 protected:
  std::shared_ptr<class wMain::wMain> Build() {
    auto w = wMain::wMain();
    EXPECT_TRUE(w);
    return w;
  }
};

TEST_F(MainWindowTest, WindowPropertiesAsLaidOut) {
  auto w = Build();
  EXPECT_EQ(w->Width(), 550);
  EXPECT_EQ(w->Height(), 261);
  EXPECT_FALSE(w->Resizeable());
  EXPECT_EQ(w->Frame(), 0);
  EXPECT_TRUE(w->Visible());
  EXPECT_EQ(w->Title().rfind("トブリク - Client ", 0), 0u) << w->Title();
  EXPECT_GT(w->Title().size(), std::string("トブリク - Client ").size()) << "credit line missing";
  EXPECT_EQ(w->Content()->size(), QSize(550, 261));
  // Not resizeable by the user: the Qt window is fixed and has no maximise button.
  EXPECT_EQ(w->Widget()->minimumSize(), w->Widget()->maximumSize());
  EXPECT_FALSE(w->Widget()->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(w->Widget()->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(w->Widget()->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(w->MenuBar(), MenuBar1::MenuBar1());
}

TEST_F(MainWindowTest, ControlsInOrderWithTheirLayout) {
  auto w = Build();
  ASSERT_EQ(w->ControlCount(), static_cast<std::int32_t>(std::size(kControls)));
  for (std::int32_t i = 0; i < w->ControlCount(); ++i) {
    const ControlCase& c = kControls[i];
    SCOPED_TRACE(c.name);
    fw::RectControl* control = w->Control(i);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Name(), c.name);
    EXPECT_EQ(w->Control(c.name), control);
    EXPECT_EQ(control->Index(), fw::kNoControlIndex);
    EXPECT_EQ(control->Left(), c.left);
    EXPECT_EQ(control->Top(), c.top);
    EXPECT_EQ(control->Width(), c.width);
    EXPECT_EQ(control->Height(), c.height);
    EXPECT_EQ(control->Widget()->geometry(), QRect(c.left, c.top, c.width, c.height));
    EXPECT_EQ(control->Widget()->parentWidget(), w->Content());
    EXPECT_EQ(control->Parent() ? control->Parent()->Name() : std::string(), c.container);
    EXPECT_EQ(control->Enabled(), c.enabled);
    EXPECT_EQ(control->Visible(), c.visible);
    EXPECT_EQ(control->Widget()->isVisible(), c.visible);
    EXPECT_EQ(control->Widget()->isEnabled(), c.enabled);
    EXPECT_EQ(control->TabIndex(), c.tab);
    switch (c.kind) {
      case Kind::GroupBox: {
        auto* box = dynamic_cast<fw::GroupBox*>(control);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->Caption(), c.caption);
        break;
      }
      case Kind::StaticText: {
        auto* label = dynamic_cast<fw::StaticText*>(control);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->Caption(), c.caption);
        EXPECT_EQ(label->TextAlign(), 2);
        break;
      }
      case Kind::EditField: {
        auto* field = dynamic_cast<fw::EditField*>(control);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->Text(), c.caption);
        break;
      }
      case Kind::BevelButton: {
        auto* button = dynamic_cast<fw::BevelButton*>(control);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->Caption(), "");
        ASSERT_NE(c.picture, nullptr);
        EXPECT_NE(button->Icon(), nullptr);
        EXPECT_EQ(button->Icon(), c.picture()) << "not the accessor's picture";
        EXPECT_EQ(button->AcceptFocus(), std::string(c.name) == "FreeTextOK");
        break;
      }
    }
  }
  ASSERT_NE(w->PaneControl("wskClient"), nullptr);
  EXPECT_EQ(w->PaneControl("wskClient")->Window(), w.get());
}

// Each control binds exactly its own events; the controls not listed bind none.
TEST_F(MainWindowTest, EachControlBindsOnlyItsEvents) {
  const std::map<std::string, std::set<std::string>> bound = {
      {"txtServer", {"Open", "Close", "TextChange"}},
      {"txtPort", {"Open", "Close", "TextChange"}},
      {"txtName", {"Open", "TextChange"}},
      {"cmdConnect", {"Action"}},
      {"Image1", {"Action"}},
      {"Image2", {"Action"}},
      {"Image3", {"Action"}},
      {"Image4", {"Action"}},
      {"Image5", {"Action"}},
      {"Image6", {"Action"}},
      {"Image7", {"Action"}},
      {"FreeTextOK", {"Action"}},
      {"FreeText", {"Action"}},
      {"EditField1", {"TextChange", "KeyDown"}},
      {"BottomHandle", {"Action"}},
      {"TopHandle", {"Action"}},
      {"wskClient", {"Error"}},
  };
  const char* const events[] = {"Open",          "Close",        "TextChange",  "Action",
                                "KeyDown",       "MouseDown",    "Error",       "Connected",
                                "DataAvailable", "SendComplete", "SendProgress"};
  auto w = Build();
  auto check = [&](const std::string& name, const fw::EventSource& control) {
    SCOPED_TRACE(name);
    auto it = bound.find(name);
    for (const char* event : events)
      EXPECT_EQ(control.HasEventHandler(event), it != bound.end() && it->second.count(event))
          << event;
  };
  for (std::int32_t i = 0; i < w->ControlCount(); ++i) check(w->Control(i)->Name(), *w->Control(i));
  check("wskClient", *w->wskClient);
}

TEST_F(MainWindowTest, PortFieldIsMaskedAndRightAligned) {
  auto w = Build();
  EXPECT_EQ(w->txtPort->Mask(), "#####");
  EXPECT_EQ(w->txtPort->Alignment(), 3);
  auto* line = static_cast<QLineEdit*>(w->txtPort->Widget());
  EXPECT_TRUE(line->alignment() & Qt::AlignRight);
  for (auto* other : {w->txtServer.get(), w->txtName.get(), w->EditField1.get()}) {
    EXPECT_EQ(other->Mask(), "");
    EXPECT_EQ(other->Alignment(), 0);
  }
}

TEST_F(MainWindowTest, HandlesShareOnePicture) {
  auto w = Build();
  ASSERT_NE(w->TopHandle->Icon(), nullptr);
  EXPECT_EQ(w->TopHandle->Icon(), w->BottomHandle->Icon());
}

TEST_F(MainWindowTest, NameFieldHasTheFocus) {
  auto w = Build();
  EXPECT_EQ(w->Widget()->focusWidget(), w->txtName->Widget());
}

TEST_F(MainWindowTest, TabOrderFollowsContainersAndIndexes) {
  auto w = Build();
  // Focusable controls in tab order: the server group's fields, then the
  // free-text row (the picture buttons other than FreeTextOK take no focus).
  std::vector<QWidget*> expected = {w->txtServer->Widget(), w->txtPort->Widget(),
                                    w->txtName->Widget(), w->FreeTextOK->Widget(),
                                    w->EditField1->Widget()};
  auto nextFocusable = [](QWidget* from) {
    QWidget* next = from->nextInFocusChain();
    while (next != from && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
    return next;
  };
  for (std::size_t i = 0; i + 1 < expected.size(); ++i)
    EXPECT_EQ(nextFocusable(expected[i]), expected[i + 1]) << "after " << i;
}

TEST_F(MainWindowTest, TheAccessorReturnsTheOpenWindow) {
  auto first = Build();
  EXPECT_EQ(wMain::wMain(), first);
  first->Close();
  auto second = wMain::wMain();
  EXPECT_NE(second, first);
  EXPECT_TRUE(second->IsOpen());
}

struct CentringCase {
  int screenWidth;
  int expectedLeft;
};

class MainWindowCentringTest : public MainWindowTest,
                               public ::testing::WithParamInterface<CentringCase> {};

TEST_P(MainWindowCentringTest, CentredOnTheFirstScreenAtTop120) {
  fw::ScopedHook<fw::SetScreenOverride> screen(fw::ScreenInfo{0, 0, GetParam().screenWidth, 800});
  auto w = Build();
  EXPECT_EQ(w->Left(), GetParam().expectedLeft);
  EXPECT_EQ(w->Top(), 120);
}

INSTANTIATE_TEST_SUITE_P(Screens, MainWindowCentringTest,
                         ::testing::Values(CentringCase{1280, 365}, CentringCase{1366, 408},
                                           CentringCase{1367, 408}, CentringCase{549, 0},
                                           CentringCase{500, -25}));

}  // namespace
