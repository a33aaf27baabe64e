// The text of a pressed key, as key events hand it to handlers: Return is
// Chr(13), the keypad's Enter Chr(3), Tab Chr(9), Backspace Chr(8), Escape
// Chr(27), the arrows Chr(28) to Chr(31) (left, right, up, down), Delete
// Chr(127); any other key gives the text it types (UTF-8, possibly empty).
// A modifier key pressed alone (Shift, Ctrl, Alt, Meta, Caps Lock ...) raises
// no key event at all.
#pragma once

#include "framework/core/String.h"

class QKeyEvent;

namespace fw {

String _KeyText(const QKeyEvent& event);
bool _IsModifierKey(const QKeyEvent& event);

}  // namespace fw
