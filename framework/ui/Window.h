// Windows.
//
// A window is made with std::make_shared of its class and built by
// Constructor(), which raises, in this order, "Layout", "CreateControls", the
// "Open" event of every control (in the order the controls were added) and
// the window's own "Open"; it then applies the tab order and, when the layout
// says Visible, shows the window. From Constructor() until it closes, the
// framework holds the window: _GetImplicitWindow(class name) finds it.
//
// Geometry: Left/Top are the window's position on the screen, Width/Height
// the size of its content area (below the menu bar), in pixels. A window that
// is not Resizeable cannot be resized or maximised by the user; the program
// can always set its size.
//
// Placement: a window with a modal frame (Frame 1), and any window shown
// with ShowModal, opens centred over the main window (see
// CentreOverMainWindow), also without a window manager; a window whose Left
// or Top the program has set keeps its position, and so does a window that
// has been shown before.
//
// Closing (the close button, Close(), or Quit): the window raises the "Close"
// event of each of its controls, in order, then its own "Close", hides and is
// released by the framework. The release waits until no handler runs, and
// for the windows closed once the application quits, until the run ends
// (RuntimeReset, RuntimeShutdown): a handler that was running on a window
// may go on using it after a close or a quit began inside it. Closing is
// never refused; closing a closed window does nothing. ShowModal() shows the
// window modally and returns once it has closed; it goes through a hook that
// tests replace so that nothing blocks. While the user is leaving (see
// Leaving), ShowModal closes the window instead and returns at once.
//
// Events of the window itself: "Layout", "CreateControls", "Open", "Close",
// "KeyDown" (a key pressed while the window is active and no control
// consumed it; neither a modifier alone nor a Ctrl combination, see
// KeyText.h), "MouseDown" (a mouse button pressed in the window's content
// area, at the window-relative position).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/core/Color.h"
#include "framework/core/Controls.h"
#include "framework/core/String.h"
#include "framework/ui/Control.h"
#include "framework/ui/EventSource.h"

class QMainWindow;
class QWidget;
class QEventLoop;

namespace fw {

class MenuBar;

// The window layout, as a window's Layout applies it.
struct WindowProperties {
  std::int32_t Width = 300, Height = 300;
  std::int32_t MinWidth = 64, MinHeight = 64;
  std::int32_t MaxWidth = 32000, MaxHeight = 32000;
  bool Resizeable = true;
  std::int32_t Frame = 0;  // 0 document window, 1 movable modal window
  bool CloseButton = true, MinimizeButton = true, MaximizeButton = true;
  String Title;
  bool Visible = true;
  std::int32_t Placement = 0;
  bool HasBackColor = false;
  Color BackColor = RGB(255, 255, 255);
  bool Composite = false, LiveResize = true, FullScreen = false, MenuBarVisible = true;
  std::int32_t MacProcID = 0;
};

class Window : public EventSource, public IWindow, public std::enable_shared_from_this<Window> {
 public:
  explicit Window(const String& className);
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  const String& ClassName() const { return className_; }

  // Builds the window (see above).
  void Constructor();

  // A new control of class C belonging to this window (its C++ constructor
  // runs; call its Constructor() to place it).
  template <class C>
  std::shared_ptr<C> __New() {
    auto control = std::make_shared<C>();
    control->SetOwner(this);
    return control;
  }
  void _AddControl(const String& name, std::shared_ptr<RectControl> control);
  void _AddControl(const String& name, std::shared_ptr<PaneChild> control);
  // The control of that name, or null.
  RectControl* Control(const String& name) const;
  PaneChild* PaneControl(const String& name) const;
  // The visible controls, counted and indexed in the order they were added.
  std::int32_t ControlCount() const;
  RectControl* Control(std::int32_t index) const;

  void _SetProperties(const WindowProperties& p);
  const WindowProperties& CurrentProperties() const { return props_; }

