// Asks an X window to close, as a window manager's close button does: a
// WM_DELETE_WINDOW message of the WM_PROTOCOLS kind. Kept apart from the
// test because the X headers define names that clash with GoogleTest's.
#pragma once

#include <string>

bool SendCloseRequest(const std::string& display, unsigned long window);
