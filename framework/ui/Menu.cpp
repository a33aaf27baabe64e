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
#include <QPointer>

#include "framework/ui/Application.h"
#include "framework/ui/EditField.h"
#include "framework/ui/EventSource.h"

Q_DECLARE_METATYPE(std::shared_ptr<fw::MenuItem>)

namespace fw {
namespace {

// The Edit menu's standard commands: when no handler of the application
// takes the item, they act on the focused text field.
struct EditCommand {
  const char* itemName;
  bool changesText;                     // needs an enabled field that is not read-only
  bool (*available)(const QLineEdit&);  // whether there is anything to act on
  void (*run)(QLineEdit&);
};

bool HasSelection(const QLineEdit& f) { return f.hasSelectedText(); }
bool CanUndo(const QLineEdit& f) { return f.isUndoAvailable(); }
bool ClipboardHasText(const QLineEdit&) { return !QApplication::clipboard()->text().isEmpty(); }
bool HasText(const QLineEdit& f) { return !f.text().isEmpty(); }

const EditCommand kEditCommands[] = {
    {"EditUndo", true, CanUndo, [](QLineEdit& f) { f.undo(); }},
    {"EditCut", true, HasSelection, [](QLineEdit& f) { f.cut(); }},
    {"EditCopy", false, HasSelection, [](QLineEdit& f) { f.copy(); }},
    {"EditPaste", true, ClipboardHasText, [](QLineEdit& f) { PasteAsOneLine(f); }},
    {"EditClear", true, HasSelection, [](QLineEdit& f) { f.del(); }},
    {"EditSelectAll", false, HasText, [](QLineEdit& f) { f.selectAll(); }},
};

// The command of the item of that name, or null.
const EditCommand* EditCommandOf(const String& name) {
  for (const EditCommand& command : kEditCommands)
    if (TextEquals(name, command.itemName)) return &command;
  return nullptr;
}

// The text field that last had the keyboard focus.
QPointer<QLineEdit>& LastFocusedField() {
  static QPointer<QLineEdit> field;
  return field;
}

// Follows the focus of the running application (once per application).
void WatchFieldFocus() {
  static QPointer<QApplication> watched;
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app || watched == app) return;
  watched = app;
  QObject::connect(app, &QApplication::focusChanged, app, [](QWidget*, QWidget* now) {
    if (auto* field = qobject_cast<QLineEdit*>(now)) LastFocusedField() = field;
  });
}

// The focused text field of the active window (or of the one window that
// has a focused field when none is active, as under the offscreen platform).
// While a menu bar has the keyboard (opened with Alt or an Alt+letter), the
// field is the one that had the focus before it, in the bar's window.
QLineEdit* FieldOfFocus(QWidget* focus) {
  if (auto* f = qobject_cast<QLineEdit*>(focus)) return f;
  if (qobject_cast<QMenuBar*>(focus)) {
    QLineEdit* f = LastFocusedField();
    if (f && f->window() == focus->window()) return f;
  }
  return nullptr;
}

QLineEdit* FocusedField() {
  if (QLineEdit* f = FieldOfFocus(QApplication::focusWidget())) return f;
  if (QWidget* active = QApplication::activeWindow()) return FieldOfFocus(active->focusWidget());
  return nullptr;
}

bool CanRun(const EditCommand& command, const QLineEdit* f) {
  if (!f) return false;
  if (command.changesText && (f->isReadOnly() || !f->isEnabled())) return false;
  return command.available(*f);
}

bool Run(const EditCommand* command) {
  QLineEdit* f = FocusedField();
  if (!command || !CanRun(*command, f)) return false;
  command->run(*f);
  return true;
}

void AddItems(QMenu& menu, const MenuItem& parent);

QAction* MakeAction(QObject* owner, const std::shared_ptr<MenuItem>& item) {
  auto* action = new QAction(QString::fromStdString(item->Text()), owner);
  action->setMenuRole(QAction::NoRole);
  String shortcut = QtShortcutText(item->KeyboardShortcut());
  if (!shortcut.empty()) action->setShortcut(QKeySequence(QString::fromStdString(shortcut)));
  std::weak_ptr<MenuItem> weak = item;
  QObject::connect(action, &QAction::triggered, [weak] {
    if (auto it = weak.lock()) ChooseMenuItem(*it);
  });
  return action;
}

void RefreshEnabled(QMenu& menu) {
  for (QAction* action : menu.actions()) {
    auto item = action->data().value<std::shared_ptr<MenuItem>>();
    if (item && !item->IsSeparator()) action->setEnabled(MenuItemEnabledNow(*item));
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

bool MenuItemEnabledNow(const MenuItem& item) {
  if (!item.AutoEnable()) return item.Enabled();
  if (item.Count() > 0) return true;
  if (dynamic_cast<const QuitMenuItem*>(&item)) return true;
  if (auto app = _GetAppObject(); app && app->HasMenuHandler(item.Name())) return true;
  if (const EditCommand* command = EditCommandOf(item.Name()))
    return CanRun(*command, FocusedField());
  return false;
}

bool ChooseMenuItem(const MenuItem& item) {
  bool handled = false;
  DispatchSafely([&] {
    if (auto app = _GetAppObject(); app && app->HandleMenu(item.Name())) {
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

String QtShortcutText(const String& shortcut) {
  String out = shortcut;
  const String cmd = "Cmd+";
  for (std::size_t at = out.find(cmd); at != String::npos; at = out.find(cmd, at + 5))
    out.replace(at, cmd.size(), "Ctrl+");
  return out;
}

void InstallQtMenuBar(QMainWindow& window, const std::shared_ptr<MenuBar>& bar) {
  if (!bar) {
    delete window.menuWidget();
    window.setMenuWidget(nullptr);
    return;
  }
  WatchFieldFocus();
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
