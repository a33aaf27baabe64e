// The controls: key texts and consumption in a field, TextChange, the digit
// mask, a field's one line of text on every way in and its length limit,
// picture buttons and their Action, labels with line breaks, and states set
// before the window shows.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <algorithm>
#include <functional>
#include <limits>

#include "framework/ui/BevelButton.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/EditField.h"
#include "framework/ui/GroupBox.h"
#include "framework/ui/StaticText.h"
#include "framework/ui/Window.h"
#include "tests/support/GuiEnvironment.h"

namespace {

class Host : public fw::Window {
 public:
  Host() : fw::Window("Host") {
    _InstallInstanceEventHandler("Layout", fw::EventHandler([this] {
                                   fw::WindowProperties p;
                                   p.Width = 300;
                                   p.Height = 200;
                                   p.Resizeable = false;
                                   _SetProperties(p);
                                 }));
  }
  template <class C>
  std::shared_ptr<C> Add(const char* name, int left, int top, int width, int height) {
    auto c = __New<C>();
    c->Constructor();
    _AddControl(name, c);
    c->SetLeft(left);
    c->SetTop(top);
    c->SetWidth(width);
    c->SetHeight(height);
    return c;
  }
};

class ControlsTest : public testsupport::GuiTest {
 protected:
  void SetUp() override {
    host_ = std::make_shared<Host>();
    host_->Constructor();
    field_ = host_->Add<fw::EditField>("field", 10, 10, 120, 24);
    field_->SetVisible(true);
  }
  std::shared_ptr<Host> host_;
  std::shared_ptr<fw::EditField> field_;
};

TEST_F(ControlsTest, KeyDownGetsTheKeyAsText) {
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    fw::String text;
  };
  const Case cases[] = {
      {Qt::Key_Return, Qt::NoModifier, "\r"},
      {Qt::Key_Enter, Qt::KeypadModifier, "\x03"},
      {Qt::Key_A, Qt::NoModifier, "a"},
      {Qt::Key_0, Qt::NoModifier, "0"},
      {Qt::Key_Backspace, Qt::NoModifier, "\x08"},
      {Qt::Key_Escape, Qt::NoModifier, "\x1b"},
      {Qt::Key_Left, Qt::NoModifier, "\x1c"},
      {Qt::Key_Right, Qt::NoModifier, "\x1d"},
      {Qt::Key_Up, Qt::NoModifier, "\x1e"},
      {Qt::Key_Down, Qt::NoModifier, "\x1f"},
      {Qt::Key_Delete, Qt::NoModifier, "\x7f"},
  };
  std::vector<fw::String> keys;
  field_->_InstallInstanceEventHandler("KeyDown", fw::KeyEventHandler([&](const fw::String& k) {
                                         keys.push_back(k);
                                         return true;
                                       }));
  for (const Case& c : cases) {
    keys.clear();
    QTest::keyClick(field_->Widget(), c.key, c.modifiers);
    ASSERT_EQ(keys.size(), 1u) << "key " << c.key;
    EXPECT_EQ(keys[0], c.text) << "key " << c.key;
  }
  keys.clear();
  QTest::keyClick(field_->Widget(), 'A', Qt::ShiftModifier);
  EXPECT_EQ(keys, std::vector<fw::String>{"A"}) << "Shift alone raises nothing";
  EXPECT_EQ(field_->Text(), "") << "consumed keys never reach the field";
}

