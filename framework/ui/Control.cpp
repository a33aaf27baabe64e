#include "framework/ui/Control.h"

#include <QFont>

#include "framework/ui/Window.h"

namespace fw {

RectControl::RectControl(QWidget* widget) : widget_(widget) { widget_->hide(); }

RectControl::~RectControl() { delete widget_.data(); }

void RectControl::Constructor() {
  if (!widget_ || !OwnerWindow()) return;
  widget_->setParent(OwnerWindow()->_Content());
  ApplyGeometry();
  widget_->setEnabled(enabled_);
  widget_->setVisible(visible_);
}

void RectControl::_ReleaseFromWindow() {
  _RemoveAllEventHandlers();
  _SetOwner(nullptr);
  parent_ = nullptr;
  if (widget_) {
    widget_->hide();
    widget_->setParent(nullptr);
  }
}

void RectControl::ApplyGeometry() {
  if (widget_) widget_->setGeometry(left_, top_, width_, height_);
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
  if (widget_ && widget_->parentWidget()) widget_->setVisible(visible);
}

void RectControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (widget_) widget_->setEnabled(enabled);
}

void RectControl::SetFocus() {
  if (widget_) widget_->setFocus(Qt::OtherFocusReason);
}

void RectControl::ApplyFont(const RectProperties& p) {
  if (!widget_) return;
  QFont font = widget_->font();
  if (p.TextFont != "System" && !p.TextFont.empty())
    font.setFamily(QString::fromStdString(p.TextFont));
  if (p.TextSize > 0) font.setPointSizeF(p.TextSize);
  font.setBold(p.Bold);
  font.setItalic(p.Italic);
  font.setUnderline(p.Underline);
  widget_->setFont(font);
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
  if (widget_) widget_->setToolTip(QString::fromStdString(p.HelpTag));
  ApplyFont(p);
}

}  // namespace fw
