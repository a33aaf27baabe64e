// The menu bar: one instance, its twelve items in order with their names,
// classes, texts and shortcuts, the window's accessors, the Qt menus drawn
// from it, and the editing commands carried out on the focused field, also
// when the menu is opened from the keyboard or with the mouse.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <functional>
#include <string>

#include "client/MenuBar1.h"
#include "client/wMain.h"
#include "framework/core/Clipboard.h"
#include "framework/ui/Application.h"
#include "tests/support/GuiEnvironment.h"

namespace {

using testsupport::GuiTest;

enum class Class { Item, Quit, Apple };

struct ItemCase {
  const char* menu;  // "" for the bar itself
  const char* name;
  Class cls;
  const char* text;
  const char* shortcut;
};

const ItemCase kFile[] = {
    {"FileMenu", "FileQuit", Class::Quit, "&Quit", "Cmd+Q"},
};
const ItemCase kEdit[] = {
    {"EditMenu", "EditUndo", Class::Item, "&Undo", "Cmd+Z"},
    {"EditMenu", "UntitledMenu1", Class::Item, "-", ""},
    {"EditMenu", "EditCut", Class::Item, "Cu&t", "Cmd+X"},
    {"EditMenu", "EditCopy", Class::Item, "&Copy", "Cmd+C"},
    {"EditMenu", "EditPaste", Class::Item, "&Paste", "Cmd+V"},
    {"EditMenu", "EditClear", Class::Item, "&Delete", ""},
    {"EditMenu", "UntitledMenu0", Class::Item, "-", ""},
    {"EditMenu", "EditSelectAll", Class::Item, "Select &All", "Cmd+A"},
    {"EditMenu", "AboutItem", Class::Apple, "About トブリククライアント", ""},
};

void ExpectItem(const std::shared_ptr<fw::MenuItem>& item, const ItemCase& c) {
  SCOPED_TRACE(c.name);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Name(), c.name);
  EXPECT_EQ(item->Text(), c.text);
  EXPECT_EQ(item->KeyboardShortcut(), c.shortcut);
  EXPECT_TRUE(item->AutoEnable());
  EXPECT_EQ(item->Count(), 0);
  bool isQuit = dynamic_cast<fw::QuitMenuItem*>(item.get()) != nullptr;
  bool isApple = dynamic_cast<fw::AppleMenuItem*>(item.get()) != nullptr;
  EXPECT_EQ(isQuit, c.cls == Class::Quit);
  EXPECT_EQ(isApple, c.cls == Class::Apple);
}

class MenuBarTest : public GuiTest {};

TEST_F(MenuBarTest, OneInstanceBuiltOnce) {
  auto bar = MenuBar1::MenuBar1();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(MenuBar1::MenuBar1(), bar);
  EXPECT_EQ(MenuBar1::_implicitInstance, bar);
  ASSERT_EQ(bar->Count(), 2);
  EXPECT_EQ(bar->Item(0)->Count(), 1);
  EXPECT_EQ(bar->Item(1)->Count(), 9);
}

TEST_F(MenuBarTest, ItemsInOrderWithNamesClassesTextsAndShortcuts) {
  auto bar = MenuBar1::MenuBar1();
  auto file = bar->Item(0);
  auto edit = bar->Item(1);
  EXPECT_EQ(file->Name(), "FileMenu");
  EXPECT_EQ(file->Text(), "&File");
  EXPECT_EQ(file->KeyboardShortcut(), "");
  EXPECT_TRUE(file->AutoEnable());
  EXPECT_EQ(edit->Name(), "EditMenu");
  EXPECT_EQ(edit->Text(), "&Edit");
  EXPECT_TRUE(edit->AutoEnable());
  EXPECT_EQ(bar->Child("FileMenu"), file);
  EXPECT_EQ(bar->Child("EditMenu"), edit);
  for (std::size_t i = 0; i < std::size(kFile); ++i)
    ExpectItem(file->Item(static_cast<int>(i)), kFile[i]);
  for (std::size_t i = 0; i < std::size(kEdit); ++i)
    ExpectItem(edit->Item(static_cast<int>(i)), kEdit[i]);
  EXPECT_TRUE(edit->Item(1)->IsSeparator());
  EXPECT_TRUE(edit->Item(6)->IsSeparator());
  EXPECT_EQ(bar->Child("FileQuit"), nullptr) << "Child looks one level down only";
}

