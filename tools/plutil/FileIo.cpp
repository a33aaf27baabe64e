#include "plutil/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace plutil {

namespace {

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
  // Closes now and reports whether the close succeeded.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// The path a symbolic link finally names; the path itself otherwise.
std::string ResolvedPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return path;
  std::string result = resolved;
  std::free(resolved);
  return result;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& contents) {
  std::size_t done = 0;
  while (done < contents.size()) {
    ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Flushes the folder so that the rename survives a crash; best effort.
void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

FileResult Failure(std::string message) { return {false, {}, std::move(message)}; }

}  // namespace

FileResult ReadWholeFile(const std::string& path) {
  // Non-blocking, so that opening a FIFO cannot hang; it is refused below.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return Failure(SystemError(errno));
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return Failure(SystemError(errno));
  if (S_ISDIR(info.st_mode)) return Failure(SystemError(EISDIR));
  if (!S_ISREG(info.st_mode)) return Failure("not a regular file");
  FileResult result{true, {}, {}};
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Failure(SystemError(errno));
    if (n == 0) break;
    result.text.append(buffer, static_cast<std::size_t>(n));
  }
  return result;
}

FileResult ReplaceFile(const std::string& path, const std::string& contents) {
  std::string target = ResolvedPath(path);
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return Failure(SystemError(errno));
  std::string folder = FolderOf(target);
  std::string temp = target + ".plutil-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  Fd fd(::mkstemp(name.data()));
  if (fd.get() < 0) return Failure("cannot create a temporary file: " + SystemError(errno));
  temp = name.data();
  int error = 0;
  // Keep the owner where allowed (a tool run as root on another's file).
  [[maybe_unused]] bool ownerKept = ::fchown(fd.get(), info.st_uid, info.st_gid) == 0;
  if (::fchmod(fd.get(), info.st_mode & 07777) != 0 || !WriteAll(fd.get(), contents) ||
      ::fsync(fd.get()) != 0)
    error = errno;
  if (!fd.Close() && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    return Failure("cannot write: " + SystemError(error));
  }
  SyncFolder(folder);
  return {true, {}, {}};
}

}  // namespace plutil
