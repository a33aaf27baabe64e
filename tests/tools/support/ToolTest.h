// Helpers for tests that run plutil as a process and look at the files it
// leaves behind (in a testsupport::TempFolder).
#pragma once

#include "support/PlistHandle.h"

#include <string>
#include <vector>

namespace tooltest {

struct RunOptions {
  // Run as an unprivileged user (when the test runs as root; else as is).
  bool unprivileged = false;
  // Largest file the process may write, in bytes; 0 for no limit.
  long fileSizeLimit = 0;
  // Largest address space the process may take, in bytes; 0 for no limit.
  long addressSpaceLimit = 0;
  // The executable to run (a name without a slash is looked up in PATH); the
  // built plutil when empty.
  std::string program;
};

struct RunResult {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string out;
  std::string err;
  long peakKb = 0;  // the process's peak resident memory
};

// The built plutil, in testsupport::BinDir().
std::string PlutilPath();

// Runs the program with the given arguments (argv[0] is added) and waits.
RunResult RunTool(const std::vector<std::string>& args, const RunOptions& options = {});

// libplist's own XML of a tree: a canonical text for comparing trees.
std::string CanonicalXml(plist_t tree);
// The binary form of a tree, written by libplist.
std::string ToBinary(plist_t tree);
plutil::PlistHandle FromBinary(const std::string& bytes);

}  // namespace tooltest