TEST_F(MenuBarTest, WindowAccessorsReturnTheVeryItems) {
  auto w = wMain::wMain();
  auto bar = MenuBar1::MenuBar1();
  auto edit = bar->Child("EditMenu");
  EXPECT_EQ(w->EditMenu(), edit);
  EXPECT_EQ(w->FileMenu(), bar->Child("FileMenu"));
  EXPECT_EQ(w->FileQuit(), bar->Child("FileMenu")->Item(0));
  EXPECT_EQ(w->EditUndo(), edit->Item(0));
  EXPECT_EQ(w->UntitledMenu1(), edit->Item(1));
  EXPECT_EQ(w->EditCut(), edit->Item(2));
  EXPECT_EQ(w->EditCopy(), edit->Item(3));
  EXPECT_EQ(w->EditPaste(), edit->Item(4));
  EXPECT_EQ(w->EditClear(), edit->Item(5));
  EXPECT_EQ(w->UntitledMenu0(), edit->Item(6));
  EXPECT_EQ(w->EditSelectAll(), edit->Item(7));
  EXPECT_EQ(w->AboutItem(), edit->Item(8));
}

TEST_F(MenuBarTest, TheWindowDrawsTheBarWithQtShortcuts) {
  auto w = wMain::wMain();
  QMenuBar* qbar = w->Widget()->menuBar();
  ASSERT_NE(qbar, nullptr);
  auto menus = qbar->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[0]->text(), "&File");
  EXPECT_EQ(menus[1]->text(), "&Edit");
  auto fileItems = menus[0]->menu()->actions();
  ASSERT_EQ(fileItems.size(), 1);
  EXPECT_EQ(fileItems[0]->text(), "&Quit");
  EXPECT_EQ(fileItems[0]->shortcut(), QKeySequence("Ctrl+Q"));
  auto editItems = menus[1]->menu()->actions();
  ASSERT_EQ(editItems.size(), 9);
  const char* shortcuts[] = {"Ctrl+Z", "", "Ctrl+X", "Ctrl+C", "Ctrl+V", "", "", "Ctrl+A", ""};
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(editItems[i]->isSeparator(), i == 1 || i == 6);
    if (!editItems[i]->isSeparator()) {
      EXPECT_EQ(editItems[i]->text().toStdString(), kEdit[i].text);
    }
    EXPECT_EQ(editItems[i]->shortcut(), QKeySequence(QString(shortcuts[i])));
  }
  // The About item stays the last item of the Edit menu.
  EXPECT_EQ(editItems[8]->menuRole(), QAction::NoRole);
}

class EditCommandTest : public GuiTest {
 protected:
  void SetUp() override {
    w_ = wMain::wMain();
    field_ = static_cast<QLineEdit*>(w_->txtName->Widget());
    w_->Widget()->activateWindow();
    QApplication::setActiveWindow(w_->Widget());
    w_->txtName->SetFocus();
    w_->txtName->SetText("hello world");
  }
  bool Choose(const std::shared_ptr<fw::MenuItem>& item) { return fw::ChooseMenuItem(*item); }
  std::shared_ptr<class wMain::wMain> w_;
  QLineEdit* field_ = nullptr;
};

TEST_F(EditCommandTest, SelectAllCopyCutPasteDeleteAndUndoActOnTheFocusedField) {
  ASSERT_EQ(QApplication::focusWidget(), field_);
  EXPECT_FALSE(fw::MenuItemEnabledNow(*w_->EditCopy())) << "nothing selected";
  EXPECT_TRUE(Choose(w_->EditSelectAll()));
  EXPECT_EQ(field_->selectedText(), "hello world");
  EXPECT_TRUE(fw::MenuItemEnabledNow(*w_->EditCopy()));
  EXPECT_TRUE(Choose(w_->EditCopy()));
  EXPECT_EQ(fw::Clipboard().Text(), "hello world");

  field_->setSelection(0, 6);
  EXPECT_TRUE(Choose(w_->EditCut()));
  EXPECT_EQ(w_->txtName->Text(), "world");
  EXPECT_EQ(fw::Clipboard().Text(), "hello ");

  field_->setCursorPosition(5);
  EXPECT_TRUE(Choose(w_->EditPaste()));
  EXPECT_EQ(w_->txtName->Text(), "worldhello ");

  field_->setSelection(5, 6);
  EXPECT_TRUE(Choose(w_->EditClear()));
  EXPECT_EQ(w_->txtName->Text(), "world");
  EXPECT_FALSE(Choose(w_->EditClear())) << "nothing selected: nothing to delete";

  EXPECT_TRUE(fw::MenuItemEnabledNow(*w_->EditUndo()));
  EXPECT_TRUE(Choose(w_->EditUndo()));
  EXPECT_EQ(w_->txtName->Text(), "worldhello ");
}

