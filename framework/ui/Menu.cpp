#include "framework/ui/Menu.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "framework/ui/Application.h"
#include "framework/ui/EventSource.h"

Q_DECLARE_METATYPE(std::shared_ptr<fw::MenuItem>)

namespace fw {
namespace {

enum class EditCommand { None, Undo, Cut, Copy, Paste, Clear, SelectAll };

EditCommand EditCommandOf(const String& name) {
  if (TextEquals(name, "EditUndo")) return EditCommand::Undo;
  if (TextEquals(name, "EditCut")) return EditCommand::Cut;
  if (TextEquals(name, "EditCopy")) return EditCommand::Copy;
  if (TextEquals(name, "EditPaste")) return EditCommand::Paste;
  if (TextEquals(name, "EditClear")) return EditCommand::Clear;
  if (TextEquals(name, "EditSelectAll")) return EditCommand::SelectAll;
  return EditCommand::None;
}

// The focused text field of the active window (or of the one window that
// has a focused field when none is active, as under the offscreen platform).
QLineEdit* FocusedField() {
  if (auto* f = qobject_cast<QLineEdit*>(QApplication::focusWidget())) return f;
  if (QWidget* active = QApplication::activeWindow())
    return qobject_cast<QLineEdit*>(active->focusWidget());
  return nullptr;
}

bool CanRun(EditCommand command, QLineEdit* f) {
  if (!f) return false;
  bool editable = !f->isReadOnly() && f->isEnabled();
  switch (command) {
    case EditCommand::Undo:
      return editable && f->isUndoAvailable();
    case EditCommand::Cut:
    case EditCommand::Clear:
      return editable && f->hasSelectedText();
    case EditCommand::Copy:
      return f->hasSelectedText();
    case EditCommand::Paste:
      return editable && !QApplication::clipboard()->text().isEmpty();
    case EditCommand::SelectAll:
      return !f->text().isEmpty();
    case EditCommand::None:
      return false;
  }
  return false;
}

bool Run(EditCommand command) {
  QLineEdit* f = FocusedField();
  if (!CanRun(command, f)) return false;
  switch (command) {
    case EditCommand::Undo:
      f->undo();
      break;
    case EditCommand::Cut:
      f->cut();
      break;
    case EditCommand::Copy:
      f->copy();
      break;
    case EditCommand::Paste:
      f->paste();
      break;
    case EditCommand::Clear:
      f->del();
      break;
    case EditCommand::SelectAll:
      f->selectAll();
      break;
    case EditCommand::None:
      return false;
  }
  return true;
}

void AddItems(QMenu& menu, const MenuItem& parent);

QAction* MakeAction(QObject* owner, const std::shared_ptr<MenuItem>& item) {
  auto* action = new QAction(QString::fromStdString(item->Text()), owner);
  action->setMenuRole(QAction::NoRole);
  String shortcut = _QtShortcutText(item->KeyboardShortcut());
  if (!shortcut.empty()) action->setShortcut(QKeySequence(QString::fromStdString(shortcut)));
  std::weak_ptr<MenuItem> weak = item;
  QObject::connect(action, &QAction::triggered, [weak] {
    if (auto it = weak.lock()) _ChooseMenuItem(*it);
  });
  return action;
}

void RefreshEnabled(QMenu& menu) {
  for (QAction* action : menu.actions()) {
    auto item = action->data().value<std::shared_ptr<MenuItem>>();
    if (item && !item->IsSeparator()) action->setEnabled(_MenuItemEnabledNow(*item));
  }
}

void AddItems(QMenu& menu, const MenuItem& parent) {
  for (std::int32_t i = 0; i < parent.Count(); ++i) {
    std::shared_ptr<MenuItem> item = parent.Item(i);
    if (item->IsSeparator()) {
      menu.addSeparator()->setData(QVariant::fromValue(item));
    } else if (item->Count() > 0) {
      QMenu* sub = menu.addMenu(QString::fromStdString(item->Text()));
      sub->menuAction()->setData(QVariant::fromValue(item));
      AddItems(*sub, *item);
    } else {
      QAction* action = MakeAction(&menu, item);
      action->setData(QVariant::fromValue(item));
      menu.addAction(action);
    }
  }
  // Enable by state while the menu is open; shortcuts stay live otherwise.
  QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&menu] { RefreshEnabled(menu); });
  QObject::connect(&menu, &QMenu::aboutToHide, &menu, [&menu] {
    for (QAction* action : menu.actions()) action->setEnabled(true);
  });
}

}  // namespace

