#include "framework/ui/RadioButton.h"

#include <QRadioButton>

namespace fw {
namespace {

QRadioButton* Radio(QWidget* w) { return static_cast<QRadioButton*>(w); }

}  // namespace

RadioButton::RadioButton() : RectControl(new QRadioButton) {}

bool RadioButton::Value() const { return Radio(Widget())->isChecked(); }

void RadioButton::SetValue(bool value) {
  QRadioButton* radio = Radio(Widget());
  if (value) {
    radio->setChecked(true);
    return;
  }
  // Qt keeps the chosen button of an exclusive group chosen; releasing it
  // needs exclusivity off for the moment.
  const bool exclusive = radio->autoExclusive();
  radio->setAutoExclusive(false);
  radio->setChecked(false);
  radio->setAutoExclusive(exclusive);
}

}  // namespace fw