// Ctrl+C reached KeyDown as Chr(3) and Ctrl+M as Chr(13), the texts of Enter
// and Return: a Ctrl combination is a shortcut and raises no key event in the
// field or its window, while text typed with AltGr (as Ctrl+Alt) or Alt does.
TEST_F(ControlsTest, CtrlCombinationsRaiseNoKeyDownButAltTypingDoes) {
  struct Case {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* qtText;   // the text Qt gives the press
    const char* keyDown;  // what KeyDown gets; null: no KeyDown at all
  };
  const Case cases[] = {
      {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, "\x03", nullptr},
      {"Ctrl+M", Qt::Key_M, Qt::ControlModifier, "\r", nullptr},
      {"Ctrl+J", Qt::Key_J, Qt::ControlModifier, "\n", nullptr},
      {"Ctrl+H", Qt::Key_H, Qt::ControlModifier, "\x08", nullptr},
      {"Ctrl+Shift+C", Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, "\x03", nullptr},
      {"Ctrl+Return", Qt::Key_Return, Qt::ControlModifier, "\r", nullptr},
      {"Ctrl+Left", Qt::Key_Left, Qt::ControlModifier, "", nullptr},
      {"Ctrl+Alt+X", Qt::Key_X, Qt::ControlModifier | Qt::AltModifier, "\x18", nullptr},
      {"AltGr+Q as Ctrl+Alt", Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier, "@", "@"},
      {"AltGr+E as Ctrl+Alt", Qt::Key_E, Qt::ControlModifier | Qt::AltModifier, "€", "€"},
      {"Alt+A", Qt::Key_A, Qt::AltModifier, "a", "a"},
      {"a control character without Ctrl", Qt::Key_C, Qt::NoModifier, "\x03", ""},
  };
  std::vector<fw::String> fieldKeys, windowKeys;
  field_->_InstallInstanceEventHandler("KeyDown", fw::KeyEventHandler([&](const fw::String& k) {
                                         fieldKeys.push_back(k);
                                         return true;
                                       }));
  host_->_InstallInstanceEventHandler("KeyDown", fw::KeyEventHandler([&](const fw::String& k) {
                                        windowKeys.push_back(k);
                                        return false;
                                      }));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fieldKeys.clear();
    windowKeys.clear();
    QTest::sendKeyEvent(QTest::Click, field_->Widget(), c.key, QString::fromUtf8(c.qtText),
                        c.modifiers);
    if (c.keyDown) {
      EXPECT_EQ(fieldKeys, std::vector<fw::String>{c.keyDown});
    } else {
      EXPECT_TRUE(fieldKeys.empty()) << fieldKeys.front();
      EXPECT_TRUE(windowKeys.empty()) << "the field passes it on: " << windowKeys.front();
    }
  }
}

TEST_F(ControlsTest, UnconsumedKeysReachTheFieldAndRaiseTextChange) {
  int changes = 0;
  field_->_InstallInstanceEventHandler(
      "KeyDown", fw::KeyEventHandler([](const fw::String& k) { return k == "x"; }));
  field_->_InstallInstanceEventHandler("TextChange", fw::EventHandler([&] { ++changes; }));
  QTest::keyClicks(field_->Widget(), "axb");
  EXPECT_EQ(field_->Text(), "ab");
  EXPECT_EQ(changes, 2);
  field_->SetText("テスト");
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(field_->Text(), "テスト");
}

TEST_F(ControlsTest, ADisabledFieldLooksDisabled) {
  fw::EditField::Properties p;
  p.Width = 100;
  p.Height = 24;
  field_->_SetProperties(p);
  const QPalette& palette = field_->Widget()->palette();
  EXPECT_EQ(palette.color(QPalette::Active, QPalette::Text), QColor(0, 0, 0));
  EXPECT_EQ(palette.color(QPalette::Active, QPalette::Base), QColor(255, 255, 255));
  EXPECT_NE(palette.color(QPalette::Disabled, QPalette::Text), QColor(0, 0, 0));
}

TEST_F(ControlsTest, ADigitMaskAdmitsUpToOneDigitPerHash) {
  field_->SetMask("#####");
  QTest::keyClicks(field_->Widget(), "12a3-45678");
  EXPECT_EQ(field_->Text(), "12345");
  field_->SetText("x9");  // the program is not checked against the mask
  EXPECT_EQ(field_->Text(), "x9");
  field_->SetMask("");
  field_->SetText("");
  QTest::keyClicks(field_->Widget(), "a1");
  EXPECT_EQ(field_->Text(), "a1");
}

