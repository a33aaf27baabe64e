// Requests to end the run that come from outside the program: signals and a
// lost display. _RuntimeRun watches for them while its event loop runs.
//
// - SIGTERM, SIGHUP and SIGINT quit as the Quit command does: Quit(0) runs at
//   the next turn of an event loop, so the windows' and the application's
//   "Close" events run and the run's exit code is 0. A modal box that is open
//   then is closed by the quit. The signal handler itself only writes a byte
//   to a pipe. A signal that comes while a handler keeps the event loop from
//   running (the connect wait) takes effect when that handler lets it run
//   again. Outside the watch the signals keep their previous dispositions.
// - A lost display: when its connection to the X server breaks, Qt's X11
//   platform calls exit(1) from inside the event loop. An exit handler then
//   quits the run as Quit does, without the display: DisplayLost() turns
//   true, message boxes and the clipboard fall back to the core's defaults,
//   windows are closed without being hidden and the event loop is not asked
//   to end. The process then ends at once with the status given to exit(),
//   before any static destructor could tear down Qt objects. Any other exit()
//   made while the event loop runs is treated the same way.
#pragma once

namespace fw {

void WatchExternalQuit();
void StopWatchingExternalQuit();

// True once the run has ended because the display went away.
bool DisplayLost();

}  // namespace fw
