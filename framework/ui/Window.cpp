#include "framework/ui/Window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QTimer>

#include "framework/ui/Application.h"
#include "framework/ui/ExternalQuit.h"
#include "framework/ui/KeyText.h"
#include "framework/ui/Menu.h"

namespace fw {
namespace {

bool HoldingCloseRequests();
void HoldCloseRequest(Window& window);

// The Qt window: forwards the close request, keys and mouse presses.
class WindowWidget final : public QMainWindow {
 public:
  explicit WindowWidget(Window* owner) : owner_(owner) {}
  void Detach() { owner_ = nullptr; }

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (owner_ && HoldingCloseRequests()) {
      HoldCloseRequest(*owner_);
      return event->ignore();  // stays open until the request is carried out
    }
    if (owner_) owner_->HandleClose();
    event->accept();
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (owner_ && RaisesKeyDown(*event) && owner_->HandleKey(KeyTextOf(*event)))
      return event->accept();
    QMainWindow::keyPressEvent(event);
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (owner_ && centralWidget()) {
      QPoint p = centralWidget()->mapFrom(this, event->position().toPoint());
      if (owner_->HandleMouseDown(p.x(), p.y())) return event->accept();
    }
    QMainWindow::mousePressEvent(event);
  }

 private:
  Window* owner_;
};

constexpr int kNotTaking = -1;

struct Registry {
  std::vector<std::shared_ptr<Window>> open;
  // Released at a turn of the event loop when no handler runs; kept to the
  // end of the run once the application quits.
  std::vector<std::shared_ptr<Window>> closed;
  ShowModalHook modalHook;
  // The handler depth of the box being opened while its pending events are
  // delivered; kNotTaking otherwise.
  int takingAtDepth = kNotTaking;
  std::vector<std::weak_ptr<Window>> heldCloseRequests;
  int raisingClose = 0;  // windows raising their "Close" events
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// Only the events delivered for the box being opened are held or dropped:
// a handler that one of them runs (a timer's, a socket's) is one level
// deeper, and whatever it opens takes input as usual.
bool HoldingCloseRequests() {
  const int depth = TheRegistry().takingAtDepth;
  return depth != kNotTaking && HandlerDepth() == depth;
}

void HoldCloseRequest(Window& window) {
  TheRegistry().heldCloseRequests.push_back(window.weak_from_this());
}

// Removes the held close request of window; true when there was one.
bool DropHeldCloseRequest(const Window& window) {
  auto& held = TheRegistry().heldCloseRequests;
  const auto before = held.size();
  std::erase_if(held, [&](const std::weak_ptr<Window>& w) { return w.lock().get() == &window; });
  return held.size() != before;
}

// The longest TakeCloseRequests lets Qt deliver events; it stops as soon as
// none are left.
constexpr int kTakeCloseRequestsMs = 200;

// While close requests are taken, the input that came meanwhile is dropped,
// as the modal box would have dropped it: the window took no input while the
// handler ran. (Qt's X11 platform counts a window manager's close request as
// input too, so input cannot simply be left queued.)
class InputDropper final : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    return HoldingCloseRequests() && (event->isInputEvent() || event->type() == QEvent::Shortcut);
  }
};

// A closed window is released only where nothing of it can still be in use:
// outside every handler (the outermost handler's return asks again) and,
// once the application quits, not before the run ends (ReleaseAllWindows),
// since the quit may have begun inside a nested event loop.
void ReleaseClosedSoon() {
  QTimer::singleShot(0, [] {
    if (!HandlerRunning() && !IsQuitting()) TheRegistry().closed.clear();
  });
}

// The tab indexes from the outermost container down to the control.
std::vector<std::int32_t> TabPath(const RectControl* c) {
  std::vector<std::int32_t> path;
  for (int depth = 0; c && depth < 64; c = c->Parent(), ++depth) path.push_back(c->TabIndex());
  std::reverse(path.begin(), path.end());
  return path;
}

}  // namespace

Window::Window(const String& className) : className_(className) {
  auto* widget = new WindowWidget(this);
  widget_ = widget;
  content_ = new QWidget(widget_);
  widget_->setCentralWidget(content_);
  widget_->setAttribute(Qt::WA_DeleteOnClose, false);
  _SetProperties(props_);
}

Window::~Window() {
  for (const Entry& e : controls_) {
    if (e.rect) e.rect->ReleaseFromWindow();
    if (e.pane) {
      if (auto* source = dynamic_cast<EventSource*>(e.pane.get())) source->RemoveAllEventHandlers();
      e.pane->_SetWindow(nullptr);
    }
  }
  controls_.clear();
  static_cast<WindowWidget*>(widget_)->Detach();
  delete widget_;
}

void Window::Constructor() {
  if (open_ || closed_) return;
  open_ = true;
  if (auto self = weak_from_this().lock()) RegisterOpenWindow(self);
  RaiseEvent("Layout");
  RaiseEvent("CreateControls");
  for (const Entry& e : std::vector<Entry>(controls_))
    if (e.rect && !closed_) e.rect->RaiseEvent("Open");
  if (!closed_) RaiseEvent("Open");
  ApplyTabOrder();
  if (!closed_ && props_.Visible) {
    PlaceForShowing(false);
    widget_->show();
  }
}

