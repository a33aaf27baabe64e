#include "framework/ui/Control.h"

#include <QFont>
#include <QPointer>
#include <QWidget>

#include "framework/ui/Window.h"

namespace fw {

struct RectControl::WidgetPointer {
  QPointer<QWidget> widget;
};

RectControl::RectControl(QWidget* widget) : widget_(new WidgetPointer{widget}) { widget->hide(); }

RectControl::~RectControl() { delete Widget(); }

QWidget* RectControl::Widget() const { return widget_->widget; }

void RectControl::Constructor() {
  QWidget* widget = Widget();
  if (!widget || !OwnerWindow()) return;
  widget->setParent(OwnerWindow()->Content());
  ApplyGeometry();
  widget->setEnabled(enabled_);
  widget->setVisible(visible_);
}

void RectControl::ReleaseFromWindow() {
  RemoveAllEventHandlers();
  SetOwner(nullptr);
  parent_ = nullptr;
  if (QWidget* widget = Widget()) {
    widget->hide();
    widget->setParent(nullptr);
  }
}

void RectControl::ApplyGeometry() {
  if (QWidget* widget = Widget()) widget->setGeometry(left_, top_, width_, height_);
}

void RectControl::SetLeft(std::int32_t v) {
  left_ = v;
  ApplyGeometry();
}
void RectControl::SetTop(std::int32_t v) {
  top_ = v;
  ApplyGeometry();
}
void RectControl::SetWidth(std::int32_t v) {
  width_ = v < 0 ? 0 : v;
  ApplyGeometry();
}
void RectControl::SetHeight(std::int32_t v) {
  height_ = v < 0 ? 0 : v;
  ApplyGeometry();
}

void RectControl::SetVisible(bool visible) {
  visible_ = visible;
  QWidget* widget = Widget();
  if (widget && widget->parentWidget()) widget->setVisible(visible);
}

void RectControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (QWidget* widget = Widget()) widget->setEnabled(enabled);
}

void RectControl::SetFocus() {
  if (QWidget* widget = Widget()) widget->setFocus(Qt::OtherFocusReason);
}

void RectControl::ApplyFont(const RectProperties& p) {
  QWidget* widget = Widget();
  if (!widget) return;
  QFont font = widget->font();
  if (p.TextFont != "System" && !p.TextFont.empty())
    font.setFamily(QString::fromStdString(p.TextFont));
  if (p.TextSize > 0) font.setPointSizeF(p.TextSize);
  font.setBold(p.Bold);
  font.setItalic(p.Italic);
  font.setUnderline(p.Underline);
  widget->setFont(font);
}

void RectControl::_SetProperties(const RectProperties& p) {
  left_ = p.Left;
  top_ = p.Top;
  width_ = p.Width < 0 ? 0 : p.Width;
  height_ = p.Height < 0 ? 0 : p.Height;
  ApplyGeometry();
  SetEnabled(p.Enabled);
  SetVisible(p.Visible);
  tabIndex_ = p.TabIndex;
  parent_ = p.InitialParent;
  SetIndex(p.Index);
  if (QWidget* widget = Widget()) widget->setToolTip(QString::fromStdString(p.HelpTag));
  ApplyFont(p);
}

}  // namespace fw
