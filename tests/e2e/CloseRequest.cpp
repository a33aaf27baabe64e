#include "tests/e2e/CloseRequest.h"

#include <X11/Xlib.h>

bool SendCloseRequest(const std::string& display, unsigned long window) {
  Display* d = XOpenDisplay(display.c_str());
  if (d == nullptr) return false;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(d, window, False, NoEventMask, &e);
  XFlush(d);
  XCloseDisplay(d);
  return sent != 0;
}
