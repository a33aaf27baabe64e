// Writing a text file line by line, atomically.
//
// A TextOutputStream (made by FolderItem::CreateTextFile) writes into a
// temporary file in the target's own folder. Close() flushes it, syncs it to
// disk and renames it over the target in one step, so the target holds either
// its old content or the whole new content, never a part.
//
// What a caller may rely on:
// - The file at the path is the one replaced. When the path is a symbolic
//   link, the file it leads to is replaced and the link stays.
// - A replaced file keeps its permission bits, and its owner and group where
//   the process may set them: root keeps both; another process keeps the
//   group when it belongs to it, and otherwise the new file is its own, as
//   any file it makes. A new file gets 0666 less the umask.
// - Any name the file system allows (up to NAME_MAX, 255 bytes) is written:
//   the temporary file's name ("." + the target's name, cut short between
//   characters where it must be, + a suffix unique to the process and call,
//   ending in ".tmp") stays within the folder's limit.
// - A failure leaves the old file whole and removes the temporary file: a
//   failed or short write (a full disk), the process's file-size limit
//   (RLIMIT_FSIZE: the stream stops before it, so the limit neither raises
//   SIGXFSZ nor depends on that signal being ignored), a failed sync, close
//   or rename. Only a process that dies before Close() (a crash, a kill)
//   leaves its temporary file behind, and the old file whole.
//
// WriteLine(text) writes text and one LF. Write failures do not throw: the
// stream remembers the first failure, writes nothing more, and Close() then
// discards the temporary file and returns false. Close() returns true only
// when the target now holds everything written. Closing twice is harmless
// (the second call returns the first result).
//
// The destructor closes a stream that is still open, except while an
// exception is unwinding the stack: then the new content is discarded.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include "framework/core/String.h"

namespace fw {

class TextOutputStream {
 public:
  // Creates the temporary file for the file at path; null when it cannot be
  // made.
  static std::unique_ptr<TextOutputStream> Create(const String& path);

  ~TextOutputStream();
  TextOutputStream(const TextOutputStream&) = delete;
  TextOutputStream& operator=(const TextOutputStream&) = delete;

  void WriteLine(std::string_view text);
  void Write(std::string_view text);
  bool Close();
  // Drops everything written; the target keeps its old content. The stream
  // is closed afterwards (Close() returns false).
  void Discard();
  bool Failed() const { return failed_; }

 private:
  TextOutputStream(int fd, String target, String temp);
  void Flush();
  bool Commit();

  int fd_;
  String target_;
  String temp_;
  String buffer_;
  size_t written_ = 0;  // bytes in the temporary file
  bool failed_ = false;
  bool closed_ = false;
  bool result_ = false;
  int exceptions_at_start_;
};

// Failure injection for tests: the hook is called instead of write(2) for
// every block a TextOutputStream writes, and returns what write(2) would.
// Tests install one with ScopedHook<SetFileWriteHook> (ScopedHook.h).
using FileWriteHook = std::function<long(int fd, const char* data, std::size_t size)>;
FileWriteHook SetFileWriteHook(FileWriteHook hook);  // empty: the real write(2)

}  // namespace fw
