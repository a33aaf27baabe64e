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

TEST(MenuItemTest, InsertAndRemoveByIndexItemAndName) {
  fw::MenuItem menu;
  auto a = Item("A", "a"), b = Item("B", "b"), c = Item("C", "c");
  menu.Append(a);
  menu.Insert(0, b);   // b a
  menu.Insert(99, c);  // b a c
  ASSERT_EQ(menu.Count(), 3);
  EXPECT_EQ(menu.Item(0), b);
  EXPECT_EQ(menu.Item(2), c);
  EXPECT_EQ(c->Parent(), &menu);
  menu.Remove(std::string("A"));
  EXPECT_EQ(menu.Child("A"), nullptr);
  EXPECT_EQ(a->Parent(), nullptr);
  menu.Remove(c);
  menu.Remove(5);
  menu.Remove(std::string("nope"));
  ASSERT_EQ(menu.Count(), 1);
  menu.Remove(0);
  EXPECT_EQ(menu.Count(), 0);
}

TEST(MenuItemTest, LookupByNameAndIndex) {
  fw::MenuBar bar;
  auto menu = Item("Menu", "Menu");
  bar.Append(menu);
  auto first = Item("Recent", "one"), second = Item("Recent", "two");
  first->SetIndex(0);
  second->SetIndex(1);
  menu->Append(first);
  menu->Append(second);
  EXPECT_EQ(bar._Lookup("Recent", 1), second);
  EXPECT_EQ(bar._Lookup("Recent", 0), first);
  EXPECT_EQ(bar._Lookup("Recent", 2), nullptr);
  EXPECT_EQ(bar._Lookup("Recent"), first);
  second->SetEnabled(false);
  second->Enable();
  EXPECT_TRUE(second->Enabled());
}

TEST(MenuItemTest, ShortcutsInQtNotation) {
  struct Case {
    const char* given;
    const char* qt;
  };
  const Case cases[] = {
      {"Cmd+Q", "Ctrl+Q"}, {"Cmd+Shift+Z", "Ctrl+Shift+Z"}, {"", ""}, {"F5", "F5"}};
  for (const Case& c : cases) EXPECT_EQ(fw::QtShortcutText(c.given), c.qt) << c.given;
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
  fw::InstallQtMenuBar(window, bar);
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
