#include "framework/core/FolderItem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "framework/core/TextInputStream.h"
#include "framework/core/TextOutputStream.h"

namespace fw {
namespace {

String CurrentFolder() {
  String buf(4096, '\0');
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buf.resize(buf.size() * 2);
  }
  buf.resize(buf.find('\0'));
  return buf;
}

String MakeAbsolute(const String& path) {
  String p = (!path.empty() && path[0] == '/') ? path : CurrentFolder() + "/" + path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

bool ValidName(const String& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == String::npos &&
         name.find('\0') == String::npos;
}

// Copies every byte of in to out; false on any read or write failure.
bool CopyBytes(int in, TextOutputStream& out) {
  char block[1 << 16];
  for (;;) {
    ssize_t n = read(in, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out.Write(std::string_view(block, static_cast<size_t>(n)));
    if (out.Failed()) return false;
  }
}

}  // namespace

FolderItem::FolderItem(const String& path) : path_(MakeAbsolute(path)) {}

bool FolderItem::Exists() const {
  struct stat st;
  return lstat(path_.c_str(), &st) == 0;
}

bool FolderItem::IsFolder() const {
  struct stat st;
  return stat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FolderItem::IsWriteableFile() const {
  struct stat st;
  if (stat(path_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && access(path_.c_str(), W_OK) == 0;
}

std::optional<FolderItem> FolderItem::Child(const String& name) const {
  if (!ValidName(name)) return std::nullopt;
  return FolderItem(path_ == "/" ? "/" + name : path_ + "/" + name);
}

std::optional<FolderItem> FolderItem::Parent() const {
  if (path_ == "/") return std::nullopt;
  size_t slash = path_.rfind('/');
  return FolderItem(slash == 0 ? String("/") : path_.substr(0, slash));
}

String FolderItem::Name() const {
  if (path_ == "/") return "";
  return path_.substr(path_.rfind('/') + 1);
}

bool FolderItem::Delete() const {
  struct stat st;
  if (lstat(path_.c_str(), &st) != 0) return false;
  if (S_ISDIR(st.st_mode)) return rmdir(path_.c_str()) == 0;
  return unlink(path_.c_str()) == 0;  // a link goes, not what it leads to
}

bool FolderItem::CopyFileTo(const FolderItem& dest) const {
  if (IsFolder()) return false;
  int in = open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO must not block
  if (in < 0) return false;
  struct stat st;
  bool ok = fstat(in, &st) == 0 && S_ISREG(st.st_mode) &&
            fcntl(in, F_SETFL, fcntl(in, F_GETFL) & ~O_NONBLOCK) == 0;
  auto out = ok ? TextOutputStream::Create(dest.path_) : nullptr;
  ok = out && CopyBytes(in, *out);
  close(in);
  if (!out) return false;
  if (!ok) {
    out->Discard();
    return false;
  }
  if (!out->Close()) return false;
  return chmod(dest.path_.c_str(), st.st_mode & 07777) == 0;
}

bool FolderItem::CreateAsFolder() const { return mkdir(path_.c_str(), 0777) == 0; }

std::unique_ptr<TextInputStream> FolderItem::OpenAsTextFile() const {
  return TextInputStream::Open(path_);
}

std::unique_ptr<TextOutputStream> FolderItem::CreateTextFile() const {
  if (IsFolder()) return nullptr;
  return TextOutputStream::Create(path_);
}

String FolderItem::ShellPath() const { return ShellQuote(path_); }

String ShellQuote(const String& text) {
  String quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  quoted += "'";
  return quoted;
}

}  // namespace fw
