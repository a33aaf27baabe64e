// The signals that end the client's run as its Quit command does, named for
// SCOPED_TRACE: a session's logout sends them.
#pragma once

#include <signal.h>

namespace testsupport {

struct QuitSignal {
  const char* name;
  int signal;
};

inline constexpr QuitSignal kQuitSignals[] = {
    {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}, {"SIGINT", SIGINT}};

}  // namespace testsupport
