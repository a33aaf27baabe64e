// The base of everything a window holds.
//
// Control: known by its name within its window and by its index in a control
// array (-2147483648, the layout's "no array" value, for a lone control).
//
// RectControl: a visible control at a window-relative position (also when it
// sits inside a group box: the box is only its container, for the tab order).
// Visible() and Enabled() report the control's own setting, whether or not
// its window is shown. SetFocus() gives it the keyboard focus within its
// window (the focus shows once the window is active). The tab order follows
// the tab indexes, counted within each container; a window applies it when
// it has built its controls.
//
// A RectControl is made with Window::__New<C>() (the new object belongs to
// that window) and placed into the window by Constructor(). Its properties
// can be set before or after; _SetProperties() applies a layout in one go.
// A control outliving its window stays usable but hidden and raises nothing.
//
// PaneChild: a window's non-visual control (a timer, a socket); the window
// tells it its owner with _SetWindow when the control is added.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>

#include "framework/core/Controls.h"
#include "framework/core/String.h"
#include "framework/ui/EventSource.h"

class QWidget;

namespace fw {

class Window;

inline constexpr std::int32_t kNoControlIndex = std::numeric_limits<std::int32_t>::min();

class Control : public EventSource, public virtual IControl {
 public:
  String Name() const override { return name_; }
  void SetName(const String& name) { name_ = name; }
  std::int32_t Index() const override { return index_; }
  void SetIndex(std::int32_t index) { index_ = index; }

  fw::Window* OwnerWindow() const { return owner_; }
  void SetOwner(fw::Window* owner) { owner_ = owner; }

 private:
  String name_;
  std::int32_t index_ = kNoControlIndex;
  fw::Window* owner_ = nullptr;
};

class PaneChild {
 public:
  virtual ~PaneChild() = default;
  virtual void _SetWindow(fw::Window* window) = 0;
  virtual fw::Window* Window() const = 0;
  virtual std::int32_t _Index() const = 0;
  virtual void _SetIndex(std::int32_t index) = 0;
};

class RectControl;

// The layout properties every visible control has.
struct RectProperties {
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  bool Enabled = true;
  bool Visible = true;
  std::int32_t TabIndex = 0;
  RectControl* InitialParent = nullptr;  // the containing group box, if any
  std::int32_t Index = kNoControlIndex;
  bool LockLeft = false, LockTop = false, LockRight = false, LockBottom = false;
  std::int32_t TabPanelIndex = 0;
  String HelpTag;
  bool AutoDeactivate = true;
  String TextFont = "System";
  double TextSize = 0;  // 0: the system's default size
  bool Bold = false, Italic = false, Underline = false;
};

class RectControl : public Control {
 public:
  ~RectControl() override;
  RectControl(const RectControl&) = delete;
  RectControl& operator=(const RectControl&) = delete;

  // Places the control into the window that made it.
  void Constructor();
  // The window is going away: the control keeps working on its own (hidden,
  // raising no events) for as long as someone still holds it.
  void ReleaseFromWindow();

  std::int32_t Left() const { return left_; }
  std::int32_t Top() const { return top_; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  void SetLeft(std::int32_t v);
  void SetTop(std::int32_t v);
  void SetWidth(std::int32_t v);
  void SetHeight(std::int32_t v);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  void SetFocus();

  std::int32_t TabIndex() const { return tabIndex_; }
  void SetTabIndex(std::int32_t index) { tabIndex_ = index; }
  // The containing group box, or null for a control placed on the window.
  RectControl* Parent() const { return parent_; }
  void SetParent(RectControl* parent) { parent_ = parent; }

  void _SetProperties(const RectProperties& p);

  // The Qt widget behind the control (for the framework and for tests).
  // Null once Qt has deleted the widget.
  QWidget* Widget() const;

 protected:
  // Takes ownership of widget.
  explicit RectControl(QWidget* widget);
  void ApplyFont(const RectProperties& p);

 private:
  void ApplyGeometry();

  struct WidgetPointer;  // a QPointer: it goes null when Qt deletes the widget
  std::unique_ptr<WidgetPointer> widget_;
  std::int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  std::int32_t tabIndex_ = 0;
  RectControl* parent_ = nullptr;
};

}  // namespace fw