// Pasted text carried byte 12, line breaks and other controls into the
// fields, and so into the messages and the window title: a field holds one
// line, whichever way the text comes in, and no TextChange sees more.
class OneLineTest : public ControlsTest {
 protected:
  QLineEdit& Line() { return *static_cast<QLineEdit*>(field_->Widget()); }
  static void SetClipboard(const QString& text) { QApplication::clipboard()->setText(text); }
};

bool HoldsControl(const QString& text) {
  return std::any_of(text.begin(), text.end(), [](QChar c) {
    return c < u'\x20' || (c >= u'\x7f' && c <= u'\x9f') || c == u'\u2028' || c == u'\u2029';
  });
}

struct WayIn {
  const char* name;
  std::function<void(QLineEdit&, const QString&)> enter;
};

void ChooseContextMenuPaste(QLineEdit& line) {
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), line.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&line, &click);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr) << "no context menu";
  QAction* paste = nullptr;
  for (QAction* action : menu->actions())
    if (action->text().startsWith("&Paste")) paste = action;
  ASSERT_NE(paste, nullptr);
  menu->close();
  paste->trigger();
}

const WayIn kWaysIn[] = {
    {"Ctrl+V",
     [](QLineEdit& line, const QString& text) {
       QApplication::clipboard()->setText(text);
       QTest::keyClick(&line, Qt::Key_V, Qt::ControlModifier);
     }},
    {"Shift+Insert",
     [](QLineEdit& line, const QString& text) {
       QApplication::clipboard()->setText(text);
       QTest::keyClick(&line, Qt::Key_Insert, Qt::ShiftModifier);
     }},
    {"the context menu's Paste",
     [](QLineEdit& line, const QString& text) {
       QApplication::clipboard()->setText(text);
       ChooseContextMenuPaste(line);
     }},
    {"PasteAsOneLine (the Edit menu's Paste)",
     [](QLineEdit& line, const QString& text) {
       QApplication::clipboard()->setText(text);
       fw::PasteAsOneLine(line);
     }},
    {"a drop",
     [](QLineEdit& line, const QString& text) {
       QMimeData data;
       data.setText(text);
       QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
       // Straight to the field's handler: sent through the application, a
       // drop that no drag started does not arrive.
       static_cast<QObject&>(line).event(&drop);
       EXPECT_TRUE(drop.isAccepted());
     }},
    {"an input method's commit",
     [](QLineEdit& line, const QString& text) {
       QInputMethodEvent commit;
       commit.setCommitString(text);
       QApplication::sendEvent(&line, &commit);
     }},
    {"a key that types the text",
     [](QLineEdit& line, const QString& text) {
       QTest::sendKeyEvent(QTest::Click, &line, Qt::Key_unknown, text, Qt::NoModifier);
     }},
    {"the widget's own insert", [](QLineEdit& line, const QString& text) { line.insert(text); }},
};

TEST_F(OneLineTest, LineBreaksAndTabsBecomeBlanksOtherControlsGoOnEveryWayIn) {
  struct Case {
    QString entered;
    QString held;
  };
  const Case cases[] = {
      {"a\fb", "a b"},
      {"hi\fbob^Y\fbob^Q\fz", "hi bob^Y bob^Q z"},
      {"mallory^Q\fbob", "mallory^Q bob"},
      {"one\ntwo", "one two"},
      {"one\rtwo", "one two"},
      {"one\r\ntwo", "one two"},  // CR LF is one line break
      {"one\n\r\ntwo\r", "one  two "},
      {"a\tb\vc", "a b c"},
      {QString::fromUtf8("a\xe2\x80\xa8"
                         "b\xe2\x80\xa9"
                         "c\xc2\x85"
                         "d"),
       "a b c d"},
      {QString::fromUtf8("a\x01\x1b[0m\x1f\x7f"
                         "b"),
       "a[0mb"},
      {QString::fromUtf8("nul\0cut", 7), "nulcut"},
      {QString::fromUtf8("c1\xc2\x80\xc2\x9f!"), "c1!"},
      {QString::fromUtf8("テスト\t①"), QString::fromUtf8("テスト ①")},
      {"^^^carets ^T stay", "^^^carets ^T stay"},
  };
  std::vector<QString> changes;
  field_->_InstallInstanceEventHandler("TextChange", fw::EventHandler([&] {
                                         changes.push_back(QString::fromStdString(field_->Text()));
                                       }));
  for (const WayIn& way : kWaysIn) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(way.name) + ": " + c.held.toStdString());
      field_->SetText("");
      changes.clear();
      way.enter(Line(), c.entered);
      EXPECT_EQ(Line().text(), c.held);
      EXPECT_EQ(QString::fromStdString(field_->Text()), c.held);
      for (const QString& seen : changes)
        EXPECT_FALSE(HoldsControl(seen)) << "TextChange saw " << seen.toStdString();
    }
  }
}

