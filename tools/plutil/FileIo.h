// Reading a file and replacing its contents in place, so that the file
// written is the file read.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace plutil {

// One file converted in place: read once through one descriptor, then
// replaced only while the path still names the file that was read.
class InPlaceFile {
 public:
  InPlaceFile() = default;
  InPlaceFile(const InPlaceFile&) = delete;
  InPlaceFile& operator=(const InPlaceFile&) = delete;
  ~InPlaceFile();

  // Resolves path once (symbolic links followed) and reads the regular file
  // it names into text. Anything else (a folder, a FIFO, a device) is
  // refused without blocking. Returns the one-line reason when refused.
  // May throw std::bad_alloc (nothing is then left open).
  std::optional<std::string> Read(const std::string& path, std::string& text);

  // Replaces the contents of the file read: writes a temporary file in its
  // folder (named "NAME.plutil-XXXXXX", NAME shortened where the folder's
  // name limit requires) with the file's permission bits and, where allowed,
  // its owner and group, flushes it to disk, checks that the path given to
  // Read still names the file read (device and inode) and that the file
  // still stands where the path resolved to, and renames the temporary file
  // over it. A symbolic link is kept; its target is replaced. Returns the
  // one-line reason when refused or failed (a changed path, a write error
  // such as ENOSPC, or EFBIG when SIGXFSZ is ignored): the file is then as it
  // was and no temporary file is left, also when std::bad_alloc is thrown.
  // REQUIRES: Read succeeded, and Replace was not called before.
  std::optional<std::string> Replace(const std::string& contents);

 private:
  // True while path_ and the resolved place both name the file read.
  bool StillNamesFileRead() const;

  std::string path_;  // as given to Read
  std::string name_;  // the file's name in its folder, once resolved
  int folder_ = -1;   // the resolved folder, opened for reaching the file
  dev_t device_ = 0;
  ino_t inode_ = 0;
  mode_t mode_ = 0;
  uid_t owner_ = 0;
  gid_t group_ = 0;
};

// Test seam: Replace calls the hook after the temporary file is written and
// before the path is checked and the file renamed, so that a test can change
// the file system at exactly that point. Null (the default) calls nothing.
// Returns the hook it replaces.
using BeforeRenameHook = void (*)();
BeforeRenameHook SetBeforeRenameHook(BeforeRenameHook hook) noexcept;

}  // namespace plutil