  String Title() const override;
  void SetTitle(const String& title) override;
  std::int32_t Left() const override;
  void SetLeft(std::int32_t left) override;
  std::int32_t Top() const override;
  void SetTop(std::int32_t top) override;
  std::int32_t Width() const override;
  void SetWidth(std::int32_t width) override;
  std::int32_t Height() const override;
  void SetHeight(std::int32_t height) override;
  bool Visible() const;
  void SetVisible(bool visible);
  std::int32_t Frame() const { return props_.Frame; }
  bool Resizeable() const { return props_.Resizeable; }

  std::shared_ptr<fw::MenuBar> MenuBar() const { return menuBar_; }
  void SetMenuBar(std::shared_ptr<fw::MenuBar> bar);

  void Close();
  void ShowModal();
  bool IsOpen() const { return open_; }
  bool IsClosed() const { return closed_; }

  // The Qt objects behind the window (framework use and tests).
  QMainWindow* Widget() const;
  QWidget* Content() const;

  // Called by the Qt window on the user's close request, key and mouse.
  void HandleClose();
  bool HandleKey(const String& key);
  bool HandleMouseDown(std::int32_t x, std::int32_t y);

 private:
  struct Entry {
    String name;
    std::shared_ptr<RectControl> rect;
    std::shared_ptr<PaneChild> pane;
  };
  void ApplySize();
  void ApplyFlags();
  void ApplyTabOrder();
  // Before a showing: centres a modal window at its first showing.
  void PlaceForShowing(bool modal);

  String className_;
  WindowProperties props_;
  std::vector<Entry> controls_;
  std::shared_ptr<fw::MenuBar> menuBar_;
  QMainWindow* widget_ = nullptr;
  QWidget* content_ = nullptr;
  QEventLoop* modalLoop_ = nullptr;
  bool open_ = false;
  bool closing_ = false;
  bool closed_ = false;
  bool placed_ = false;  // shown before, or moved by the program
};

// The open window of the given class name, or null.
std::shared_ptr<Window> _GetImplicitWindow(const String& className);
// Every open window, oldest first.
std::vector<std::shared_ptr<Window>> OpenWindows();

// Moves the top-level Qt window (before it shows) so that it is centred over
// the main window, the oldest open and visible window other than itself, or
// over the primary screen when there is none; it is kept within that
// screen's available area. Modal windows and the message box open so.
void CentreOverMainWindow(QWidget& window);

// How ShowModal waits. The default runs the event loop until the window has
// closed. A hook receives the window and returns when it likes; tests use it
// (through ScopedHook<SetShowModalHook>, ScopedHook.h) so that no modal call
// blocks. An empty hook restores the default; the setter returns the hook it
// replaced.
using ShowModalHook = std::function<void(Window& window)>;
ShowModalHook SetShowModalHook(ShowModalHook hook);

// True once the application quits, while a window raises its "Close"
// events, and while a close request taken inside a handler waits for the
// handler to return (TakeCloseRequests): the user is leaving, and a logout
// or shutdown may end the process soon, so nothing waits on the user then
// (no modal window, no message box).
bool Leaving();

// Close requests that come while a handler runs. The window takes no input
// then, but the window manager may ask it to close (its close button,
// Alt+F4, the session's logout). Qt would deliver that request only in the
// next event loop, and a modal box opened by the handler blocks it there.
// So before a modal box or a modal window opens from inside a handler, the
// framework calls TakeCloseRequests(): it lets Qt deliver its pending events,
// drops the user input among them (keys, clicks and shortcuts that came
// while the window took no input) and holds every close request. This
// covers only the events delivered for the box being opened: a handler that
// one of them runs (a timer's, a socket's) and whatever that handler opens,
// a box of its own included, take input and close requests as usual. The
// held requests are carried out, as if they came then, when the outermost
// handler has returned. Nothing is taken while the application quits. A
// modal window's own close request is not held: ShowModal carries it out at
// once.
void TakeCloseRequests();

// Called by DispatchSafely when the outermost handler has returned: carries
// out the held close requests and releases the closed windows at the next
// turn of the event loop (see Closing above).
void OutermostHandlerReturned();

// Framework bookkeeping: the registry of open windows.
void RegisterOpenWindow(std::shared_ptr<Window> window);
void UnregisterOpenWindow(Window* window);
// Drops every window without raising events (shutdown, test isolation).
void ReleaseAllWindows();

}  // namespace fw
