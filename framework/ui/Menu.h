// Menus: a menu bar is a tree of menu items.
//
// A MenuItem has a Name (unique within its bar; look-ups compare names with
// TextEquals), a Text ("&" marks the access key, "&&" is a literal "&"; the
// text "-" makes a separator), a KeyboardShortcut ("Cmd+Q" and the like;
// "Cmd" is the Ctrl key on Linux; empty for none) and AutoEnable. Append adds
// an item at the end; Child finds a direct child by name, _Lookup an item at
// any depth below this one; both give null when there is none. Insert and
// Remove change a menu; a window shows the bar as it was when it was given
// the bar.
//
// Choosing an item: the application's menu handler for the item's name runs
// first (Application::_AddMenuHandler); when there is none, or it returns
// False, the framework's own command runs: a QuitMenuItem quits the
// application (Quit(0)); the items named "EditUndo", "EditCut", "EditCopy",
// "EditPaste", "EditClear" (delete the selection) and "EditSelectAll" act on
// the focused text field of the active window, and on its selection, also
// when the menu was opened from the keyboard (Alt, or Alt and the menu's
// letter), which gives the menu bar the keyboard: the command then acts on
// the field that had it before. Paste pastes one line (PasteAsOneLine,
// EditField.h).
//
// AutoEnable: when a menu opens, each of its AutoEnable items is enabled as
// fits: the editing commands by the state of the focused text field (Undo
// when it can undo, Cut and Delete with a selection in an editable field,
// Copy with a selection, Paste with text on the clipboard, Select All with
// text in it), Quit and items with a handler always, menus always, any other
// item never. An item without AutoEnable keeps its Enabled setting.
//
// On Linux the menu bar is drawn in each window that has one; there is no
// application menu, so an AppleMenuItem stays where the bar puts it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/core/String.h"

class QMainWindow;

namespace fw {

class MenuItem : public std::enable_shared_from_this<MenuItem> {
 public:
  MenuItem() = default;
  virtual ~MenuItem() = default;
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  String Name() const { return name_; }
  void SetName(const String& name) { name_ = name; }
  bool AutoEnable() const { return autoEnable_; }
  void SetAutoEnable(bool on) { autoEnable_ = on; }
  String Text() const { return text_; }
  void SetText(const String& text) { text_ = text; }
  String KeyboardShortcut() const { return shortcut_; }
  void SetKeyboardShortcut(const String& shortcut) { shortcut_ = shortcut; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on; }
  bool IsSeparator() const { return TextEquals(text_, "-"); }

  void Enable() { enabled_ = true; }
  void Append(std::shared_ptr<MenuItem> item);
  // Inserts item before index (at the end when index is past it).
  void Insert(std::int32_t index, std::shared_ptr<MenuItem> item);
  // Removes the item at index, that very item, or the direct child of that
  // name; nothing happens when there is no such item.
  void Remove(std::int32_t index);
  void Remove(const std::shared_ptr<MenuItem>& item);
  void Remove(const String& name);
  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  // The item at index (0-based), or null.
  std::shared_ptr<MenuItem> Item(std::int32_t index) const;
  std::shared_ptr<MenuItem> Child(const String& name) const;
  std::shared_ptr<MenuItem> _Lookup(const String& name) const;
  // The item of that name whose Index is index, at any depth.
  std::shared_ptr<MenuItem> _Lookup(const String& name, std::int32_t index) const;
  // Index within a menu-item array; -1 for a lone item.
  std::int32_t Index() const { return index_; }
  void SetIndex(std::int32_t index) { index_ = index; }
  MenuItem* Parent() const { return parent_; }

 private:
  String name_;
  String text_;
  String shortcut_;
  bool autoEnable_ = false;
  bool enabled_ = true;
  std::int32_t index_ = -1;
  std::vector<std::shared_ptr<MenuItem>> items_;
  MenuItem* parent_ = nullptr;
};

class QuitMenuItem : public MenuItem {};
class AppleMenuItem : public MenuItem {};
class MenuBar : public MenuItem {};

// Carries out a chosen item (see above). True when something handled it.
bool ChooseMenuItem(const MenuItem& item);
// Whether the item would be enabled now, by the AutoEnable rule.
bool MenuItemEnabledNow(const MenuItem& item);
// "Cmd+Q" -> "Ctrl+Q": the shortcut text in Qt's notation.
String QtShortcutText(const String& shortcut);

// Replaces the Qt window's menu bar with one drawn from bar (null: none).
void InstallQtMenuBar(QMainWindow& window, const std::shared_ptr<MenuBar>& bar);

}  // namespace fw
