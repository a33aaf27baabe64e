#include "framework/ui/EditField.h"

#include <algorithm>
#include <functional>

#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QRegularExpressionValidator>

#include "framework/ui/KeyText.h"

namespace fw {
namespace {

class LineEdit final : public QLineEdit {
 public:
  std::function<bool(const QKeyEvent&)> onKey;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (onKey && onKey(*event)) return event->accept();
    QLineEdit::keyPressEvent(event);
  }
};

LineEdit* Line(QWidget* w) { return static_cast<LineEdit*>(w); }

}  // namespace

EditField::EditField() : RectControl(new LineEdit) {
  LineEdit* line = Line(Widget());
  line->onKey = [this](const QKeyEvent& e) {
    return RaisesKeyDown(e) && RaiseKeyEvent("KeyDown", KeyTextOf(e));
  };
  QObject::connect(line, &QLineEdit::textChanged, [this] { RaiseEvent("TextChange"); });
}

String EditField::Text() const { return Line(Widget())->text().toStdString(); }

void EditField::SetText(const String& text) {
  Line(Widget())->setText(QString::fromStdString(text));
}

void EditField::SetMask(const String& mask) {
  mask_ = mask;
  LineEdit* line = Line(Widget());
  bool digits =
      !mask.empty() && std::all_of(mask.begin(), mask.end(), [](char c) { return c == '#'; });
  if (digits) {
    auto pattern = QStringLiteral("[0-9]{0,%1}").arg(mask.size());
    line->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), line));
  } else {
    line->setValidator(nullptr);
  }
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
  Line(Widget())->setMaxLength(limit > 0 ? limit : 32767);
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
