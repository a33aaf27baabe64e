// Menu items: look-ups by name (direct and at any depth), the shortcut
// notation, and the Qt menus drawn from a bar.
#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "framework/ui/Menu.h"
#include "tests/support/GuiEnvironment.h"

namespace {

std::shared_ptr<fw::MenuItem> Item(const char* name, const char* text) {
  auto item = std::make_shared<fw::MenuItem>();
  item->SetName(name);
  item->SetText(text);
  return item;
}

TEST(MenuItemTest, ChildIsOneLevelLookupIsAnyDepth) {
  fw::MenuBar bar;
  auto menu = Item("Menu", "&Menu");
  auto sub = Item("Sub", "Sub");
  auto leaf = Item("Leaf", "Leaf");
  bar.Append(menu);
  menu->Append(sub);
  sub->Append(leaf);
  EXPECT_EQ(bar.Child("Menu"), menu);
  EXPECT_EQ(bar.Child("Leaf"), nullptr);
  EXPECT_EQ(bar._Lookup("Leaf"), leaf);
  EXPECT_EQ(bar._Lookup("leaf"), nullptr);
  EXPECT_EQ(bar._Lookup("Nope"), nullptr);
  EXPECT_EQ(leaf->Parent(), sub.get());
  EXPECT_EQ(bar.Item(1), nullptr);
  EXPECT_EQ(bar.Item(-1), nullptr);
  EXPECT_FALSE(bar.AutoEnable());
}

TEST(MenuItemTest, ShortcutsInQtNotation) {
  struct Case {
    const char* given;
    const char* qt;
  };
  const Case cases[] = {
      {"Cmd+Q", "Ctrl+Q"}, {"Cmd+Shift+Z", "Ctrl+Shift+Z"}, {"", ""}, {"F5", "F5"}};
  for (const Case& c : cases) EXPECT_EQ(fw::_QtShortcutText(c.given), c.qt) << c.given;
}

TEST(MenuItemTest, TheQtBarFollowsTheItems) {
  auto bar = std::make_shared<fw::MenuBar>();
  auto menu = Item("Menu", "&Menu");
  bar->Append(menu);
  auto a = Item("A", "&Apple");
  a->SetKeyboardShortcut("Cmd+P");
  menu->Append(a);
  menu->Append(Item("Sep", "-"));
  menu->Append(Item("B", "B && C"));
  QMainWindow window;
  fw::_InstallQtMenuBar(window, bar);
  auto menus = window.menuBar()->actions();
  ASSERT_EQ(menus.size(), 1);
  EXPECT_EQ(menus[0]->text(), "&Menu");
  auto items = menus[0]->menu()->actions();
  ASSERT_EQ(items.size(), 3);
  EXPECT_EQ(items[0]->text(), "&Apple");
  EXPECT_EQ(items[0]->shortcut(), QKeySequence("Ctrl+P"));
  EXPECT_TRUE(items[1]->isSeparator());
  EXPECT_EQ(items[2]->text(), "B && C");
}

}  // namespace
