#include "framework/ui/BevelButton.h"

#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyleOptionButton>

namespace fw {
namespace {

class PictureButton final : public QPushButton {
 public:
  void SetPicture(const PicturePtr& picture) {
    pixmap_ = picture ? QPixmap::fromImage(picture->Image()) : QPixmap();
    update();
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (pixmap_.isNull()) return QPushButton::paintEvent(event);
    QPainter painter(this);
    QSize size = pixmap_.size().scaled(this->size(), Qt::KeepAspectRatio);
    QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    if (!isEnabled()) painter.setOpacity(0.5);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, pixmap_);
    if (isDown()) painter.fillRect(target, QColor(0, 0, 0, 60));
    if (hasFocus()) {
      QStyleOptionFocusRect option;
      option.initFrom(this);
      option.rect = target;
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
  }

 private:
  QPixmap pixmap_;
};

PictureButton* Button(QWidget* w) { return static_cast<PictureButton*>(w); }

}  // namespace

BevelButton::BevelButton() : RectControl(new PictureButton) {
  Button(Widget())->setFocusPolicy(Qt::NoFocus);
  QObject::connect(Button(Widget()), &QPushButton::clicked, [this] { RaiseEvent("Action"); });
}

void BevelButton::SetIcon(PicturePtr picture) {
  icon_ = std::move(picture);
  Button(Widget())->SetPicture(icon_);
}

String BevelButton::Caption() const { return Button(Widget())->text().toStdString(); }

void BevelButton::SetCaption(const String& caption) {
  Button(Widget())->setText(QString::fromStdString(caption));
}

bool BevelButton::AcceptFocus() const { return Button(Widget())->focusPolicy() != Qt::NoFocus; }

void BevelButton::SetAcceptFocus(bool on) {
  Button(Widget())->setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

void BevelButton::_SetProperties(const Properties& p) {
  RectControl::_SetProperties(p);
  SetCaption(p.Caption);
  SetAcceptFocus(p.AcceptFocus && p.TabStop);
}

}  // namespace fw
