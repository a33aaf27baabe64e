// The answers and the free-text row: the exact bytes at a listener on
// 127.0.0.1 for every code, Shift_JIS names, the free-text field's keys, OK
// button and clear button, and pasted text: one line, and never cut short.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QTest>

#include <string>

#include "client/Prefs.h"
#include "tests/client/support/ClientWindowTest.h"

namespace {

using namespace clienttest;

class AnswersTest : public ClientWindowTest {
 protected:
  fw::BevelButton& Button(int n) {
    fw::BevelButton* buttons[] = {w->Image1.get(), w->Image2.get(), w->Image3.get(),
                                  w->Image4.get(), w->Image5.get(), w->Image6.get(),
                                  w->Image7.get()};
    return *buttons[n - 1];
  }
  QWidget* FreeTextField() { return w->EditField1->Widget(); }
  // The listener has received exactly expected (waiting for that many bytes).
  void ExpectReceived(const std::string& expected) {
    EXPECT_EQ(listener.ReadAtLeast(expected.size()), expected);
  }

  LoopbackListener listener;
};

struct AnswerCase {
  const char* name;
  const char* user;
  int button;  // Image1 .. Image7
  const char* bytes;
  const char* join;  // "" when it is the name's bytes, "^J" and 12
};

const AnswerCase kAnswers[] = {
    {"raise hand", "abc", 1, "abc^H\x0C", ""},
    {"yes", "abc", 2, "\x61\x62\x63\x5E\x59\x0C", ""},
    {"no", "abc", 3, "abc^N\x0C", ""},
    {"choice A in Shift_JIS", "テスト", 4, "\x83\x65\x83\x58\x83\x67\x5E\x41\x0C",
     "\x83\x65\x83\x58\x83\x67^J\x0C"},
    {"choice B", "abc", 5, "abc^B\x0C", ""},
    {"choice C", "abc", 6, "abc^C\x0C", ""},
    {"choice D", "abc", 7, "abc^D\x0C", ""},
    {"name with a character Shift_JIS lacks", "a😀b", 2, "a?b^Y\x0C", "a?b^J\x0C"},
    {"caret in the name goes out unchanged", "a^b", 2, "a^b^Y\x0C", ""},
};

TEST_F(AnswersTest, EachButtonSendsNameCodeAndDelimiter) {
  for (const AnswerCase& c : kAnswers) {
    SCOPED_TRACE(c.name);
    Connect(listener, c.user, c.join);
    Click(Button(c.button));
    const std::string expected = c.bytes;
    EXPECT_EQ(listener.ReadAtLeast(expected.size()), expected);
    Click(*w->TopHandle);
    Click(*w->cmdConnect);  // disconnect for the next case
    ASSERT_TRUE(listener.WaitForPeerClose());
  }
  EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(AnswersTest, JoinMessageInShiftJis) {
  Fill("127.0.0.1", std::to_string(listener.Port()), "テスト");
  Click(*w->cmdConnect);
  ASSERT_TRUE(listener.Accept());
  ExpectReceived("\x83\x65\x83\x58\x83\x67^J\x0C");
}

TEST_F(AnswersTest, PressingTwiceSendsTwoIdenticalMessages) {
  Connect(listener);
  Click(*w->Image2);
  Click(*w->Image2);
  ExpectReceived(
      "abc^Y\x0C"
      "abc^Y\x0C");
  EXPECT_TRUE(w->Image2->Enabled());
}

TEST_F(AnswersTest, FreeTextIsTrimmedAndSentWithItsCodes) {
  Connect(listener);
  QTest::keyClicks(FreeTextField(), " hello ");
  EXPECT_TRUE(w->FreeTextOK->Visible());
  Click(*w->FreeTextOK);
  ExpectReceived("\x61\x62\x63\x5E\x5E\x5E\x68\x65\x6C\x6C\x6F\x5E\x54\x0C");
  EXPECT_EQ(w->EditField1->Text(), "");
  EXPECT_FALSE(w->FreeTextOK->Visible());
  EXPECT_EQ(w->Widget()->focusWidget(), FreeTextField());
}

struct KeyCase {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

const KeyCase kSendKeys[] = {
    {"Return", Qt::Key_Return, Qt::NoModifier},
    {"Enter on the keypad", Qt::Key_Enter, Qt::KeypadModifier},
};

TEST_F(AnswersTest, ReturnAndEnterSendTheFreeText) {
  Connect(listener);
  for (const KeyCase& k : kSendKeys) {
    SCOPED_TRACE(k.name);
    listener.ClearReceived();
    QTest::keyClicks(FreeTextField(), "a ^T b");
    QTest::keyClick(FreeTextField(), k.key, k.modifiers);
    ExpectReceived("abc^^^a ^T b^T\x0C");
    EXPECT_EQ(w->EditField1->Text(), "");
    EXPECT_FALSE(w->FreeTextOK->Visible());
  }
}

TEST_F(AnswersTest, ReturnInAnEmptyFieldSendsAnEmptyFreeText) {
  Connect(listener);
  QTest::keyClick(FreeTextField(), Qt::Key_Return);
  ExpectReceived("abc^^^^T\x0C");
  EXPECT_EQ(w->EditField1->Text(), "");
  EXPECT_EQ(w->Widget()->focusWidget(), FreeTextField());
}

TEST_F(AnswersTest, OtherKeysReachTheFieldAndSendNothing) {
  Connect(listener);
  QTest::keyClicks(FreeTextField(), "xy");
  QTest::keyClick(FreeTextField(), Qt::Key_Tab);
  EXPECT_EQ(w->EditField1->Text(), "xy");
  EXPECT_EQ(listener.ReadAvailable(), "");
  EXPECT_FALSE(w->EditField1_KeyDown("x"));
  EXPECT_TRUE(w->EditField1_KeyDown(fw::String(1, '\x03')));
  ExpectReceived("abc^^^xy^T\x0C");
}

// A Ctrl key the way Qt delivers it: the key with Ctrl and the control
// character Qt makes of it (Ctrl+C is Chr(3), Ctrl+M Chr(13)).
void CtrlClick(QWidget* field, Qt::Key key) {
  const char control = static_cast<char>(key - Qt::Key_A + 1);
  QTest::sendKeyEvent(QTest::Click, field, key, QString(QChar(control)), Qt::ControlModifier);
}

// Ctrl+C and Ctrl+M in the free-text field sent the draft unfinished and
// emptied the field: they reached KeyDown as Chr(3) and Chr(13).
TEST_F(AnswersTest, CtrlKeysInTheFreeTextFieldEditAndSendNothing) {
  struct Case {
    Qt::Key key;
    const char* text;  // the field's text after the key
  };
  const Case cases[] = {
      {Qt::Key_A, "draft answer"},  // selects all
      {Qt::Key_C, "draft answer"},  // copies
      {Qt::Key_X, ""},
      {Qt::Key_V, "draft answer"},
      {Qt::Key_Z, ""},              // undoes the paste
      {Qt::Key_Z, "draft answer"},  // and the cut
      {Qt::Key_M, "draft answer"},
      {Qt::Key_J, "draft answer"},
      {Qt::Key_H, "draft answer"},
  };
  Connect(listener);
  QTest::keyClicks(FreeTextField(), "draft answer");
  for (const Case& c : cases) {
    SCOPED_TRACE(QKeySequence(Qt::ControlModifier | c.key).toString().toStdString());
    CtrlClick(FreeTextField(), c.key);
    EXPECT_EQ(w->EditField1->Text(), c.text);
    EXPECT_EQ(listener.ReadAvailable(), "");
  }
  EXPECT_EQ(QApplication::clipboard()->text(), "draft answer");
  QTest::keyClick(FreeTextField(), Qt::Key_Return);
  ExpectReceived("abc^^^draft answer^T\x0C");
}

// The Edit menu's Paste and the field's own paste must not both act.
TEST_F(AnswersTest, CopyAndPasteRoundTripThroughTheClipboardOnce) {
  Connect(listener);
  QApplication::clipboard()->clear();
  QTest::keyClicks(FreeTextField(), "draft");
  CtrlClick(FreeTextField(), Qt::Key_A);
  CtrlClick(FreeTextField(), Qt::Key_C);
  EXPECT_EQ(QApplication::clipboard()->text(), "draft");
  QTest::keyClick(FreeTextField(), Qt::Key_End);
  CtrlClick(FreeTextField(), Qt::Key_V);
  EXPECT_EQ(w->EditField1->Text(), "draftdraft");
  QTest::keyClick(FreeTextField(), Qt::Key_Enter, Qt::KeypadModifier);
  ExpectReceived("abc^^^draftdraft^T\x0C");
}

// A pasted free text carried byte 12 to the wire: the server read a "yes"
// and a "leave" of another participant inside one message.
TEST_F(AnswersTest, APastedFreeTextGoesOutAsOneMessage) {
  Connect(listener);
  QApplication::clipboard()->setText("hi\fbob^Y\fbob^Q\fz");
  CtrlClick(FreeTextField(), Qt::Key_V);
  QTest::keyClick(FreeTextField(), Qt::Key_Return);
  ExpectReceived("abc^^^hi bob^Y bob^Q z^T\x0C");
}

// A pasted name spoke for another participant in every message, and the
// window title showed its line breaks.
TEST_F(AnswersTest, APastedNameHoldsNoDelimiterInMessagesOrTitle) {
  Fill("127.0.0.1", std::to_string(listener.Port()), "");
  QApplication::clipboard()->setText("mallory^Q\fbob\n");
  CtrlClick(w->txtName->Widget(), Qt::Key_V);
  Click(*w->cmdConnect);
  ASSERT_TRUE(listener.Accept());
  Click(*w->Image2);
  ExpectReceived("mallory^Q bob^J\x0Cmallory^Q bob^Y\x0C");
  EXPECT_EQ(w->Title(), std::string(kTitlePrefix) + "mallory^Q bob");
}

// A paste was cut at 32,767 characters without a word.
TEST_F(AnswersTest, ALongPasteIsSentWhole) {
  std::string text;
  for (int i = 0; text.size() < 100000; ++i) text += std::to_string(i) + ",";
  text.resize(100000);
  Connect(listener);
  QApplication::clipboard()->setText(QString::fromStdString(text));
  CtrlClick(FreeTextField(), Qt::Key_V);
  QTest::keyClick(FreeTextField(), Qt::Key_Return);
  ExpectReceived("abc^^^" + text + "^T\x0C");
}

TEST_F(AnswersTest, OkButtonShowsOnlyWhileTheTextHoldsMoreThanBlanks) {
  // Before connecting too: the field takes typing, the button shows and
  // hides with the text, but stays disabled.
  EXPECT_TRUE(w->FreeTextOK->Visible());  // as laid out
  QTest::keyClicks(FreeTextField(), "   ");
  EXPECT_FALSE(w->FreeTextOK->Visible());
  QTest::keyClicks(FreeTextField(), "x");
  EXPECT_TRUE(w->FreeTextOK->Visible());
  EXPECT_FALSE(w->FreeTextOK->Enabled());
  QTest::keyClick(FreeTextField(), Qt::Key_Backspace);
  EXPECT_FALSE(w->FreeTextOK->Visible());
}

TEST_F(AnswersTest, ClearButtonEmptiesTheFieldWithoutSending) {
  Connect(listener);
  QTest::keyClicks(FreeTextField(), "draft");
  ASSERT_TRUE(w->FreeTextOK->Visible());
  Click(*w->FreeText);
  EXPECT_EQ(w->EditField1->Text(), "");
  EXPECT_FALSE(w->FreeTextOK->Visible());
  EXPECT_EQ(w->Widget()->focusWidget(), FreeTextField());
  EXPECT_EQ(listener.ReadAvailable(), "");
}

TEST_F(AnswersTest, ReturnBeforeConnectingDropsTheMessage) {
  QTest::keyClicks(FreeTextField(), "early");
  QTest::keyClick(FreeTextField(), Qt::Key_Return);
  EXPECT_EQ(w->EditField1->Text(), "");
  EXPECT_TRUE(boxes.messages.empty());
  EXPECT_FALSE(listener.Accept(std::chrono::milliseconds(50)));
  // The next connection starts with the join message alone.
  Connect(listener);
  Click(*w->Image3);
  ExpectReceived("abc^N\x0C");
}

TEST(Prefs, MessageDelimiterIsByte12AndLoadsNothing) {
  Prefs::ResetForTests();
  EXPECT_EQ(Prefs::Message_Delimiter(), std::string(1, '\x0C'));
  EXPECT_FALSE(Prefs::mInitialized);
}

}  // namespace
