#include "framework/ui/Canvas.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace fw {
namespace {

class CanvasWidget final : public QWidget {
 public:
  void SetPicture(const PicturePtr& picture) {
    pixmap_ = picture ? QPixmap::fromImage(picture->Image()) : QPixmap();
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (pixmap_.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, pixmap_);
  }

 private:
  QPixmap pixmap_;
};

}  // namespace

Canvas::Canvas() : RectControl(new CanvasWidget) { Widget()->setFocusPolicy(Qt::NoFocus); }

void Canvas::SetBackdrop(PicturePtr picture) {
  backdrop_ = std::move(picture);
  static_cast<CanvasWidget*>(Widget())->SetPicture(backdrop_);
}

void Canvas::_SetProperties(const Properties& p) {
  RectControl::_SetProperties(p);
  Widget()->setFocusPolicy(p.AcceptFocus ? Qt::StrongFocus : Qt::NoFocus);
}

}  // namespace fw
