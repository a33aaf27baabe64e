#include "framework/ui/Application.h"

#include <QApplication>
#include <QFont>

#include "framework/ui/DesktopBackends.h"
#include "framework/ui/EventSource.h"
#include "framework/ui/ExternalQuit.h"
#include "framework/ui/SocketWatch.h"
#include "framework/ui/Window.h"

namespace fw {
namespace {

struct Runtime {
  // Owned, but deleted only by RuntimeShutdown: never by a static destructor
  // after exit(), which would tear Qt down under its own feet.
  QApplication* qt = nullptr;
  String name = "tobrik-client";
  std::shared_ptr<Application> app;
  bool openRaised = false;
  bool looping = false;  // inside _RuntimeRun's event loop
  bool quitting = false;
  bool quitDone = false;
  std::int32_t exitCode = 0;
};

Runtime& TheRuntime() {
  static Runtime runtime;
  return runtime;
}

}  // namespace

void Application::_AddMenuHandler(const String& name, std::function<bool()> handler) {
  menuHandlers_[name] = std::move(handler);
}

bool Application::HasMenuHandler(const String& name) const {
  auto it = menuHandlers_.find(name);
  return it != menuHandlers_.end() && it->second;
}

bool Application::HandleMenu(const String& name) {
  auto it = menuHandlers_.find(name);
  if (it == menuHandlers_.end() || !it->second) return false;
  std::function<bool()> handler = it->second;
  bool handled = false;
  DispatchSafely([&] { handled = handler(); });
  return handled;
}

void InitializeFramework() {
  Runtime& rt = TheRuntime();
  if (!QApplication::instance()) {
    static int argc = 1;
    static char name[] = "tobrik-client";
    static char* argv[] = {name, nullptr};
    rt.qt = new QApplication(argc, argv);
  }
  QApplication::setQuitOnLastWindowClosed(false);
  InstallDesktopBackends();
  InstallSocketWatch();
}

void _RunFrameworkInitialization(const std::function<std::int32_t()>& startup) {
  InitializeFramework();
  if (startup) DispatchSafely([&] { startup(); });
}

void _RuntimeInitExternalClasses() {}
void _InitPluginEntrypoints() {}

void _RuntimeRegisterAppObject(std::shared_ptr<Application> app) {
  TheRuntime().app = std::move(app);
}

std::shared_ptr<Application> _GetAppObject() { return TheRuntime().app; }

std::int32_t _RuntimeRun() {
  Runtime& rt = TheRuntime();
  if (!rt.openRaised) {
    rt.openRaised = true;
    if (auto app = rt.app) DispatchSafely([&] { app->Event_Open(); });
  }
  if (!rt.quitDone && QApplication::instance()) {
    WatchExternalQuit();
    rt.looping = true;
    QApplication::exec();
    rt.looping = false;
    StopWatchingExternalQuit();
  }
  return rt.exitCode;
}

void Quit(std::int32_t code) {
  Runtime& rt = TheRuntime();
  rt.exitCode = code;
  if (rt.quitting) return;
  rt.quitting = true;
  std::vector<std::shared_ptr<Window>> windows = OpenWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) (*it)->Close();
  if (auto app = rt.app) DispatchSafely([&] { app->Event_Close(); });
  rt.quitDone = true;
  // Outside the loop, _RuntimeRun sees quitDone and does not start it; telling
  // Qt to quit then would end every later event loop at once.
  if (rt.looping && !DisplayLost()) QCoreApplication::exit(rt.exitCode);
}

bool IsQuitting() { return TheRuntime().quitting; }

void SetApplicationName(const String& name) { TheRuntime().name = name; }
String ApplicationName() { return TheRuntime().name; }

namespace {

void ReleaseTheRun() {
  Runtime& rt = TheRuntime();
  ReleaseAllWindows();
  if (QCoreApplication::instance())
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  rt.app.reset();
  rt.openRaised = false;
  rt.quitting = false;
  rt.quitDone = false;
  rt.exitCode = 0;
}

}  // namespace

void RuntimeReset() {
  ReleaseTheRun();
  RestoreQuitSignals();
}

std::int32_t RuntimeShutdown() {
  Runtime& rt = TheRuntime();
  std::int32_t code = rt.exitCode;
  ReleaseTheRun();
  RemoveDesktopBackends();
  delete rt.qt;
  rt.qt = nullptr;
  return code;
}

}  // namespace fw
