// Helpers for tests that run plutil as a process and look at the files it
// leaves behind.
#pragma once

#include "plutil/PlistHandle.h"

#include <string>
#include <vector>

namespace tooltest {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string Child(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);

struct RunOptions {
  // Run as an unprivileged user (when the test runs as root; else as is).
  bool unprivileged = false;
  // Largest file the process may write, in bytes; 0 for no limit.
  long fileSizeLimit = 0;
  // The executable to run; the built plutil when empty.
  std::string program;
};

struct RunResult {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// The built plutil, found through TOBRIK_BIN_DIR.
std::string PlutilPath();

// Runs the program with the given arguments (argv[0] is added) and waits.
RunResult RunTool(const std::vector<std::string>& args, const RunOptions& options = {});

// libplist's own XML of a tree: a canonical text for comparing trees.
std::string CanonicalXml(plist_t tree);
// The binary form of a tree, written by libplist.
std::string ToBinary(plist_t tree);
plutil::PlistHandle FromBinary(const std::string& bytes);

}  // namespace tooltest