// Edit ▸ Paste went through the field's plain paste: the field cleaned the
// text as it came in, but the undo step was not the paste's, so Undo did not
// give back the text from before the paste.
TEST_F(EditCommandTest, UndoAfterEditPasteOfCleanedTextRestoresTheTextBeforeIt) {
  field_->setCursorPosition(5);
  fw::Clipboard().SetText("\tnew\r\nline\f");
  EXPECT_TRUE(Choose(w_->EditPaste()));
  ASSERT_EQ(w_->txtName->Text(), "hello new line  world");
  EXPECT_TRUE(Choose(w_->EditUndo()));
  EXPECT_EQ(w_->txtName->Text(), "hello world");
  EXPECT_FALSE(fw::MenuItemEnabledNow(*w_->EditUndo())) << "the paste was one undo step";
}

// Cut, paste and delete change the text, so a read-only field offers only
// copy and select-all.
TEST_F(EditCommandTest, AReadOnlyFieldOffersOnlyCopyAndSelectAll) {
  fw::Clipboard().SetText("x");
  field_->selectAll();
  field_->setReadOnly(true);
  struct Case {
    std::shared_ptr<fw::MenuItem> item;
    bool enabled;
  };
  const Case cases[] = {{w_->EditCut(), false},
                        {w_->EditCopy(), true},
                        {w_->EditPaste(), false},
                        {w_->EditClear(), false},
                        {w_->EditSelectAll(), true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item->Name());
    EXPECT_EQ(fw::MenuItemEnabledNow(*c.item), c.enabled);
    EXPECT_EQ(Choose(c.item), c.enabled);
    EXPECT_EQ(w_->txtName->Text(), "hello world");
  }
}

TEST_F(EditCommandTest, CtrlQInAFieldQuitsThroughTheFileMenu) {
  ASSERT_EQ(QApplication::focusWidget(), field_);
  QTest::sendKeyEvent(QTest::Click, field_, Qt::Key_Q, QString(QChar(0x11)), Qt::ControlModifier);
  EXPECT_TRUE(fw::IsQuitting());
  EXPECT_FALSE(w_->IsOpen());
  EXPECT_EQ(w_->txtName->Text(), "hello world");
}

TEST_F(EditCommandTest, AutoEnableFollowsTheFieldAndTheHandlers) {
  EXPECT_TRUE(fw::MenuItemEnabledNow(*w_->FileQuit()));
  EXPECT_TRUE(fw::MenuItemEnabledNow(*w_->EditMenu()));
  EXPECT_TRUE(fw::MenuItemEnabledNow(*w_->EditSelectAll()));
  EXPECT_FALSE(fw::MenuItemEnabledNow(*w_->EditCut()));
  EXPECT_FALSE(fw::MenuItemEnabledNow(*w_->AboutItem())) << "no handler bound yet";
  auto app = std::make_shared<fw::Application>();
  fw::_RuntimeRegisterAppObject(app);
  app->_AddMenuHandler("AboutItem", [] { return true; });
  EXPECT_TRUE(fw::MenuItemEnabledNow(*w_->AboutItem()));
  fw::Clipboard().SetText("x");
  EXPECT_TRUE(fw::MenuItemEnabledNow(*w_->EditPaste()));
  fw::Clipboard().SetText("");
  EXPECT_FALSE(fw::MenuItemEnabledNow(*w_->EditPaste()));
  w_->txtName->SetText("");
  EXPECT_FALSE(fw::MenuItemEnabledNow(*w_->EditSelectAll()));
}

