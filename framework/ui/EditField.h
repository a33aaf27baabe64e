// A single-line text field.
//
// Text()/SetText() read and replace the whole text. Events: "Open", "Close"
// (raised by its window), "TextChange" (after every change of the text, by
// the user or by SetText), "KeyDown" (before the field handles a key: the key
// as text, Return as Chr(13), the keypad's Enter as Chr(3), see KeyText.h; a
// handler that returns True consumes the key and the field never sees it;
// Tab moves the focus and is not reported). Ctrl combinations raise no
// KeyDown: the Edit menu's shortcuts (Undo, Cut, Copy, Paste, Select All)
// act on the focused field once, through the field's own editing, and any
// other Ctrl combination does what the field's editing does with it, or
// nothing.
//
// One line: the field never holds a control character, whichever way text
// comes in (typing, an input method, pasting with the keys, the Edit menu,
// the field's context menu or the middle button, dropping, SetText). A line
// break (LF, CR, CR LF as one, VT, form feed, U+0085, U+2028, U+2029) and a
// tab become one blank each; every other control character (C0, DEL, C1)
// is dropped. Every other character is kept as it is.
//
// Mask: "" admits any text; a mask made of "#" admits only digits, at most
// one per "#" (what the user can type; SetText is not checked against the
// mask). LimitText: the most characters the field takes; 0 (or less) sets
// no limit of its own (Qt's largest, 2^31 - 1). Alignment: 0 or 1 left, 2
// centre, 3 right. TextColor and BackColor colour an enabled field; a
// disabled field looks disabled.
#pragma once

#include <cstdint>

#include "framework/core/Color.h"
#include "framework/core/Controls.h"
#include "framework/core/String.h"
#include "framework/ui/Control.h"

class QLineEdit;

namespace fw {

class EditField : public RectControl, public IEditField {
 public:
  struct Properties : RectProperties {
    String Text;
    String Mask;
    std::int32_t Alignment = 0;
    bool Multiline = false, Border = true, Password = false, ReadOnly = false;
    bool ScrollbarHorizontal = false, ScrollbarVertical = true, Styled = false;
    bool UseFocusRing = true, AcceptTabs = false, TabStop = true;
    std::int32_t LimitText = 0;  // 0: no limit
    String Format;
    Color TextColor = RGB(0, 0, 0);
    Color BackColor = RGB(255, 255, 255);
  };

  EditField();
  String Text() const override;
  void SetText(const String& text) override;
  String Mask() const { return mask_; }
  void SetMask(const String& mask);
  std::int32_t Alignment() const { return alignment_; }
  void SetAlignment(std::int32_t alignment);
  bool ReadOnly() const;
  void SetReadOnly(bool on);
  void SetLimitText(std::int32_t limit);
  void _SetProperties(const Properties& p);

 private:
  String mask_;
  std::int32_t alignment_ = 0;
  std::int32_t limit_ = 0;
};

// Pastes the clipboard's text into field as one line (see above), replacing
// its selection; nothing happens in a read-only field. The paste is one
// undo step of its own.
void PasteAsOneLine(QLineEdit& field);

}  // namespace fw
