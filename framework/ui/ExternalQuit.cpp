#include "framework/ui/ExternalQuit.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstdio>

#include "framework/ui/Application.h"
#include "framework/ui/DesktopBackends.h"
#include "framework/ui/EventSource.h"

namespace fw {
namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kSignalCount = sizeof kQuitSignals / sizeof kQuitSignals[0];

struct Watch {
  bool watching = false;
  bool displayLost = false;
  xcb_connection_t* display = nullptr;  // null off X11
  QtMessageHandler previousMessageHandler = nullptr;
  // The self-pipe: the signal handler writes, the event loop reads. Open,
  // with the handlers installed, from the first watch until
  // RestoreQuitSignals.
  int pipe[2] = {-1, -1};
  QSocketNotifier* notifier = nullptr;  // while watching
  struct sigaction previous[kSignalCount] = {};
};

// Never destroyed: the signal handler and the exit handler may run while
// static destructors do.
Watch& TheWatch() {
  static Watch* watch = new Watch;
  return *watch;
}

// Async-signal-safe: one write(2), errno kept.
void OnQuitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(TheWatch().pipe[1], &byte, 1);
  errno = saved;
}

// A quit already under way, whichever road began it, goes on as it was.
void OnSignalByte() {
  char bytes[64];
  while (read(TheWatch().pipe[0], bytes, sizeof bytes) > 0) {
  }
  if (!IsQuitting()) DispatchSafely([] { Quit(0); });
}

// Ends the process at once, before the other exit handlers and the static
// destructors, with the status exit() was given.
void EndAtOnce(int status, void*) {
  std::fflush(nullptr);
  _exit(status);
}

// The quit, without the display. Qt is about to call exit(): the exit
// handler installed last runs first, so it goes in after the quit's work.
void EndWithoutDisplay(Watch& w) {
  w.displayLost = true;
  RemoveDesktopBackends();
  Quit(0);
  on_exit(EndAtOnce, nullptr);
}

// Qt warns that the X11 connection broke just before it calls exit(1), and
// everything still stands then; the broken connection itself is the sign.
void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  Watch& w = TheWatch();
  const bool onLoopThread = QCoreApplication::instance() &&
                            QThread::currentThread() == QCoreApplication::instance()->thread();
  if (w.watching && !w.displayLost && w.display && onLoopThread &&
      xcb_connection_has_error(w.display) != 0)
    EndWithoutDisplay(w);
  if (w.previousMessageHandler) w.previousMessageHandler(type, context, message);
}

xcb_connection_t* X11Connection() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

bool InstallSignalHandlers(Watch& w) {
  if (w.pipe[0] >= 0) return true;
  if (pipe2(w.pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    w.pipe[0] = w.pipe[1] = -1;
    return false;
  }
  struct sigaction action = {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < kSignalCount; ++i) sigaction(kQuitSignals[i], &action, &w.previous[i]);
  return true;
}

void ReadSignalBytes(Watch& w) {
  if (w.pipe[0] < 0 || w.notifier) return;
  w.notifier = new QSocketNotifier(w.pipe[0], QSocketNotifier::Read);
  QObject::connect(w.notifier, &QSocketNotifier::activated, [] { OnSignalByte(); });
}

void StopReadingSignalBytes(Watch& w) {
  delete w.notifier;
  w.notifier = nullptr;
}

}  // namespace

void WatchExternalQuit() {
  Watch& w = TheWatch();
  if (w.watching) return;
  if (InstallSignalHandlers(w)) ReadSignalBytes(w);
  w.display = X11Connection();
  w.previousMessageHandler = qInstallMessageHandler(OnQtMessage);
  w.watching = true;
}

void StopWatchingExternalQuit() {
  Watch& w = TheWatch();
  if (!w.watching) return;
  w.watching = false;
  qInstallMessageHandler(w.previousMessageHandler);
  w.previousMessageHandler = nullptr;
  w.display = nullptr;
  StopReadingSignalBytes(w);
}

void RestoreQuitSignals() {
  Watch& w = TheWatch();
  if (w.watching || w.pipe[0] < 0) return;
  for (int i = 0; i < kSignalCount; ++i) sigaction(kQuitSignals[i], &w.previous[i], nullptr);
  close(w.pipe[0]);
  close(w.pipe[1]);
  w.pipe[0] = w.pipe[1] = -1;
}

bool DisplayLost() { return TheWatch().displayLost; }

}  // namespace fw
