// Running a command line.
//
// Shell::Execute(command) runs command with "/bin/sh -c" and returns when it
// has finished. The folder of the running executable is put in front of PATH
// for the command, so the project's own tools built beside the executable
// (such as plutil) are found before anything else on PATH. Standard input is
// /dev/null; standard output and standard error are collected together into
// Result().
//
// ErrorCode() is the command's exit status: 0 for success, the status it
// exited with, 128 + the signal number when a signal ended it, and -1 when
// the shell could not be started at all.
//
// Every Execute goes through one process-wide hook; tests install their own
// with ScopedHook<SetShellHook> (ScopedHook.h) to record commands or to fake
// failures.
#pragma once

#include <functional>

#include "framework/core/String.h"

namespace fw {

class Shell {
 public:
  void Execute(const String& command);
  const String& Result() const { return result_; }
  int ErrorCode() const { return error_code_; }

 private:
  String result_;
  int error_code_ = 0;
};

// Runs command, puts its output into output and returns its exit status.
using ShellHook = std::function<int(const String& command, String& output)>;

// Installs hook and returns the one it replaced; an empty hook restores
// the real /bin/sh.
ShellHook SetShellHook(ShellHook hook);

// The real runner behind the default hook (for hooks that pass commands on).
int RunShellCommand(const String& command, String& output);

// The folder of the running executable ("" when it cannot be found).
String ExecutableFolder();

}  // namespace fw