void Window::_AddControl(const String& name, std::shared_ptr<RectControl> control) {
  if (!control) return;
  control->SetName(name);
  control->SetOwner(this);
  controls_.push_back(Entry{name, std::move(control), nullptr});
}

void Window::_AddControl(const String& name, std::shared_ptr<PaneChild> control) {
  if (!control) return;
  control->_SetWindow(this);
  controls_.push_back(Entry{name, nullptr, std::move(control)});
}

RectControl* Window::Control(const String& name) const {
  for (const Entry& e : controls_)
    if (e.rect && TextEquals(e.name, name)) return e.rect.get();
  return nullptr;
}

PaneChild* Window::PaneControl(const String& name) const {
  for (const Entry& e : controls_)
    if (e.pane && TextEquals(e.name, name)) return e.pane.get();
  return nullptr;
}

std::int32_t Window::ControlCount() const {
  return static_cast<std::int32_t>(std::count_if(controls_.begin(), controls_.end(),
                                                 [](const Entry& e) { return e.rect != nullptr; }));
}

RectControl* Window::Control(std::int32_t index) const {
  std::int32_t i = 0;
  for (const Entry& e : controls_) {
    if (!e.rect) continue;
    if (i++ == index) return e.rect.get();
  }
  return nullptr;
}

void Window::_SetProperties(const WindowProperties& p) {
  props_ = p;
  widget_->setWindowTitle(QString::fromStdString(p.Title));
  QPalette palette = content_->palette();
  if (p.HasBackColor) {
    palette.setColor(QPalette::Window,
                     QColor(p.BackColor.red, p.BackColor.green, p.BackColor.blue));
    content_->setAutoFillBackground(true);
  }
  content_->setPalette(palette);
  ApplyFlags();
  ApplySize();
}