void MenuItem::Append(std::shared_ptr<MenuItem> item) {
  if (!item || item.get() == this) return;
  item->parent_ = this;
  items_.push_back(std::move(item));
}

void MenuItem::Insert(std::int32_t index, std::shared_ptr<MenuItem> item) {
  if (!item || item.get() == this) return;
  item->parent_ = this;
  std::size_t at =
      index < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(index), items_.size());
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
}

void MenuItem::Remove(std::int32_t index) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<std::size_t>(index)]->parent_ = nullptr;
  items_.erase(items_.begin() + index);
}

void MenuItem::Remove(const std::shared_ptr<MenuItem>& item) {
  for (std::int32_t i = 0; i < Count(); ++i)
    if (items_[static_cast<std::size_t>(i)] == item) return Remove(i);
}

void MenuItem::Remove(const String& name) {
  for (std::int32_t i = 0; i < Count(); ++i)
    if (TextEquals(items_[static_cast<std::size_t>(i)]->Name(), name)) return Remove(i);
}

std::shared_ptr<MenuItem> MenuItem::_Lookup(const String& name, std::int32_t index) const {
  for (const auto& item : items_) {
    if (TextEquals(item->Name(), name) && item->Index() == index) return item;
    if (auto found = item->_Lookup(name, index)) return found;
  }
  return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::Item(std::int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<std::size_t>(index)];
}

std::shared_ptr<MenuItem> MenuItem::Child(const String& name) const {
  for (const auto& item : items_)
    if (TextEquals(item->Name(), name)) return item;
  return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::_Lookup(const String& name) const {
  for (const auto& item : items_) {
    if (TextEquals(item->Name(), name)) return item;
    if (auto found = item->_Lookup(name)) return found;
  }
  return nullptr;
}

bool _MenuItemEnabledNow(const MenuItem& item) {
  if (!item.AutoEnable()) return item.Enabled();
  if (item.Count() > 0) return true;
  if (dynamic_cast<const QuitMenuItem*>(&item)) return true;
  if (auto app = _GetAppObject(); app && app->_HasMenuHandler(item.Name())) return true;
  EditCommand command = EditCommandOf(item.Name());
  if (command != EditCommand::None) return CanRun(command, FocusedField());
  return false;
}

bool _ChooseMenuItem(const MenuItem& item) {
  bool handled = false;
  _DispatchSafely([&] {
    if (auto app = _GetAppObject(); app && app->_HandleMenu(item.Name())) {
      handled = true;
      return;
    }
    if (dynamic_cast<const QuitMenuItem*>(&item)) {
      Quit(0);
      handled = true;
      return;
    }
    handled = Run(EditCommandOf(item.Name()));
  });
  return handled;
}

String _QtShortcutText(const String& shortcut) {
  String out = shortcut;
  const String cmd = "Cmd+";
  for (std::size_t at = out.find(cmd); at != String::npos; at = out.find(cmd, at + 5))
    out.replace(at, cmd.size(), "Ctrl+");
  return out;
}

void _InstallQtMenuBar(QMainWindow& window, const std::shared_ptr<MenuBar>& bar) {
  if (!bar) {
    delete window.menuWidget();
    window.setMenuWidget(nullptr);
    return;
  }
  auto* qbar = new QMenuBar(&window);
  for (std::int32_t i = 0; i < bar->Count(); ++i) {
    std::shared_ptr<MenuItem> item = bar->Item(i);
    if (item->Count() > 0 || !item->IsSeparator()) {
      QMenu* menu = qbar->addMenu(QString::fromStdString(item->Text()));
      menu->menuAction()->setData(QVariant::fromValue(item));
      AddItems(*menu, *item);
    }
  }
  window.setMenuBar(qbar);
}

}  // namespace fw
