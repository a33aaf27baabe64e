// The main window's menu-item accessors: each finds its item by name at any
// depth of the window's menu bar.
#include "client/wMain.h"

namespace wMain {
namespace {

template <class Item>
std::shared_ptr<Item> Find(const fw::Window& window, const char* name) {
  std::shared_ptr<fw::MenuBar> bar = window.MenuBar();
  if (!bar) return nullptr;
  return std::dynamic_pointer_cast<Item>(bar->_Lookup(name));
}

}  // namespace

std::shared_ptr<fw::MenuItem> wMain::EditMenu() { return Find<fw::MenuItem>(*this, "EditMenu"); }
std::shared_ptr<fw::AppleMenuItem> wMain::AboutItem() {
  return Find<fw::AppleMenuItem>(*this, "AboutItem");
}
std::shared_ptr<fw::MenuItem> wMain::EditSelectAll() {
  return Find<fw::MenuItem>(*this, "EditSelectAll");
}
std::shared_ptr<fw::MenuItem> wMain::UntitledMenu0() {
  return Find<fw::MenuItem>(*this, "UntitledMenu0");
}
std::shared_ptr<fw::MenuItem> wMain::EditClear() { return Find<fw::MenuItem>(*this, "EditClear"); }
std::shared_ptr<fw::MenuItem> wMain::EditPaste() { return Find<fw::MenuItem>(*this, "EditPaste"); }
std::shared_ptr<fw::MenuItem> wMain::EditCopy() { return Find<fw::MenuItem>(*this, "EditCopy"); }
std::shared_ptr<fw::MenuItem> wMain::EditCut() { return Find<fw::MenuItem>(*this, "EditCut"); }
std::shared_ptr<fw::MenuItem> wMain::UntitledMenu1() {
  return Find<fw::MenuItem>(*this, "UntitledMenu1");
}
std::shared_ptr<fw::MenuItem> wMain::EditUndo() { return Find<fw::MenuItem>(*this, "EditUndo"); }
std::shared_ptr<fw::MenuItem> wMain::FileMenu() { return Find<fw::MenuItem>(*this, "FileMenu"); }
std::shared_ptr<fw::QuitMenuItem> wMain::FileQuit() {
  return Find<fw::QuitMenuItem>(*this, "FileQuit");
}

}  // namespace wMain
