// The desktop behind the core's hooks: MsgBox shows a modal Qt message box
// (the application's name as its title, see ApplicationName, its text, an
// OK button; it opens centred over the main window, see
// CentreOverMainWindow, and returns when the user closes it; opened from a
// handler, it takes the close requests first, see TakeCloseRequests) and the
// Clipboard reads and writes the desktop's clipboard. Installed by the
// framework's initialisation; removing them restores the core's defaults.
// A MsgBox hook that a test installed later stays in charge until its guard
// ends.
//
// While the user is leaving (see Leaving, Window.h) no box opens: the text
// goes to standard error instead. A box that is open when a quit begins
// closes as the quit ends the event loop.
#pragma once

#include "framework/core/String.h"

namespace fw {

// The desktop's modal message box, as MsgBox shows it.
void DesktopMsgBox(const String& text);

void InstallDesktopBackends();
void RemoveDesktopBackends();

}  // namespace fw
