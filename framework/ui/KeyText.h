// The text of a pressed key, as key events hand it to handlers. It comes
// from the key itself: Return is Chr(13), the keypad's Enter Chr(3), Tab
// Chr(9), Backspace Chr(8), Escape Chr(27), the arrows Chr(28) to Chr(31)
// (left, right, up, down), Delete Chr(127); any other key gives the
// printable text it types (UTF-8, possibly empty), never a control
// character.
//
// Which presses raise a key event at all (RaisesKeyDown): not a modifier
// key pressed alone (Shift, Ctrl, Alt, AltGr, Meta, Caps Lock ...), and not
// a Ctrl combination. Ctrl is the menu-shortcut modifier here ("Cmd+" in
// menu shortcuts), so Ctrl combinations belong to the menus and to a text
// field's own editing (Ctrl+C copies, Ctrl+Left moves by a word ...); they
// never reach a handler as the control character Qt makes of them (Ctrl+C
// is Chr(3), Ctrl+M Chr(13)). Printable text typed with Alt, or with AltGr
// where it arrives as Ctrl+Alt, is typing and raises the event.
#pragma once

#include "framework/core/String.h"

class QKeyEvent;

namespace fw {

String KeyTextOf(const QKeyEvent& event);
bool IsModifierKey(const QKeyEvent& event);
// A Ctrl combination that is not typing (see above).
bool IsCtrlCombination(const QKeyEvent& event);
// Whether the press raises a key event: neither a lone modifier nor a Ctrl
// combination.
bool RaisesKeyDown(const QKeyEvent& event);

}  // namespace fw
