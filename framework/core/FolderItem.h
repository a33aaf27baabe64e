// A file or folder of the file system, named by its path.
//
// A FolderItem is a small copyable value: it holds an absolute path and
// nothing else (no open file, no cached state). It may name something that
// does not exist; every query asks the file system afresh.
//
// "Nil": operations that can find no item (Parent of "/", Child with a name
// that is not a single path component, Make with an empty path) return an
// empty std::optional<FolderItem>. Operations that open a file return a null
// std::unique_ptr when the file cannot be opened or created.
//
// Callers may rely on:
// - AbsolutePath() is absolute, has no trailing "/" (except the root "/") and
//   is never rewritten otherwise (no symlink resolution, no "." / ".."
//   folding of what the caller gave).
// - ShellPath() is the path quoted so that /bin/sh takes it as exactly one
//   word holding exactly these bytes, whatever they are (blanks, quotes, "$",
//   backquotes, newlines, non-UTF-8 bytes).
// - CreateTextFile() never touches the file itself before the returned
//   stream's Close(): the new content goes to a temporary file beside it and
//   replaces the file in one rename (see TextOutputStream.h). It returns null
//   when the file cannot be created (missing or unwritable folder, the item
//   is a folder).
// - CopyFileTo(dest) is atomic in the same way: dest either keeps what it
//   held or holds the whole copy; an existing dest file is replaced.
// - Nothing here throws for a file-system failure; results say what happened.
#pragma once

#include <memory>
#include <optional>

#include "framework/core/String.h"

namespace fw {

class TextInputStream;
class TextOutputStream;

class FolderItem {
 public:
  // An item for path; a relative path is taken from the current folder.
  // An empty path names the current folder.
  explicit FolderItem(const String& path);

  bool Exists() const;
  bool IsFolder() const;
  // Whether the item is a regular file, or a symbolic link to one, that may
  // be written: one of its write permission bits is set and the process may
  // write it. Root may write any file, so a file without write bits counts as
  // read-only for root too. False for a missing item, a link to nowhere, a
  // folder, a FIFO or a device.
  bool IsWriteableFile() const;

  // The item called name inside this folder, existing or not. Empty when
  // name is empty, ".", "..", or holds "/" or a NUL byte.
  std::optional<FolderItem> Child(const String& name) const;
  // The folder that holds this item; empty for "/".
  std::optional<FolderItem> Parent() const;
  // The last component of the path; empty for "/".
  String Name() const;

  // Removes the file (or the empty folder; a symbolic link itself, not what
  // it leads to). True when it is gone afterwards because of this call.
  bool Delete() const;
  // Copies this file's bytes (and permission bits) to dest, atomically;
  // only a regular file is copied (a FIFO or a device gives false at once).
  bool CopyFileTo(const FolderItem& dest) const;
  // Makes this item as a folder. True when it was made.
  bool CreateAsFolder() const;

  // A stream at the first line of the file, or null when it cannot be read.
  std::unique_ptr<TextInputStream> OpenAsTextFile() const;
  // A stream that replaces the file on Close, or null (see above).
  std::unique_ptr<TextOutputStream> CreateTextFile() const;

  String ShellPath() const;
  const String& AbsolutePath() const { return path_; }

  friend bool operator==(const FolderItem& a, const FolderItem& b) { return a.path_ == b.path_; }

 private:
  String path_;
};

// Quotes text so that /bin/sh reads it as one word with exactly these bytes.
String ShellQuote(const String& text);

}  // namespace fw
