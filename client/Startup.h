// The start of the program, from the process entry to the event loop.
//
// _Main() initialises the framework with _Startup and runs the event loop
// until the application quits. _Startup() makes the application object with
// its menu bar, binds the About item and builds the main window; it returns 0.
// It first sets SIGXFSZ to be ignored, so that a file-size limit fails the
// settings save (the file stays as it was) rather than ending the process.
#pragma once

#include <cstdint>

void _Main();
std::int32_t _Startup();
void _InitFileTypes();
void _NewAppInstance();
void _ApplicationAddMenuHandlers();
void _MakeDefaultView();
