#include "framework/ui/EditField.h"

#include <algorithm>
#include <functional>
#include <limits>

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QValidator>

#include "framework/ui/KeyText.h"

namespace fw {
namespace {

// What a single line may not hold. Line breaks (CR LF counting as one) and
// tabs become a blank; every other control character is dropped.
bool IsLineBreak(char16_t c) {
  return c == u'\n' || c == u'\r' || c == 0x0B || c == 0x0C || c == 0x85 || c == 0x2028 ||
         c == 0x2029;
}
bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }
bool IsNotForOneLine(QChar c) { return IsControl(c.unicode()) || IsLineBreak(c.unicode()); }

bool NeedsOneLine(const QString& text) {
  return std::any_of(text.begin(), text.end(), IsNotForOneLine);
}

// The text as one line; *position (an index into text) moves with it.
QString OneLine(const QString& text, int* position = nullptr) {
  QString line;
  line.reserve(text.size());
  int moved = -1;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (position && i == *position) moved = static_cast<int>(line.size());
    const char16_t c = text[i].unicode();
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    if (IsLineBreak(c) || c == u'\t')
      line += u' ';
    else if (!IsControl(c))
      line += text[i];
  }
  if (position) *position = moved < 0 ? static_cast<int>(line.size()) : moved;
  return line;
}

// Every change of a field's text passes here: a text that is not one line
// is made one (the paths below do that before, so that their change keeps
// its undo step), and a digit mask refuses anything but digits.
class FieldValidator final : public QValidator {
 public:
  using QValidator::QValidator;
  void SetDigits(int digits) { digits_ = digits; }

  State validate(QString& input, int& position) const override {
    if (NeedsOneLine(input)) input = OneLine(input, &position);
    if (digits_ == 0) return Acceptable;
    bool digitsOnly =
        std::all_of(input.begin(), input.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return digitsOnly && input.size() <= digits_ ? Acceptable : Invalid;
  }

 private:
  int digits_ = 0;  // 0: any text
};

// A field starts a new undo step when its cursor moves; a move away and
// back ends the current step without changing anything else.
void EndUndoStep(QLineEdit& field) {
  if (field.hasSelectedText() || field.text().isEmpty()) return;
  const int at = field.cursorPosition();
  field.setCursorPosition(at > 0 ? at - 1 : at + 1);
  field.setCursorPosition(at);
}

// Pastes the clipboard's text (or the X selection) made one line; a text
// that already is one line goes through the field's own paste.
void PasteOneLine(QLineEdit& field, QClipboard::Mode mode) {
  if (field.isReadOnly()) return;
  const QString clip = QGuiApplication::clipboard()->text(mode);
  if (mode == QClipboard::Clipboard && !NeedsOneLine(clip)) return field.paste();
  const QString line = OneLine(clip);
  if (line.isEmpty() && !field.hasSelectedText()) return;
  EndUndoStep(field);
  field.insert(line);
  EndUndoStep(field);
}

QClipboard::Mode PasteModeOf(const QKeyEvent& event) {
  return event.key() == Qt::Key_Insert &&
                 event.modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)
             ? QClipboard::Selection
             : QClipboard::Clipboard;
}

bool ClipboardNeedsOneLine(QClipboard::Mode mode) {
  return NeedsOneLine(QGuiApplication::clipboard()->text(mode));
}

// Keys that command the field rather than type: their text (Chr(13), a
// Ctrl letter ...) is never inserted.
bool IsCommandKey(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
      return true;
    default:
      return IsCtrlCombination(event);
  }
}

