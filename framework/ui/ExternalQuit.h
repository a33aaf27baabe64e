// Requests to end the run that come from outside the program: signals and a
// lost display. _RuntimeRun watches for them while its event loop runs.
//
// - SIGTERM, SIGHUP and SIGINT quit as the Quit command does: Quit(0) runs at
//   the next turn of an event loop, so the windows' and the application's
//   "Close" events run and the run's exit code is 0. A modal box that is open
//   then is closed by the quit. The signal handler itself only writes a byte
//   to a pipe. A signal that comes while a handler keeps the event loop from
//   running (the connect wait) takes effect when that handler lets it run
//   again. A signal that comes once a quit has begun, whatever began it,
//   changes nothing: the quit goes on and the run keeps its exit code.
// - The handlers are installed when the watch first starts and stay
//   installed after the event loop has ended, doing nothing, so that a
//   signal between the end of the loop and the process's exit cannot end the
//   process in its place. RestoreQuitSignals() puts the earlier dispositions
//   back (RuntimeReset calls it; RuntimeShutdown does not). Before the first
//   watch the signals keep their earlier dispositions.
// - A lost display: when its connection to the X server breaks, Qt's X11
//   platform warns and then calls exit(1) from inside the event loop. On that
//   warning the run quits as Quit does, without the display: DisplayLost()
//   turns true, message boxes and the clipboard fall back to the core's
//   defaults, windows are closed without being hidden and the event loop is
//   not asked to end. An exit handler registered then ends the process at
//   once with the status given to exit(), before any static destructor could
//   tear down Qt objects. Nothing else is intercepted: an exit() made for
//   any other reason ends the process as exit() always does.
#pragma once

namespace fw {

void WatchExternalQuit();
void StopWatchingExternalQuit();
// Outside a watch: the quit signals get their dispositions from before the
// first watch back.
void RestoreQuitSignals();

// True once the run has ended because the display went away.
bool DisplayLost();

}  // namespace fw
