#include "framework/ui/StaticText.h"

#include <QLabel>
#include <QPalette>

namespace fw {
namespace {

QLabel* Label(QWidget* w) { return static_cast<QLabel*>(w); }

}  // namespace

StaticText::StaticText() : RectControl(new QLabel) {
  Label(Widget())->setTextFormat(Qt::PlainText);
  Show();
}

void StaticText::Show() {
  QString text = QString::fromStdString(text_);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
  if (!multiline_) text.replace(QChar('\n'), QChar(' '));
  QLabel* label = Label(Widget());
  label->setText(text);
  label->setWordWrap(multiline_);
  Qt::Alignment h = align_ == 2 ? Qt::AlignRight : (align_ == 1 ? Qt::AlignHCenter : Qt::AlignLeft);
  label->setAlignment(h | (multiline_ ? Qt::AlignTop : Qt::AlignVCenter));
}

void StaticText::SetCaption(const String& caption) {
  text_ = caption;
  Show();
}

void StaticText::SetTextAlign(std::int32_t align) {
  align_ = align;
  Show();
}

void StaticText::SetMultiline(bool on) {
  multiline_ = on;
  Show();
}

void StaticText::SetTextColor(Color color) {
  QPalette palette = Widget()->palette();
  palette.setColor(QPalette::WindowText, QColor(color.red, color.green, color.blue));
  Widget()->setPalette(palette);
}

void StaticText::_SetProperties(const Properties& p) {
  RectControl::_SetProperties(p);
  text_ = p.Text;
  align_ = p.TextAlign;
  multiline_ = p.Multiline;
  SetTextColor(p.TextColor);
  Show();
}

}  // namespace fw