void Window::ApplyFlags() {
  bool shown = widget_->isVisible();
  Qt::WindowFlags flags = (props_.Frame == 1 ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
  if (props_.CloseButton) flags |= Qt::WindowCloseButtonHint;
  if (props_.MinimizeButton) flags |= Qt::WindowMinimizeButtonHint;
  if (props_.MaximizeButton && props_.Resizeable) flags |= Qt::WindowMaximizeButtonHint;
  widget_->setWindowFlags(flags);
  if (shown) widget_->show();
}

void Window::ApplySize() {
  if (props_.Resizeable) {
    content_->setMinimumSize(props_.MinWidth, props_.MinHeight);
    content_->setMaximumSize(props_.MaxWidth, props_.MaxHeight);
    widget_->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    widget_->setMinimumSize(0, 0);
    widget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    content_->resize(props_.Width, props_.Height);
    widget_->adjustSize();
  } else {
    content_->setFixedSize(props_.Width, props_.Height);
    widget_->layout()->setSizeConstraint(QLayout::SetFixedSize);
    widget_->layout()->activate();
  }
}

void Window::ApplyTabOrder() {
  std::vector<RectControl*> order;
  for (const Entry& e : controls_)
    if (e.rect) order.push_back(e.rect.get());
  std::stable_sort(order.begin(), order.end(), [](const RectControl* a, const RectControl* b) {
    return TabPath(a) < TabPath(b);
  });
  QWidget* previous = nullptr;
  for (RectControl* c : order) {
    QWidget* w = c->Widget();
    if (!w || !(w->focusPolicy() & Qt::TabFocus)) continue;
    if (previous) QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

String Window::Title() const { return widget_->windowTitle().toStdString(); }

void Window::SetTitle(const String& title) {
  props_.Title = title;
  widget_->setWindowTitle(QString::fromStdString(title));
}

std::int32_t Window::Left() const { return widget_->x(); }
void Window::SetLeft(std::int32_t left) {
  placed_ = true;
  widget_->move(left, widget_->y());
}
std::int32_t Window::Top() const { return widget_->y(); }
void Window::SetTop(std::int32_t top) {
  placed_ = true;
  widget_->move(widget_->x(), top);
}

std::int32_t Window::Width() const {
  return props_.Resizeable && widget_->isVisible() ? content_->width() : props_.Width;
}
std::int32_t Window::Height() const {
  return props_.Resizeable && widget_->isVisible() ? content_->height() : props_.Height;
}

void Window::SetWidth(std::int32_t width) {
  props_.Width = std::clamp(width, props_.MinWidth, props_.MaxWidth);
  ApplySize();
}

void Window::SetHeight(std::int32_t height) {
  props_.Height = std::clamp(height, props_.MinHeight, props_.MaxHeight);
  ApplySize();
}

bool Window::Visible() const { return widget_->isVisible(); }

void Window::SetVisible(bool visible) {
  props_.Visible = visible;
  if (!open_) return;
  if (visible) PlaceForShowing(false);
  widget_->setVisible(visible);
}

void Window::PlaceForShowing(bool modal) {
  if (!placed_ && (modal || props_.Frame == 1)) CentreOverMainWindow(*widget_);
  placed_ = true;
}

void Window::SetMenuBar(std::shared_ptr<fw::MenuBar> bar) {
  menuBar_ = std::move(bar);
  InstallQtMenuBar(*widget_, menuBar_);
  ApplySize();
}

void Window::Close() { HandleClose(); }

void Window::HandleClose() {
  if (closing_ || closed_) return;
  closing_ = true;
  auto self = weak_from_this().lock();  // stays alive until the close is done
  ++TheRegistry().raisingClose;
  for (const Entry& e : std::vector<Entry>(controls_))
    if (e.rect) e.rect->RaiseEvent("Close");
  RaiseEvent("Close");
  --TheRegistry().raisingClose;
  closed_ = true;
  open_ = false;
  if (!DisplayLost()) widget_->hide();
  if (modalLoop_) modalLoop_->quit();
  UnregisterOpenWindow(this);
}

bool Window::HandleKey(const String& key) { return RaiseKeyEvent("KeyDown", key); }

bool Window::HandleMouseDown(std::int32_t x, std::int32_t y) {
  return RaiseMouseEvent("MouseDown", x, y);
}

void Window::ShowModal() {
  if (!open_) return;
  auto self = weak_from_this().lock();
  if (Leaving()) return HandleClose();
  PlaceForShowing(true);
  ShowModalHook hook = TheRegistry().modalHook;
  if (hook) {
    hook(*this);
    return;
  }
  if (widget_->isVisible()) widget_->hide();
  widget_->setWindowModality(Qt::ApplicationModal);
  widget_->show();
  widget_->raise();
  widget_->activateWindow();
  if (HandlerRunning()) TakeCloseRequests();  // a quit begun here closes this window
  // Its own close request is not held: the handler waits for this window.
  // Another one means the user is leaving: nothing waits on them.
  if (DropHeldCloseRequest(*this) || Leaving()) HandleClose();
  QEventLoop loop;
  modalLoop_ = &loop;
  if (open_) loop.exec();
  modalLoop_ = nullptr;
}

QMainWindow* Window::Widget() const { return widget_; }
QWidget* Window::Content() const { return content_; }

std::shared_ptr<Window> _GetImplicitWindow(const String& className) {
  for (const auto& w : TheRegistry().open)
    if (w->IsOpen() && TextEquals(w->ClassName(), className)) return w;
  return nullptr;
}

std::vector<std::shared_ptr<Window>> OpenWindows() { return TheRegistry().open; }

void CentreOverMainWindow(QWidget& window) {
  const QWidget* main = nullptr;
  for (const auto& w : TheRegistry().open) {
    if (w->Widget() != &window && w->Widget()->isVisible()) {
      main = w->Widget();
      break;
    }
  }
  QScreen* screen = main ? main->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect over = main ? main->frameGeometry() : area;
  const QSize size = window.frameGeometry().size();
  const int x = over.x() + (over.width() - size.width()) / 2;
  const int y = over.y() + (over.height() - size.height()) / 2;
  window.move(std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width())),
              std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
}

ShowModalHook SetShowModalHook(ShowModalHook hook) {
  ShowModalHook previous = std::move(TheRegistry().modalHook);
  TheRegistry().modalHook = std::move(hook);
  return previous;
}

bool Leaving() {
  const Registry& r = TheRegistry();
  return IsQuitting() || r.raisingClose > 0 || !r.heldCloseRequests.empty();
}

void TakeCloseRequests() {
  Registry& r = TheRegistry();
  if (r.takingAtDepth != kNotTaking || IsQuitting() || !QCoreApplication::instance()) return;
  r.takingAtDepth = HandlerDepth();
  InputDropper dropper;
  QCoreApplication::instance()->installEventFilter(&dropper);
  QCoreApplication::processEvents(QEventLoop::AllEvents, kTakeCloseRequestsMs);
  QCoreApplication::instance()->removeEventFilter(&dropper);
  r.takingAtDepth = kNotTaking;
}

namespace {

void CarryOutHeldCloseRequests() {
  std::vector<std::weak_ptr<Window>> held = std::move(TheRegistry().heldCloseRequests);
  TheRegistry().heldCloseRequests.clear();
  for (const std::weak_ptr<Window>& request : held)
    if (std::shared_ptr<Window> window = request.lock()) window->Close();
}

}  // namespace

void OutermostHandlerReturned() {
  CarryOutHeldCloseRequests();
  if (!TheRegistry().closed.empty()) ReleaseClosedSoon();
}

void RegisterOpenWindow(std::shared_ptr<Window> window) {
  TheRegistry().open.push_back(std::move(window));
}

void UnregisterOpenWindow(Window* window) {
  auto& r = TheRegistry();
  auto it =
      std::find_if(r.open.begin(), r.open.end(), [&](const auto& w) { return w.get() == window; });
  if (it == r.open.end()) return;
  r.closed.push_back(std::move(*it));
  r.open.erase(it);
  ReleaseClosedSoon();
}

void ReleaseAllWindows() {
  auto& r = TheRegistry();
  auto open = std::move(r.open);
  auto closed = std::move(r.closed);
  r.open.clear();
  r.closed.clear();
  r.heldCloseRequests.clear();
}

}  // namespace fw