// The Edit menu opened from the keyboard took the focus from the field,
// and with it the selection: Copy copied nothing, Cut and Delete did
// nothing, Paste inserted instead of replacing.
class EditMenuTest : public GuiTest {
 public:  // the ways of choosing below drive it
  void SetUp() override {
    w_ = wMain::wMain();
    QApplication::setActiveWindow(w_->Widget());
    field_ = static_cast<QLineEdit*>(w_->EditField1->Widget());
    bar_ = w_->Widget()->menuBar();
    edit_ = bar_->actions().at(1);
  }
  // "hello world" typed into the free-text field, "hello" selected.
  void TypeAndSelect() {
    w_->EditField1->SetText("");
    w_->EditField1->SetFocus();
    QTest::keyClicks(field_, "hello world");
    field_->setSelection(0, 5);
    QApplication::clipboard()->setText("old");
  }
  // Keys go to the window, as the display sends them.
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(w_->Widget()->windowHandle(), key, modifiers);
  }
  QAction* Item(const char* text) {
    for (QAction* a : edit_->menu()->actions())
      if (a->text() == text) return a;
    return nullptr;
  }
  std::shared_ptr<class wMain::wMain> w_;
  QLineEdit* field_ = nullptr;
  QMenuBar* bar_ = nullptr;
  QAction* edit_ = nullptr;
};

TEST_F(EditMenuTest, CommandsActOnTheSelectionFromTheKeyboardAndTheMouse) {
  struct Way {
    const char* name;
    std::function<void(EditMenuTest&, Qt::Key, const char*)> choose;
  };
  const Way ways[] = {
      {"Alt+E, then the letter",
       [](EditMenuTest& t, Qt::Key letter, const char*) {
         t.Key(Qt::Key_E, Qt::AltModifier);
         ASSERT_EQ(QApplication::activePopupWidget(), t.edit_->menu()) << "the Edit menu is open";
         t.Key(letter);
       }},
      {"Alt alone, E, then the letter",
       [](EditMenuTest& t, Qt::Key letter, const char*) {
         t.Key(Qt::Key_Alt);
         t.Key(Qt::Key_E);
         ASSERT_EQ(QApplication::activePopupWidget(), t.edit_->menu()) << "the Edit menu is open";
         t.Key(letter);
       }},
      {"the mouse",
       [](EditMenuTest& t, Qt::Key, const char* text) {
         QTest::mouseClick(t.bar_, Qt::LeftButton, {}, t.bar_->actionGeometry(t.edit_).center());
         QMenu* menu = t.edit_->menu();
         ASSERT_EQ(QApplication::activePopupWidget(), menu) << "the Edit menu is open";
         QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(t.Item(text)).center());
       }},
  };
  struct Case {
    Qt::Key letter;
    const char* item;
    const char* text;       // the field's text afterwards
    const char* selected;   // and its selection
    const char* clipboard;  // the clipboard's text
  };
  const Case cases[] = {
      {Qt::Key_C, "&Copy", "hello world", "hello", "hello"},
      {Qt::Key_T, "Cu&t", " world", "", "hello"},
      {Qt::Key_P, "&Paste", "old world", "", "old"},
      {Qt::Key_D, "&Delete", " world", "", "old"},
      {Qt::Key_A, "Select &All", "hello world", "hello world", "old"},
      {Qt::Key_U, "&Undo", "", "", "old"},
  };
  for (const Way& way : ways) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(way.name) + ": " + c.item);
      TypeAndSelect();
      way.choose(*this, c.letter, c.item);
      EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "the menu closed";
      EXPECT_EQ(field_->text().toStdString(), c.text);
      EXPECT_EQ(field_->selectedText().toStdString(), c.selected);
      EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.clipboard);
      EXPECT_EQ(QApplication::focusWidget(), field_) << "the field has the keyboard again";
    }
  }
}

// Escape closes the menu and leaves the field as it was, selection included.
TEST_F(EditMenuTest, EscapeGivesTheFieldBackWithItsSelection) {
  TypeAndSelect();
  Key(Qt::Key_E, Qt::AltModifier);
  ASSERT_EQ(QApplication::activePopupWidget(), edit_->menu());
  Key(Qt::Key_Escape);
  Key(Qt::Key_Escape);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(QApplication::focusWidget(), field_);
  EXPECT_EQ(field_->selectedText(), "hello");
  EXPECT_EQ(field_->text(), "hello world");
}

}  // namespace
