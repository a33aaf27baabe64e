// What stands at a path, for tests that check a save left it as it was: its
// kind, and for a regular file its permission bits and bytes, for a folder
// its names, for a symbolic link where it leads and what stands there. And
// file-open hooks that make one file unreadable, also for root.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>

#include "framework/core/TextInputStream.h"
#include "tests/support/TempFolder.h"

namespace testsupport {

inline std::string PathState(const std::string& path, int linksLeft = 8) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return "missing";
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  if (S_ISREG(st.st_mode)) return std::string("file ") + mode + ": " + ReadFile(path);
  if (S_ISDIR(st.st_mode)) return std::string("folder ") + mode + ": " + ListFolder(path);
  if (S_ISFIFO(st.st_mode)) return std::string("fifo ") + mode;
  if (!S_ISLNK(st.st_mode)) return "other";
  std::string target(4096, '\0');
  const ssize_t n = readlink(path.c_str(), target.data(), target.size());
  if (n < 0) return "unreadable link";
  target.resize(static_cast<size_t>(n));
  std::string resolved = target;
  if (target[0] != '/') resolved = path.substr(0, path.rfind('/') + 1) + target;
  const std::string there = linksLeft > 0 ? PathState(resolved, linksLeft - 1) : "too many links";
  return "link to " + target + " (" + there + ")";
}

// An open hook under which the file at path cannot be opened (EACCES); every
// other file opens as usual. Install it with
// fw::ScopedHook<fw::SetFileOpenHook>.
inline fw::FileOpenHook DenyOpening(std::string path) {
  return [path = std::move(path)](const char* p, int flags) -> int {
    if (path == p) {
      errno = EACCES;
      return -1;
    }
    return open(p, flags);
  };
}

// An open hook under which the file at path opens, but every read of it
// fails (it is opened for writing only, so read(2) gives EBADF); every other
// file opens as usual.
inline fw::FileOpenHook FailReading(std::string path) {
  return [path = std::move(path)](const char* p, int flags) -> int {
    if (path == p) return open(p, (flags & ~O_ACCMODE) | O_WRONLY);
    return open(p, flags);
  };
}

}  // namespace testsupport
