#include "client/MenuBar1.h"

#include <string>

#include "client/App.h"

namespace MenuBar1 {

std::shared_ptr<class MenuBar1> _implicitInstance;

namespace {

// Makes one item and sets its properties in the bar's fixed order; a null
// shortcut leaves the item's shortcut as the framework made it.
template <class Item>
std::shared_ptr<Item> MakeItem(const char* name, const char* text, const char* shortcut) {
  auto item = std::make_shared<Item>();
  item->SetName(name);
  item->SetAutoEnable(true);
  item->SetText(text);
  if (shortcut) item->SetKeyboardShortcut(shortcut);
  return item;
}

template <class Item>
void AddTo(fw::MenuItem& bar, const char* menu, const char* name, const char* text,
           const char* shortcut) {
  auto item = MakeItem<Item>(name, text, shortcut);
  if (auto parent = bar.Child(menu)) parent->Append(item);
}

}  // namespace

void MenuBar1::Constructor() {
  Untitled0();
  Untitled1();
}

void MenuBar1::Untitled0() {
  Append(MakeItem<fw::MenuItem>("FileMenu", "&File", ""));
  AddTo<fw::QuitMenuItem>(*this, "FileMenu", "FileQuit", "&Quit", "Cmd+Q");
}

void MenuBar1::Untitled1() {
  Append(MakeItem<fw::MenuItem>("EditMenu", "&Edit", ""));
  AddTo<fw::MenuItem>(*this, "EditMenu", "EditUndo", "&Undo", "Cmd+Z");
  AddTo<fw::MenuItem>(*this, "EditMenu", "UntitledMenu1", "-", nullptr);
  AddTo<fw::MenuItem>(*this, "EditMenu", "EditCut", "Cu&t", "Cmd+X");
  AddTo<fw::MenuItem>(*this, "EditMenu", "EditCopy", "&Copy", "Cmd+C");
  AddTo<fw::MenuItem>(*this, "EditMenu", "EditPaste", "&Paste", "Cmd+V");
  AddTo<fw::MenuItem>(*this, "EditMenu", "EditClear", "&Delete", "");
  AddTo<fw::MenuItem>(*this, "EditMenu", "UntitledMenu0", "-", nullptr);
  AddTo<fw::MenuItem>(*this, "EditMenu", "EditSelectAll", "Select &All", "Cmd+A");
  const std::string about = std::string("About ") + kApplicationName;
  AddTo<fw::AppleMenuItem>(*this, "EditMenu", "AboutItem", about.c_str(), "");
}

std::shared_ptr<class MenuBar1> MenuBar1() {
  if (!_implicitInstance) {
    _implicitInstance = std::make_shared<class MenuBar1>();
    _implicitInstance->Constructor();
  }
  return _implicitInstance;
}

}  // namespace MenuBar1
