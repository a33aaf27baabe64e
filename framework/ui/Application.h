// The application object and the run of the program.
//
// Start-up: _RunFrameworkInitialization(startup) sets up the desktop (one Qt
// application, the real message box and the desktop clipboard behind the
// core hooks, and the event loop's watch over open sockets, SocketWatch.h)
// and runs startup once. The startup routine registers the
// program's Application object with _RuntimeRegisterAppObject; from then on
// _GetAppObject() returns it and the framework raises its events on it.
// _RuntimeRun() raises the application's "Open" event once (Event_Open) and
// runs the event loop; it returns when the application has quit.
//
// Quit(code) closes every open window (each raises its controls' and its own
// "Close" events), raises the application's "Close" event (Event_Close) once
// and ends the event loop; _RuntimeRun then returns. A Quit made while
// quitting (for instance by a window's "Close" handler) only sets the code.
// The application never quits on its own when its last window closes. Once
// a quit has begun nothing waits on the user: no message box opens (its text
// goes to standard error, DesktopBackends.h) and no modal window shows
// (Leaving, Window.h). The windows it closed stay allocated until the run
// ends, so a handler during which the quit began may go on using its window.
//
// While the event loop runs, SIGTERM, SIGHUP and SIGINT quit the program as
// the Quit command does, and the run also ends that way when the display is
// lost (ExternalQuit.h); a signal once a quit has begun, or after the loop
// has ended, changes nothing.
//
// RuntimeShutdown() releases the framework's objects (windows, the
// application object, the Qt application) and returns the exit code that the
// last Quit gave (0 when none); the quit signals stay caught until the
// process ends. RuntimeReset() releases the windows and the application
// object and forgets the quit, but keeps the Qt application, and gives the
// quit signals their earlier dispositions back: tests use it between cases.
//
// No exception leaves Event_Open, Event_Close or a menu handler: the
// framework shows its message and goes on.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "framework/core/String.h"

namespace fw {

class MenuBar;

class Application {
 public:
  Application() = default;
  virtual ~Application() = default;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The application's events; the program's subclass overrides those it handles.
  virtual void Event_Open() {}
  virtual void Event_Close() {}

  std::shared_ptr<fw::MenuBar> MenuBar() const { return menuBar_; }
  void SetMenuBar(std::shared_ptr<fw::MenuBar> bar) { menuBar_ = std::move(bar); }

  // Choosing the menu item named name calls handler; True means handled.
  void _AddMenuHandler(const String& name, std::function<bool()> handler);
  bool HasMenuHandler(const String& name) const;
  // Runs the handler for name; False when there is none or it said False.
  bool HandleMenu(const String& name);

 private:
  std::shared_ptr<fw::MenuBar> menuBar_;
  std::map<String, std::function<bool()>> menuHandlers_;
};

void _RunFrameworkInitialization(const std::function<std::int32_t()>& startup);
// Sets up the desktop without a start-up routine (idempotent).
void InitializeFramework();
// Make the framework's external and plug-in classes usable. Ours are built
// into the framework, so nothing is left to load; both are safe to call at
// any time.
void _RuntimeInitExternalClasses();
void _InitPluginEntrypoints();

void _RuntimeRegisterAppObject(std::shared_ptr<Application> app);
std::shared_ptr<Application> _GetAppObject();

std::int32_t _RuntimeRun();
void Quit(std::int32_t code = 0);
bool IsQuitting();

// The application's name, the title of its message boxes. The program gives
// its own; until then it is the executable's name.
void SetApplicationName(const String& name);
String ApplicationName();

void RuntimeReset();
std::int32_t RuntimeShutdown();

}  // namespace fw
