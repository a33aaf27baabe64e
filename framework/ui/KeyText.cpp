#include "framework/ui/KeyText.h"

#include <QKeyEvent>

namespace fw {
namespace {

// Text that types something: not empty and not a control character.
bool IsPrintable(const QString& text) {
  return !text.isEmpty() && text.at(0).category() != QChar::Other_Control;
}

}  // namespace

String KeyTextOf(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
      return String(1, '\r');
    case Qt::Key_Enter:
      return String(1, '\x03');
    case Qt::Key_Tab:
      return String(1, '\t');
    case Qt::Key_Backspace:
      return String(1, '\x08');
    case Qt::Key_Escape:
      return String(1, '\x1b');
    case Qt::Key_Left:
      return String(1, '\x1c');
    case Qt::Key_Right:
      return String(1, '\x1d');
    case Qt::Key_Up:
      return String(1, '\x1e');
    case Qt::Key_Down:
      return String(1, '\x1f');
    case Qt::Key_Delete:
      return String(1, '\x7f');
    default:
      return IsPrintable(event.text()) ? event.text().toStdString() : String();
  }
}

bool IsModifierKey(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
      return true;
    default:
      return false;
  }
}

bool IsCtrlCombination(const QKeyEvent& event) {
  const Qt::KeyboardModifiers m = event.modifiers();
  if (!(m & Qt::ControlModifier)) return false;
  return !((m & Qt::AltModifier) && IsPrintable(event.text()));
}

bool RaisesKeyDown(const QKeyEvent& event) {
  return !IsModifierKey(event) && !IsCtrlCombination(event);
}

}  // namespace fw
