#include "framework/ui/PopupMenu.h"

#include <QComboBox>

namespace fw {
namespace {

QComboBox* Combo(QWidget* w) { return static_cast<QComboBox*>(w); }

}  // namespace

PopupMenu::PopupMenu() : RectControl(new QComboBox) {}

std::int32_t PopupMenu::ListCount() const { return Combo(Widget())->count(); }

String PopupMenu::List(std::int32_t row) const {
  QComboBox* combo = Combo(Widget());
  if (row < 0 || row >= combo->count()) return String();
  return combo->itemText(row).toStdString();
}

void PopupMenu::AddRow(const String& text) {
  QComboBox* combo = Combo(Widget());
  const int selected = combo->currentIndex();
  combo->addItem(QString::fromStdString(text));
  // The combo box selects the first row it gets; the menu selects none.
  if (selected == -1) combo->setCurrentIndex(-1);
}

std::int32_t PopupMenu::ListIndex() const { return Combo(Widget())->currentIndex(); }

void PopupMenu::SetListIndex(std::int32_t row) {
  QComboBox* combo = Combo(Widget());
  if (row < -1 || row >= combo->count()) return;
  combo->setCurrentIndex(row);
}

String PopupMenu::Text() const { return List(ListIndex()); }

}  // namespace fw