class LineEdit final : public QLineEdit {
 public:
  LineEdit() : validator_(new FieldValidator(this)) { setValidator(validator_); }
  std::function<bool(const QKeyEvent&)> onKey;
  void SetDigits(int digits) { validator_->SetDigits(digits); }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (onKey && onKey(*event)) return event->accept();
    if (event->matches(QKeySequence::Paste) && ClipboardNeedsOneLine(PasteModeOf(*event))) {
      PasteOneLine(*this, PasteModeOf(*event));
      return event->accept();
    }
    if (!IsCommandKey(*event) && NeedsOneLine(event->text())) {
      QKeyEvent typed(event->type(), event->key(), event->modifiers(), OneLine(event->text()),
                      event->isAutoRepeat(), event->count());
      QLineEdit::keyPressEvent(&typed);
      return event->setAccepted(typed.isAccepted());
    }
    QLineEdit::keyPressEvent(event);
  }

  void inputMethodEvent(QInputMethodEvent* event) override {
    if (!NeedsOneLine(event->commitString())) return QLineEdit::inputMethodEvent(event);
    QInputMethodEvent committed(event->preeditString(), event->attributes());
    committed.setCommitString(OneLine(event->commitString()), event->replacementStart(),
                              event->replacementLength());
    QLineEdit::inputMethodEvent(&committed);
    event->setAccepted(committed.isAccepted());
  }

  void dropEvent(QDropEvent* event) override {
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasText() || !NeedsOneLine(data->text()))
      return QLineEdit::dropEvent(event);
    QMimeData line;
    line.setText(OneLine(data->text()));
    QDropEvent dropped(event->position(), event->possibleActions(), &line, event->buttons(),
                       event->modifiers());
    dropped.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&dropped);
    event->setDropAction(dropped.dropAction());
    event->setAccepted(dropped.isAccepted());
  }

  // The middle button pastes the X selection.
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::MiddleButton && !isReadOnly() &&
        QGuiApplication::clipboard()->supportsSelection() &&
        ClipboardNeedsOneLine(QClipboard::Selection)) {
      deselect();
      PasteOneLine(*this, QClipboard::Selection);
      return event->accept();
    }
    QLineEdit::mouseReleaseEvent(event);
  }

  void contextMenuEvent(QContextMenuEvent* event) override {
    QMenu* menu = createStandardContextMenu();
    if (!menu) return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (QAction* paste = PasteActionOf(*menu)) {
      QObject::disconnect(paste, &QAction::triggered, this, nullptr);
      QObject::connect(paste, &QAction::triggered, this, [this] { PasteAsOneLine(*this); });
    }
    menu->popup(event->globalPos());
  }

  // The Paste item of the standard context menu: its text is QLineEdit's
  // own "&Paste" (translated), followed by a tab and the shortcut.
  static QAction* PasteActionOf(const QMenu& menu) {
    const QString paste = QLineEdit::tr("&Paste");
    for (QAction* action : menu.actions())
      if (action->text().section(u'\t', 0, 0) == paste) return action;
    return nullptr;
  }

  // While the menu bar has the keyboard (Alt, or an Alt+letter of a menu),
  // the field keeps its selection: the Edit menu's commands act on it, as
  // they do when the menu is opened with the mouse.
  void focusOutEvent(QFocusEvent* event) override {
    if (event->reason() != Qt::MenuBarFocusReason) return QLineEdit::focusOutEvent(event);
    QFocusEvent kept(event->type(), Qt::PopupFocusReason);
    QLineEdit::focusOutEvent(&kept);
  }

 private:
  FieldValidator* validator_;
};

LineEdit* Line(QWidget* w) { return static_cast<LineEdit*>(w); }

}  // namespace

void PasteAsOneLine(QLineEdit& field) { PasteOneLine(field, QClipboard::Clipboard); }

EditField::EditField() : RectControl(new LineEdit) {
  LineEdit* line = Line(Widget());
  line->onKey = [this](const QKeyEvent& e) {
    return RaisesKeyDown(e) && RaiseKeyEvent("KeyDown", KeyTextOf(e));
  };
  QObject::connect(line, &QLineEdit::textChanged, [this] { RaiseEvent("TextChange"); });
}

String EditField::Text() const { return Line(Widget())->text().toStdString(); }

void EditField::SetText(const String& text) {
  Line(Widget())->setText(OneLine(QString::fromStdString(text)));
}

void EditField::SetMask(const String& mask) {
  mask_ = mask;
  bool digits =
      !mask.empty() && std::all_of(mask.begin(), mask.end(), [](char c) { return c == '#'; });
  Line(Widget())->SetDigits(digits ? static_cast<int>(mask.size()) : 0);
}

void EditField::SetAlignment(std::int32_t alignment) {
  alignment_ = alignment;
  Qt::Alignment h =
      alignment == 3 ? Qt::AlignRight : (alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft);
  Line(Widget())->setAlignment(h | Qt::AlignVCenter);
}

bool EditField::ReadOnly() const { return Line(Widget())->isReadOnly(); }

void EditField::SetReadOnly(bool on) { Line(Widget())->setReadOnly(on); }

void EditField::SetLimitText(std::int32_t limit) {
  limit_ = limit;
  Line(Widget())->setMaxLength(limit > 0 ? limit : std::numeric_limits<int>::max());
}

void EditField::_SetProperties(const Properties& p) {
  RectControl::_SetProperties(p);
  LineEdit* line = Line(Widget());
  line->setFrame(p.Border);
  line->setEchoMode(p.Password ? QLineEdit::Password : QLineEdit::Normal);
  line->setFocusPolicy(p.TabStop ? Qt::StrongFocus : Qt::ClickFocus);
  // The colours of an enabled field; a disabled one keeps the style's look.
  QPalette palette = line->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Text,
                     QColor(p.TextColor.red, p.TextColor.green, p.TextColor.blue));
    palette.setColor(group, QPalette::Base,
                     QColor(p.BackColor.red, p.BackColor.green, p.BackColor.blue));
  }
  line->setPalette(palette);
  SetReadOnly(p.ReadOnly);
  SetLimitText(p.LimitText);
  SetMask(p.Mask);
  SetAlignment(p.Alignment);
  SetText(p.Text);
}

}  // namespace fw
