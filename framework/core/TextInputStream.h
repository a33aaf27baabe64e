// Reading a text file line by line.
//
// ReadLine() returns the next line without its line end. A line ends at LF,
// at CR LF or at a lone CR; the bytes are returned as they are (no encoding
// is applied; files are taken to be UTF-8). The last line needs no line end.
// Eof() is true once every byte has been read: a file "a\n" gives one line,
// "a\nb" two, "" none, "\n" one empty line. ReadLine() at the end returns an
// empty text. LineEnd() tells which line end ended the line last read: "\n",
// "\r\n", "\r", or "" when the line ended with the file (and before any read).
//
// Reading is buffered and strictly forward; no more than one buffer and the
// line being returned is held, whatever the file's size.
//
// A read failure of the operating system (an I/O error) throws IOError.
// Close() releases the file; the destructor closes a stream that is still
// open. After Close(), Eof() is true and ReadLine() returns empty texts.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "framework/core/String.h"

namespace fw {

// A failure of the operating system while reading or writing a file.
class IOError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TextInputStream {
 public:
  // Opens the file at path; null when it cannot be opened for reading
  // (missing, no permission) or is not a regular file (a folder, a FIFO, a
  // device). Opening never waits.
  static std::unique_ptr<TextInputStream> Open(const String& path);
  // A stream over text held in memory (for tests and in-memory sources).
  static std::unique_ptr<TextInputStream> FromText(String text);

  ~TextInputStream();
  TextInputStream(const TextInputStream&) = delete;
  TextInputStream& operator=(const TextInputStream&) = delete;

  String ReadLine();
  // The same, into line (reusing its storage).
  void ReadLine(String& line);
  std::string_view LineEnd() const { return lineEnd_; }
  bool Eof();
  void Close();

 private:
  TextInputStream(int fd, String initial);
  bool Fill();  // reads more bytes; false at the end of the file
  bool HaveByte();

  int fd_;
  String buffer_;
  size_t pos_ = 0;
  bool ended_ = false;
  std::string_view lineEnd_;
};

// Failure injection for tests: the hook is called instead of open(2) when a
// TextInputStream opens a file, with the path and the flags, and returns what
// open(2) would (a descriptor, or -1 with errno set). Tests install one with
// ScopedHook<SetFileOpenHook> (ScopedHook.h), for example to make a file that
// root could read unreadable.
using FileOpenHook = std::function<int(const char* path, int flags)>;
FileOpenHook SetFileOpenHook(FileOpenHook hook);  // empty: the real open(2)

}  // namespace fw
