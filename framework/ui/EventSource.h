// Named events of windows, controls and timers.
//
// An object that raises events keeps one handler per event name. A window
// binds a control's event to one of its own methods with
// _InstallInstanceEventHandler(name, handler); installing again replaces the
// handler. Three shapes of handler exist: plain ("Open", "Close", "Action",
// "TextChange", "Layout", ...), key ("KeyDown": the key as text, True when the
// key is consumed) and mouse ("MouseDown": the position, True when consumed).
//
// Raising an event without a handler does nothing (and a key or mouse event
// then reports "not consumed"). No exception leaves a raise: the framework
// catches it, shows its message in a message box and goes on, so an
// exception never crosses into the event loop.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "framework/core/String.h"

namespace fw {

using EventHandler = std::function<void()>;
using KeyEventHandler = std::function<bool(const String& key)>;
using MouseEventHandler = std::function<bool(std::int32_t x, std::int32_t y)>;

class EventSource {
 public:
  virtual ~EventSource() = default;

  void _InstallInstanceEventHandler(const String& event, EventHandler handler);
  void _InstallInstanceEventHandler(const String& event, KeyEventHandler handler);
  void _InstallInstanceEventHandler(const String& event, MouseEventHandler handler);
  bool HasEventHandler(const String& event) const;
  // Drops every handler (a control whose window is gone raises nothing).
  void RemoveAllEventHandlers();

  // Raise the named event (framework use, and tests that stand in for it).
  void RaiseEvent(const String& event);
  bool RaiseKeyEvent(const String& event, const String& key);
  bool RaiseMouseEvent(const String& event, std::int32_t x, std::int32_t y);

 private:
  std::map<String, EventHandler> plain_;
  std::map<String, KeyEventHandler> keys_;
  std::map<String, MouseEventHandler> mice_;
};

// Runs body; an exception it throws is shown with MsgBox and swallowed.
// Returns false when body threw. Every handler runs through it; when the
// outermost one returns, the close requests held meanwhile are carried out
// and the windows closed meanwhile are released (OutermostHandlerReturned,
// Window.h).
bool DispatchSafely(const std::function<void()>& body);

// True while a handler runs (inside DispatchSafely).
bool HandlerRunning();
// How many handlers are running, one inside the other (0 outside any).
int HandlerDepth();

}  // namespace fw
