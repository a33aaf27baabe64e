#include "framework/ui/CheckBox.h"

#include <QCheckBox>

namespace fw {
namespace {

QCheckBox* Box(QWidget* w) { return static_cast<QCheckBox*>(w); }

}  // namespace

CheckBox::CheckBox() : RectControl(new QCheckBox) {}

bool CheckBox::Value() const { return Box(Widget())->isChecked(); }

void CheckBox::SetValue(bool value) { Box(Widget())->setChecked(value); }

}  // namespace fw
