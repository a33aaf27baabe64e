#include "framework/ui/GroupBox.h"

#include <QGroupBox>

namespace fw {

GroupBox::GroupBox() : RectControl(new QGroupBox) {}

String GroupBox::Caption() const {
  return static_cast<QGroupBox*>(Widget())->title().toStdString();
}

void GroupBox::SetCaption(const String& caption) {
  static_cast<QGroupBox*>(Widget())->setTitle(QString::fromStdString(caption));
}

void GroupBox::_SetProperties(const Properties& p) {
  RectControl::_SetProperties(p);
  SetCaption(p.Caption);
}

}  // namespace fw