TEST_F(OneLineTest, SetTextKeepsOneLineToo) {
  field_->SetText("a\fb\r\nc\x01");
  EXPECT_EQ(field_->Text(), "a b c");
  field_->SetMask("#####");
  field_->SetText("31\n28");
  EXPECT_EQ(field_->Text(), "31 28") << "one line, though not checked against the mask";
}

// Keys that command the field (Return, Tab, Escape, Ctrl letters) insert
// nothing; a key whose text is a line break types a blank.
TEST_F(OneLineTest, TypedControlKeysInsertNoControlCharacter) {
  struct Case {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    const char* held;
  };
  const Case cases[] = {
      {"Return", Qt::Key_Return, Qt::NoModifier, "\r", "ab"},
      {"Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", "ab"},
      {"Escape", Qt::Key_Escape, Qt::NoModifier, "\x1b", "ab"},
      {"Ctrl+J", Qt::Key_J, Qt::ControlModifier, "\n", "ab"},
      {"Ctrl+L", Qt::Key_L, Qt::ControlModifier, "\f", "ab"},
      {"Ctrl+I", Qt::Key_I, Qt::ControlModifier, "\t", "ab"},
      {"Ctrl+@", Qt::Key_At, Qt::ControlModifier, QString(QChar(0)), "ab"},
      {"a control character without Ctrl", Qt::Key_L, Qt::NoModifier, "\f", "a b"},
      {"a line-feed key", Qt::Key_unknown, Qt::NoModifier, "\n", "a b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    field_->SetText("");
    QTest::keyClick(field_->Widget(), Qt::Key_A);
    QTest::sendKeyEvent(QTest::Click, field_->Widget(), c.key, c.text, c.modifiers);
    QTest::keyClick(field_->Widget(), Qt::Key_B);
    EXPECT_EQ(field_->Text(), c.held);
  }
}

TEST_F(OneLineTest, APasteMadeOneLineIsItsOwnUndoStep) {
  QTest::keyClicks(&Line(), "ab");
  SetClipboard("c\nd");
  QTest::keyClick(&Line(), Qt::Key_V, Qt::ControlModifier);
  QTest::keyClicks(&Line(), "ef");
  ASSERT_EQ(field_->Text(), "abc def");
  QTest::keyClick(&Line(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(field_->Text(), "abc d");
  QTest::keyClick(&Line(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(field_->Text(), "ab");
  QTest::keyClick(&Line(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(field_->Text(), "");
}

TEST_F(OneLineTest, APasteReplacesTheSelectionAndAReadOnlyFieldTakesNone) {
  field_->SetText("hello world");
  Line().setSelection(0, 5);
  SetClipboard("bye\tnow");
  QTest::keyClick(&Line(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(field_->Text(), "bye now world");
  field_->SetReadOnly(true);
  QTest::keyClick(&Line(), Qt::Key_V, Qt::ControlModifier);
  fw::PasteAsOneLine(Line());
  EXPECT_EQ(field_->Text(), "bye now world");
}

// The fields' LimitText 0 set Qt's default maximum, and a paste was cut at
// 32,767 characters without a word.
TEST_F(OneLineTest, LimitTextZeroSetsNoLimit) {
  const QString big(100000, QChar(u'x'));
  struct Case {
    std::int32_t limit;
    int maxLength;
    qsizetype held;
  };
  const Case cases[] = {{0, std::numeric_limits<int>::max(), big.size()},
                        {-1, std::numeric_limits<int>::max(), big.size()},
                        {5, 5, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    field_->SetLimitText(0);
    field_->SetText("");
    field_->SetLimitText(c.limit);
    EXPECT_EQ(Line().maxLength(), c.maxLength);
    SetClipboard(big);
    QTest::keyClick(&Line(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Line().text().size(), c.held);
  }
}

TEST_F(ControlsTest, APictureButtonShowsItsIconAndRaisesAction) {
  auto button = host_->Add<fw::BevelButton>("button", 10, 50, 60, 60);
  button->SetVisible(true);
  int actions = 0;
  button->_InstallInstanceEventHandler("Action", fw::EventHandler([&] { ++actions; }));
  QImage image(60, 60, QImage::Format_RGB32);
  image.fill(Qt::red);
  auto picture = std::make_shared<fw::Picture>(image);
  button->SetIcon(picture);
  EXPECT_EQ(button->Icon(), picture);
  EXPECT_NE(button->Icon(), std::make_shared<fw::Picture>(image)) << "identity, not equal pixels";
  QTest::mouseClick(button->Widget(), Qt::LeftButton);
  EXPECT_EQ(actions, 1);
  button->SetEnabled(false);
  QTest::mouseClick(button->Widget(), Qt::LeftButton);
  EXPECT_EQ(actions, 1) << "a disabled button raises nothing";
  EXPECT_FALSE(button->Enabled());
  button->SetIcon(nullptr);
  EXPECT_EQ(button->Icon(), nullptr);
  QImage drawn = button->Widget()->grab().toImage();
  EXPECT_FALSE(drawn.isNull());
}

TEST_F(ControlsTest, LabelsBreakLinesOnlyWhenMultiline) {
  auto label = host_->Add<fw::StaticText>("label", 10, 120, 200, 48);
  auto* q = static_cast<QLabel*>(label->Widget());
  label->SetCaption("one\rtwo\r\nthree");
  EXPECT_EQ(label->Caption(), "one\rtwo\r\nthree");
  EXPECT_EQ(q->text(), "one two three");
  label->SetMultiline(true);
  EXPECT_EQ(q->text(), "one\ntwo\nthree");
  label->SetTextAlign(2);
  EXPECT_TRUE(q->alignment() & Qt::AlignRight);
  label->SetCaption("<b>x</b>");
  EXPECT_EQ(q->textFormat(), Qt::PlainText);
}

TEST_F(ControlsTest, StatesHoldBeforeAndAfterShowing) {
  auto box = host_->Add<fw::GroupBox>("box", 0, 0, 50, 50);
  box->SetVisible(false);
  box->SetEnabled(false);
  EXPECT_FALSE(box->Visible());
  EXPECT_FALSE(box->Widget()->isVisible());
  box->SetVisible(true);
  EXPECT_TRUE(box->Widget()->isVisible());
  EXPECT_FALSE(box->Widget()->isEnabled());
  box->SetCaption("サーバ");
  EXPECT_EQ(box->Caption(), "サーバ");
  auto canvas = host_->Add<fw::Canvas>("canvas", 0, 0, 10, 10);
  EXPECT_EQ(canvas->Backdrop(), nullptr);
  EXPECT_EQ(canvas->Widget()->focusPolicy(), Qt::NoFocus);
  // The store's control binding sees fields and labels through the core interfaces.
  fw::IEditField& asField = *field_;
  asField.SetText("via interface");
  EXPECT_EQ(field_->Text(), "via interface");
  EXPECT_EQ(asField.Name(), "field");
  EXPECT_EQ(asField.Index(), fw::kNoControlIndex);
}

}  // namespace
