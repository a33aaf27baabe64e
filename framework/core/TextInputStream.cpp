#include "framework/core/TextInputStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace fw {
namespace {

constexpr size_t kBlock = 1 << 16;

FileOpenHook& OpenHook() {
  static FileOpenHook hook;
  return hook;
}

int OpenFile(const String& path, int flags) {
  if (OpenHook()) return OpenHook()(path.c_str(), flags);
  return open(path.c_str(), flags);
}

}  // namespace

FileOpenHook SetFileOpenHook(FileOpenHook hook) {
  auto previous = std::move(OpenHook());
  OpenHook() = std::move(hook);
  return previous;
}

std::unique_ptr<TextInputStream> TextInputStream::Open(const String& path) {
  // O_NONBLOCK keeps open() from waiting for a writer on a FIFO; only a
  // regular file is read (a FIFO or a device could block or never end).
  int fd = OpenFile(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<TextInputStream>(new TextInputStream(fd, String()));
}

std::unique_ptr<TextInputStream> TextInputStream::FromText(String text) {
  return std::unique_ptr<TextInputStream>(new TextInputStream(-1, std::move(text)));
}

TextInputStream::TextInputStream(int fd, String initial) : fd_(fd), buffer_(std::move(initial)) {
  ended_ = fd_ < 0;
}

TextInputStream::~TextInputStream() { Close(); }

void TextInputStream::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  ended_ = true;
  buffer_.clear();
  pos_ = 0;
  lineEnd_ = {};
}

bool TextInputStream::Fill() {
  if (ended_) return false;
  buffer_.erase(0, pos_);
  pos_ = 0;
  size_t old = buffer_.size();
  buffer_.resize(old + kBlock);
  ssize_t n;
  do {
    n = read(fd_, buffer_.data() + old, kBlock);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    buffer_.resize(old);
    throw IOError(String("read failed: ") + std::strerror(errno));
  }
  buffer_.resize(old + static_cast<size_t>(n));
  if (n == 0) ended_ = true;
  return n > 0;
}

bool TextInputStream::HaveByte() {
  return pos_ < buffer_.size() || (Fill() && pos_ < buffer_.size());
}

bool TextInputStream::Eof() { return !HaveByte(); }

String TextInputStream::ReadLine() {
  String line;
  ReadLine(line);
  return line;
}

void TextInputStream::ReadLine(String& line) {
  line.clear();
  lineEnd_ = {};
  for (;;) {
    if (!HaveByte()) return;
    const char* begin = buffer_.data() + pos_;
    size_t avail = buffer_.size() - pos_;
    const char* end = begin;
    const char* stop = begin + avail;
    while (end != stop && *end != '\n' && *end != '\r') ++end;
    line.append(begin, end);
    pos_ += static_cast<size_t>(end - begin);
    if (end == stop) continue;  // the line goes on in the next block
    char c = buffer_[pos_++];
    lineEnd_ = c == '\n' ? "\n" : "\r";
    if (c == '\r' && HaveByte() && buffer_[pos_] == '\n') {
      ++pos_;
      lineEnd_ = "\r\n";
    }
    return;
  }
}

}  // namespace fw
