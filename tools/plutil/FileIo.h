// Whole-file reading and atomic replacement of a file's contents.
#pragma once

#include <string>

namespace plutil {

struct FileResult {
  bool ok = false;
  std::string text;   // file contents (ReadWholeFile) when ok
  std::string error;  // one-line reason when not ok
};

// Reads the regular file at path (symbolic links followed); anything else
// (a folder, a FIFO, a device) is refused without blocking.
FileResult ReadWholeFile(const std::string& path);

// Replaces the contents of the existing file at path: writes a temporary file
// in the same folder with the file's permission bits (and owner, where
// allowed), flushes it to disk and
// renames it over the file. On failure the file is left as it was and the
// temporary file is removed. A symbolic link is kept; its target is replaced.
FileResult ReplaceFile(const std::string& path, const std::string& contents);

}  // namespace plutil
