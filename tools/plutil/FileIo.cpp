#include "plutil/FileIo.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string_view>
#include <utility>

#include "plutil/Limits.h"

namespace plutil {

namespace {

BeforeRenameHook beforeRename = nullptr;

std::string SystemError(int error) { return std::strerror(error); }

// Closes its descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// A new file in a folder that is removed again unless Keep is called.
class TempFile {
 public:
  explicit TempFile(int folder) : folder_(folder) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!name_.empty()) ::unlinkat(folder_, name_.c_str(), 0);
  }

  // Creates a file named prefix followed by six random letters and digits,
  // readable and writable by its owner only; returns 0 or the error.
  int Create(const std::string& prefix);
  int fd() const { return fd_; }
  // Closes the file now; returns 0 or the error of the close.
  int Close() {
    int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0 ? 0 : errno;
  }
  const std::string& name() const { return name_; }
  // The file now stands under another name: nothing to remove.
  void Keep() { name_.clear(); }

 private:
  int folder_;
  int fd_ = -1;
  std::string name_;
};

// Six letters and digits, as mkstemp puts in place of its XXXXXX.
std::string RandomSuffix(unsigned attempt) {
  static constexpr std::string_view kLetters =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != sizeof bits) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    bits = (static_cast<std::uint64_t>(now.tv_nsec) << 20) ^
           static_cast<std::uint64_t>(now.tv_sec) ^ (static_cast<std::uint64_t>(::getpid()) << 40) ^
           attempt;
  }
  std::string suffix;
  for (int i = 0; i < 6; ++i, bits /= kLetters.size()) suffix += kLetters[bits % kLetters.size()];
  return suffix;
}

int TempFile::Create(const std::string& prefix) {
  constexpr unsigned kAttempts = 100;
  for (unsigned attempt = 0; attempt < kAttempts; ++attempt) {
    std::string name = prefix + RandomSuffix(attempt);
    int fd =
        ::openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      fd_ = fd;
      name_ = std::move(name);
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// The temporary file's name without its random part: "NAME.plutil-", where
// NAME is the file's name, cut (at a character boundary) so that the whole
// name stays within the folder's limit of nameMax bytes.
std::string TempPrefix(const std::string& name, long nameMax) {
  static constexpr std::string_view kTag = ".plutil-";
  constexpr std::size_t kRandom = 6;
  std::size_t limit = nameMax > 0 ? static_cast<std::size_t>(nameMax) : NAME_MAX;
  std::size_t room = limit > kTag.size() + kRandom ? limit - kTag.size() - kRandom : 0;
  std::size_t keep = std::min(name.size(), room);
  while (keep > 0 && keep < name.size() && (name[keep] & 0xC0) == 0x80) --keep;
  return name.substr(0, keep) + std::string(kTag);
}

// Splits an absolute path into its folder and the name in it ("." for "/").
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  std::size_t slash = path.rfind('/');
  folder = slash == 0 ? "/" : path.substr(0, slash);
  name = path.substr(slash + 1);
  if (name.empty()) name = ".";
}

// Writes every byte; returns 0 or the error.
int WriteAll(int fd, const std::string& contents) {
  std::size_t done = 0;
  while (done < contents.size()) {
    ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// Flushes the folder so that the rename survives a crash; best effort.
void SyncFolder(int folder) {
  int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

BeforeRenameHook SetBeforeRenameHook(BeforeRenameHook hook) noexcept {
  return std::exchange(beforeRename, hook);
}

InPlaceFile::~InPlaceFile() {
  if (folder_ >= 0) ::close(folder_);
}

std::optional<std::string> InPlaceFile::Read(const std::string& path, std::string& text) {
  path_ = path;
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                       &std::free);
  if (!resolved) return SystemError(errno);
  std::string folder;
  SplitPath(resolved.get(), folder, name_);
  // O_PATH: a folder that may only be searched is enough to reach the file.
  folder_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) return SystemError(errno);
  // Non-blocking, so that opening a FIFO cannot hang; it is refused below.
  Fd fd(::openat(folder_, name_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (fd.get() < 0) return SystemError(errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return SystemError(errno);
  if (S_ISDIR(info.st_mode)) return SystemError(EISDIR);
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  device_ = info.st_dev;
  inode_ = info.st_ino;
  mode_ = info.st_mode;
  owner_ = info.st_uid;
  group_ = info.st_gid;
  text.clear();
  // One allocation for a file that does not grow while it is read.
  if (static_cast<std::uint64_t>(info.st_size) <= kMaxInputSize)
    text.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return SystemError(errno);
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return std::nullopt;
}

bool InPlaceFile::StillNamesFileRead() const {
  struct stat here {};
  struct stat given {};
  return ::fstatat(folder_, name_.c_str(), &here, AT_SYMLINK_NOFOLLOW) == 0 &&
         here.st_dev == device_ && here.st_ino == inode_ && ::stat(path_.c_str(), &given) == 0 &&
         given.st_dev == device_ && given.st_ino == inode_;
}

std::optional<std::string> InPlaceFile::Replace(const std::string& contents) {
  TempFile temp(folder_);
  if (int error = temp.Create(TempPrefix(name_, ::fpathconf(folder_, _PC_NAME_MAX))))
    return "cannot create a temporary file: " + SystemError(error);
  // Keep the owner where allowed (a tool run as root on another's file).
  [[maybe_unused]] bool ownerKept = ::fchown(temp.fd(), owner_, group_) == 0;
  int error = 0;
  if (::fchmod(temp.fd(), mode_ & 07777) != 0) error = errno;
  if (error == 0) error = WriteAll(temp.fd(), contents);
  if (error == 0 && ::fsync(temp.fd()) != 0) error = errno;
  if (int closed = temp.Close(); error == 0) error = closed;
  if (error != 0) return "cannot write: " + SystemError(error);
  if (beforeRename) beforeRename();
  if (!StillNamesFileRead()) return "no longer names the file that was read; nothing written";
  if (::renameat(folder_, temp.name().c_str(), folder_, name_.c_str()) != 0)
    return "cannot write: " + SystemError(errno);
  temp.Keep();
  SyncFolder(folder_);
  return std::nullopt;
}

}  // namespace plutil
