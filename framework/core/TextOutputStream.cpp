#include "framework/core/TextOutputStream.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>

namespace fw {
namespace {

constexpr size_t kFlushAt = 1 << 16;

FileWriteHook& WriteHook() {
  static FileWriteHook hook;
  return hook;
}

long WriteBlock(int fd, const char* data, size_t size) {
  if (WriteHook()) return WriteHook()(fd, data, size);
  return write(fd, data, size);
}

String FolderOf(const String& path) {
  size_t slash = path.rfind('/');
  if (slash == String::npos) return ".";
  return slash == 0 ? String("/") : path.substr(0, slash);
}

// The longest name a file in folder may have: the file system's own limit,
// never more than NAME_MAX.
size_t NameLimit(const String& folder) {
  long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
  return limit > 0 && limit < NAME_MAX ? static_cast<size_t>(limit) : NAME_MAX;
}

// A name for the temporary file beside target: "." + the target's name +
// a suffix unique to this process and call. Where that would pass the
// folder's name limit, the target's part is cut short, before the first
// byte of a character (never inside a UTF-8 sequence); the suffix alone
// keeps the name unique.
String TempName(const String& target) {
  static std::atomic<unsigned> counter{0};
  static std::mt19937 random(std::random_device{}());
  size_t slash = target.rfind('/');
  String folder = slash == String::npos ? String() : target.substr(0, slash + 1);
  String name = slash == String::npos ? target : target.substr(slash + 1);
  char suffix[48];
  const int length =
      std::snprintf(suffix, sizeof suffix, ".%ld-%u-%06u.tmp", static_cast<long>(getpid()),
                    counter++, static_cast<unsigned>(random() % 1000000));
  const size_t limit = NameLimit(folder.empty() ? String(".") : folder);
  const size_t fixed = 1 + static_cast<size_t>(length);
  size_t keep = limit > fixed ? limit - fixed : 0;
  if (name.size() > keep) {
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    name.resize(keep);
  }
  return folder + "." + name + suffix;
}

void SyncFolder(const String& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

FileWriteHook SetFileWriteHook(FileWriteHook hook) {
  auto previous = std::move(WriteHook());
  WriteHook() = std::move(hook);
  return previous;
}

namespace {

// The file a write to path replaces: the file a symbolic link leads to, so
// that the link stays and its file gets the new content.
String ResolvedTarget(const String& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return path;  // a link to nowhere is replaced by the file
  String resolved = real;
  free(real);
  return resolved;
}

bool SetOwner(int fd, uid_t owner, gid_t group) { return fchown(fd, owner, group) == 0; }

// Gives the new file at fd the owner and group of the file it replaces
// where the process may set them (root may set both; the owner of a file
// may give it a group it belongs to), else keeps what it has; then the old
// file's permission bits, after the owner, since a change of owner clears
// the set-user-ID and set-group-ID bits.
void TakeOwnerAndMode(int fd, const struct stat& old) {
  struct stat now;
  if (fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
      !SetOwner(fd, old.st_uid, old.st_gid))
    SetOwner(fd, static_cast<uid_t>(-1), old.st_gid);  // the group alone, where it may
  fchmod(fd, old.st_mode & 07777);
}

// Whether size more bytes after written stay within the process's file-size
// limit. Past it the system would end the process with SIGXFSZ (or, with
// that signal ignored, fail the write with EFBIG): the stream stops before.
bool WithinSizeLimit(size_t written, size_t size) {
  struct rlimit limit;
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
  return written + size <= limit.rlim_cur;
}

}  // namespace

std::unique_ptr<TextOutputStream> TextOutputStream::Create(const String& path) {
  const String target = ResolvedTarget(path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    String temp = TempName(target);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return nullptr;
    struct stat st;
    if (stat(target.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) {
        close(fd);
        unlink(temp.c_str());
        return nullptr;
      }
      TakeOwnerAndMode(fd, st);
    }
    return std::unique_ptr<TextOutputStream>(new TextOutputStream(fd, target, temp));
  }
  return nullptr;
}

TextOutputStream::TextOutputStream(int fd, String target, String temp)
    : fd_(fd),
      target_(std::move(target)),
      temp_(std::move(temp)),
      exceptions_at_start_(std::uncaught_exceptions()) {}

TextOutputStream::~TextOutputStream() {
  if (closed_) return;
  if (std::uncaught_exceptions() > exceptions_at_start_)
    Discard();
  else
    Close();
}

void TextOutputStream::WriteLine(std::string_view text) {
  Write(text);
  Write("\n");
}

void TextOutputStream::Write(std::string_view text) {
  if (failed_ || closed_) return;
  buffer_.append(text);
  if (buffer_.size() >= kFlushAt) Flush();
}

void TextOutputStream::Flush() {
  if (!failed_ && !WithinSizeLimit(written_, buffer_.size())) {
    errno = EFBIG;
    failed_ = true;
  }
  size_t done = 0;
  while (!failed_ && done < buffer_.size()) {
    long n = WriteBlock(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      failed_ = true;
    else
      done += static_cast<size_t>(n);
  }
  written_ += done;
  buffer_.clear();
}

bool TextOutputStream::Commit() {
  Flush();
  if (failed_) return false;
  if (fsync(fd_) != 0) return false;
  int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) return false;
  if (rename(temp_.c_str(), target_.c_str()) != 0) return false;
  SyncFolder(FolderOf(target_));
  return true;
}

bool TextOutputStream::Close() {
  if (closed_) return result_;
  closed_ = true;
  result_ = Commit();
  if (!result_) {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    unlink(temp_.c_str());
  }
  return result_;
}

void TextOutputStream::Discard() {
  if (closed_) return;
  closed_ = true;
  result_ = false;
  buffer_.clear();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  unlink(temp_.c_str());
}

}  // namespace fw
