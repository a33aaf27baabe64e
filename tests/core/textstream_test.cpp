#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/FolderItem.h"
#include "framework/core/ScopedHook.h"
#include "framework/core/TextInputStream.h"
#include "framework/core/TextOutputStream.h"
#include "framework/core/Utf8.h"
#include "tests/support/TempFolder.h"

namespace {

using fw::FolderItem;
using fw::TextInputStream;
using testsupport::ListFolder;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

std::vector<std::string> AllLines(TextInputStream& in) {
  std::vector<std::string> lines;
  while (!in.Eof()) lines.push_back(in.ReadLine());
  return lines;
}

struct LineCase {
  std::string bytes;
  std::vector<std::string> lines;
};

const LineCase kLineCases[] = {
    {"", {}},
    {"\n", {""}},
    {"a", {"a"}},
    {"a\n", {"a"}},
    {"a\nb", {"a", "b"}},
    {"a\r\nb\r\n", {"a", "b"}},
    {"a\rb\r", {"a", "b"}},
    {"a\r\rb", {"a", "", "b"}},
    {"a\n\r\nb", {"a", "", "b"}},
    {"a\r\n\rb", {"a", "", "b"}},
    {"\t<key>k</key>\n\t<string>v</string>", {"\t<key>k</key>", "\t<string>v</string>"}},
    {std::string("n\0l\n", 4), {std::string("n\0l", 3)}},
    // A CR LF split across the stream's block boundary is still one line end.
    {std::string(65535, 'x') + "\r\ny", {std::string(65535, 'x'), "y"}},
    {std::string(200000, 'y') + "\nz", {std::string(200000, 'y'), "z"}},
};

// Each line followed by the line end that LineEnd() names: the bytes again.
std::string Rejoined(TextInputStream& in) {
  std::string text;
  while (!in.Eof()) {
    text += in.ReadLine();
    text += in.LineEnd();
  }
  return text;
}

TEST(TextInputStream, LineEndsFromFile) {
  TempFolder tmp;
  for (const LineCase& c : kLineCases) {
    WriteFile(tmp.File("f"), c.bytes);
    auto in = FolderItem(tmp.File("f")).OpenAsTextFile();
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(AllLines(*in), c.lines) << c.bytes.substr(0, 40);
    EXPECT_EQ(in->ReadLine(), "");  // at the end
    EXPECT_EQ(Rejoined(*FolderItem(tmp.File("f")).OpenAsTextFile()), c.bytes)
        << c.bytes.substr(0, 40);
  }
}

TEST(TextInputStream, LineEndsFromText) {
  for (const LineCase& c : kLineCases) {
    auto in = TextInputStream::FromText(c.bytes);
    EXPECT_EQ(AllLines(*in), c.lines) << c.bytes.substr(0, 40);
    EXPECT_EQ(Rejoined(*TextInputStream::FromText(c.bytes)), c.bytes) << c.bytes.substr(0, 40);
  }
}

TEST(TextInputStream, LineEndOfTheLastLineRead) {
  auto in = TextInputStream::FromText("a\r\nb");
  EXPECT_EQ(in->LineEnd(), "");  // nothing read yet
  in->ReadLine();
  EXPECT_EQ(in->LineEnd(), "\r\n");
  in->ReadLine();
  EXPECT_EQ(in->LineEnd(), "");  // the last line ended with the text
}

TEST(TextInputStream, CloseEndsTheStream) {
  auto in = TextInputStream::FromText("a\nb\n");
  EXPECT_EQ(in->ReadLine(), "a");
  in->Close();
  EXPECT_TRUE(in->Eof());
  EXPECT_EQ(in->ReadLine(), "");
}

// A FIFO as the file to read hung the reader in open() until some writer
// came; only regular files are opened, and opening never waits.
TEST(TextInputStream, OnlyRegularFilesOpenAndOpeningNeverWaits) {
  TempFolder tmp;
  ASSERT_EQ(mkfifo(tmp.File("fifo").c_str(), 0600), 0);
  const std::string notRegular[] = {tmp.File("fifo"), "/dev/null", "/dev/zero"};
  for (const std::string& path : notRegular) {
    EXPECT_EQ(FolderItem(path).OpenAsTextFile(), nullptr) << path;
    EXPECT_FALSE(FolderItem(path).CopyFileTo(FolderItem(tmp.File("copy")))) << path;
    EXPECT_FALSE(FolderItem(tmp.File("copy")).Exists()) << path;
  }
}

TEST(TextInputStream, OpenHookStandsInForOpen) {
  TempFolder tmp;
  WriteFile(tmp.File("denied"), "a\n");
  WriteFile(tmp.File("other"), "b\n");
  std::vector<std::string> opened;
  {
    fw::ScopedHook<fw::SetFileOpenHook> hook([&](const char* path, int flags) -> int {
      opened.push_back(path);
      if (opened.back() == tmp.File("denied")) {
        errno = EACCES;
        return -1;
      }
      return open(path, flags);
    });
    EXPECT_EQ(FolderItem(tmp.File("denied")).OpenAsTextFile(), nullptr);
    auto other = FolderItem(tmp.File("other")).OpenAsTextFile();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->ReadLine(), "b");
  }
  EXPECT_EQ(opened, (std::vector<std::string>{tmp.File("denied"), tmp.File("other")}));
  auto denied = FolderItem(tmp.File("denied")).OpenAsTextFile();  // the real open again
  ASSERT_NE(denied, nullptr);
  EXPECT_EQ(denied->ReadLine(), "a");
}

class TextOutput : public ::testing::Test {
 protected:
  TempFolder tmp;
  FolderItem target{tmp.File("settings.plist")};
};

TEST_F(TextOutput, WriteLineEndsEachLineWithLf) {
  auto out = target.CreateTextFile();
  ASSERT_NE(out, nullptr);
  out->WriteLine("<dict>");
  out->WriteLine("");
  out->WriteLine("\tx");
  EXPECT_TRUE(out->Close());
  EXPECT_EQ(ReadFile(target.AbsolutePath()), "<dict>\n\n\tx\n");
  EXPECT_TRUE(out->Close());  // closing twice is harmless
  EXPECT_EQ(ListFolder(tmp.Path()), "settings.plist\n");
}

TEST_F(TextOutput, TargetChangesOnlyAtClose) {
  WriteFile(target.AbsolutePath(), "old\n");
  chmod(target.AbsolutePath().c_str(), 0600);
  auto out = target.CreateTextFile();
  ASSERT_NE(out, nullptr);
  for (int i = 0; i < 20000; ++i) out->WriteLine("a line that is long enough to be flushed");
  EXPECT_EQ(ReadFile(target.AbsolutePath()), "old\n");
  EXPECT_TRUE(out->Close());
  EXPECT_EQ(ReadFile(target.AbsolutePath()).size(), 20000u * 41);
  struct stat st;
  ASSERT_EQ(stat(target.AbsolutePath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(TextOutput, SymbolicLinkStaysAndItsFileIsReplaced) {
  WriteFile(tmp.File("real"), "old\n");
  ASSERT_EQ(symlink("real", target.AbsolutePath().c_str()), 0);
  auto out = target.CreateTextFile();
  ASSERT_NE(out, nullptr);
  out->WriteLine("new");
  EXPECT_TRUE(out->Close());
  struct stat st;
  ASSERT_EQ(lstat(target.AbsolutePath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(tmp.File("real")), "new\n");
  EXPECT_EQ(ListFolder(tmp.Path()), "real\nsettings.plist\n");
}

TEST_F(TextOutput, DestructorClosesTheStream) {
  {
    auto out = target.CreateTextFile();
    out->WriteLine("kept");
  }
  EXPECT_EQ(ReadFile(target.AbsolutePath()), "kept\n");
}

TEST_F(TextOutput, ExceptionWhileOpenLeavesOldFileWhole) {
  WriteFile(target.AbsolutePath(), "old\n");
  try {
    auto out = target.CreateTextFile();
    out->WriteLine("half");
    throw std::runtime_error("failure half way");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(ReadFile(target.AbsolutePath()), "old\n");
  EXPECT_EQ(ListFolder(tmp.Path()), "settings.plist\n");
}

TEST_F(TextOutput, DiscardLeavesOldFileWhole) {
  WriteFile(target.AbsolutePath(), "old\n");
  auto out = target.CreateTextFile();
  out->WriteLine("new");
  out->Discard();
  EXPECT_FALSE(out->Close());
  EXPECT_EQ(ReadFile(target.AbsolutePath()), "old\n");
  EXPECT_EQ(ListFolder(tmp.Path()), "settings.plist\n");
}

// A process that dies before Close (a crash, a kill) leaves the old file.
TEST_F(TextOutput, StreamNeverClosedLeavesOldFileWhole) {
  WriteFile(target.AbsolutePath(), "old\n");
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    auto out = target.CreateTextFile();
    for (int i = 0; i < 100000; ++i) out->WriteLine("new content");
    _exit(0);  // no destructor, no Close
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_EQ(ReadFile(target.AbsolutePath()), "old\n");
}

TEST_F(TextOutput, FailedWriteLeavesOldFileWholeAndCloseReportsIt) {
  struct Case {
    int fail_on_call;
    int error;
  };
  const Case cases[] = {{1, ENOSPC}, {2, EIO}, {3, ENOSPC}};
  for (const Case& c : cases) {
    WriteFile(target.AbsolutePath(), "old\n");
    int calls = 0;
    fw::ScopedHook<fw::SetFileWriteHook> guard([&](int, const char*, std::size_t size) -> long {
      if (++calls == c.fail_on_call) {
        errno = c.error;
        return -1;
      }
      return static_cast<long>(size);
    });
    auto out = target.CreateTextFile();
    for (int i = 0; i < 10000; ++i) out->WriteLine("some text to fill several blocks");
    EXPECT_FALSE(out->Close()) << c.fail_on_call;
    EXPECT_TRUE(out->Failed());
    EXPECT_EQ(ReadFile(target.AbsolutePath()), "old\n") << c.fail_on_call;
    EXPECT_EQ(ListFolder(tmp.Path()), "settings.plist\n") << c.fail_on_call;
  }
}

TEST_F(TextOutput, ShortWritesAreCompleted) {
  fw::ScopedHook<fw::SetFileWriteHook> guard(
      [](int fd, const char* data, std::size_t size) -> long {
        return write(fd, data, size < 7 ? size : 7);
      });
  auto out = target.CreateTextFile();
  std::string expected;
  for (int i = 0; i < 100; ++i) {
    out->WriteLine("line " + std::to_string(i));
    expected += "line " + std::to_string(i) + "\n";
  }
  EXPECT_TRUE(out->Close());
  EXPECT_EQ(ReadFile(target.AbsolutePath()), expected);
}

// ---- Owner, names and limits of the replaced file ----------------------------

// Runs body in a child process and gives its wait status; body's result is
// the child's exit code.
int InChild(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = -1;
  if (pid > 0) waitpid(pid, &status, 0);
  return status;
}

// Writes text to path through a stream; 0 when Close() reports success,
// 1 when it reports failure, 2 when no stream could be made.
int WriteThrough(const std::string& path, const std::string& text) {
  auto out = FolderItem(path).CreateTextFile();
  if (!out) return 2;
  out->Write(text);
  return out->Close() ? 0 : 1;
}

std::string OwnerGroupMode(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return "missing";
  char text[64];
  snprintf(text, sizeof text, "%u:%u %04o", static_cast<unsigned>(st.st_uid),
           static_cast<unsigned>(st.st_gid), static_cast<unsigned>(st.st_mode & 07777));
  return text;
}

bool IsUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = fw::utf8::SequenceLength(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

const uid_t kNobody = 65534;
const gid_t kNogroup = 65534;

// The rename made a new file of the process's own: a file of another user,
// saved by root, became root's, and its owner could no longer read it.
TEST_F(TextOutput, ReplacedFileKeepsItsOwnerGroupAndMode) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give files to other users";
  struct Case {
    uid_t owner;
    gid_t group;
    mode_t mode;
  };
  const Case cases[] = {
      {kNobody, kNogroup, 0600},
      {kNobody, 0, 0640},
      {0, kNogroup, 0660},
      {1234, 5678, 0644},
      // A change of owner clears these bits: they are set after it.
      {kNobody, kNogroup, 06755},
  };
  for (const Case& c : cases) {
    WriteFile(target.AbsolutePath(), "old\n");
    ASSERT_EQ(chown(target.AbsolutePath().c_str(), c.owner, c.group), 0);
    ASSERT_EQ(chmod(target.AbsolutePath().c_str(), c.mode), 0);
    const std::string before = OwnerGroupMode(target.AbsolutePath());
    EXPECT_EQ(WriteThrough(target.AbsolutePath(), "new\n"), 0) << before;
    EXPECT_EQ(OwnerGroupMode(target.AbsolutePath()), before);
    EXPECT_EQ(ReadFile(target.AbsolutePath()), "new\n") << before;
    EXPECT_EQ(ListFolder(tmp.Path()), "settings.plist\n") << before;
  }
}

// A process that may not give the file its owner (or group) still saves:
// the file is then its own, with the old group where it belongs to it.
TEST_F(TextOutput, OwnerThatMayNotBeSetLeavesTheFileToTheWriter) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  const gid_t kMember = 100;  // a group the writer belongs to
  struct Case {
    uid_t owner;
    gid_t group;
    const char* after;
  };
  const Case cases[] = {
      {0, 0, "65534:65534 0666"},            // neither owner nor group may be set
      {0, kMember, "65534:100 0666"},        // the group alone
      {kNobody, kMember, "65534:100 0666"},  // the writer's own file, a group it is in
      {kNobody, 0, "65534:65534 0666"},      // its own file, a group it is not in
  };
  ASSERT_EQ(chmod(tmp.Path().c_str(), 0777), 0);
  for (const Case& c : cases) {
    WriteFile(target.AbsolutePath(), "old\n");
    ASSERT_EQ(chown(target.AbsolutePath().c_str(), c.owner, c.group), 0);
    ASSERT_EQ(chmod(target.AbsolutePath().c_str(), 0666), 0);
    const int status = InChild([&] {
      const gid_t groups[] = {kMember};
      if (setgroups(1, groups) != 0 || setgid(kNogroup) != 0 || setuid(kNobody) != 0) return 9;
      return WriteThrough(target.AbsolutePath(), "new\n");
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.after << ": " << status;
    EXPECT_EQ(OwnerGroupMode(target.AbsolutePath()), c.after);
    EXPECT_EQ(ReadFile(target.AbsolutePath()), "new\n") << c.after;
    EXPECT_EQ(ListFolder(tmp.Path()), "settings.plist\n") << c.after;
  }
}

// A name of 240 bytes or more could never be written: the temporary name
// appended to it passed the file system's limit of 255 bytes.
TEST_F(TextOutput, AnyNameTheFileSystemAllowsIsWritten) {
  const std::string emoji = "\xF0\x9F\x98\x80";  // four bytes
  std::string emojis;
  for (int i = 0; i < 63; ++i) emojis += emoji;
  std::string kanji;
  for (int i = 0; i < 85; ++i) kanji += "\xE6\x97\xA5";
  const std::string names[] = {
      "settings.plist", std::string(250, 'a'), std::string(255, 'a'),
      kanji,  // 255 bytes
      // 252 to 255 bytes: the cut falls at every place within a character.
      emojis, "a" + emojis, "ab" + emojis, "abc" + emojis,
      std::string(255, '\xE9'),  // Latin-1, not UTF-8
      std::string(255, '\x80'),  // nothing but continuation bytes
  };
  for (const std::string& name : names) {
    const std::string path = tmp.File(name);
    std::string temp;
    {
      fw::ScopedHook<fw::SetFileWriteHook> see([&](int fd, const char* data, std::size_t size) {
        char link[4096];
        ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link);
        if (n > 0) temp.assign(link, static_cast<std::size_t>(n));
        return write(fd, data, size);
      });
      EXPECT_EQ(WriteThrough(path, "new\n"), 0) << name.size();
    }
    EXPECT_EQ(ReadFile(path), "new\n") << name.size();
    EXPECT_EQ(ListFolder(tmp.Path()), name + "\n") << name.size();
    ASSERT_EQ(temp.rfind(tmp.Path() + "/.", 0), 0u) << temp;  // beside the file
    const std::string tempName = temp.substr(tmp.Path().size() + 1);
    EXPECT_LE(tempName.size(), 255u) << name.size();
    if (IsUtf8(name)) {
      EXPECT_TRUE(IsUtf8(tempName)) << name.size() << ": " << tempName;
    }
    if (name.size() < 200) {
      EXPECT_EQ(tempName.rfind("." + name + ".", 0), 0u) << tempName;
    }
    unlink(path.c_str());
  }
}

// Under a file-size limit the system ended a saving process with SIGXFSZ
// and left its temporary file: the stream stops before the limit, so the
// write fails in any process and the old file stays whole.
TEST_F(TextOutput, FileSizeLimitFailsTheWriteAndLeavesTheOldFile) {
  struct Case {
    std::size_t bytes;  // written under a limit of 4096 bytes
    bool ignoreSignal;  // SIGXFSZ ignored in the writing process
    int result;         // of WriteThrough
  };
  const Case cases[] = {
      {100000, false, 1}, {100000, true, 1}, {4097, false, 1}, {4096, false, 0}, {10, false, 0},
  };
  for (const Case& c : cases) {
    WriteFile(target.AbsolutePath(), "old\n");
    const int status = InChild([&] {
      if (c.ignoreSignal) signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit;
      getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = 4096;
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 9;
      return WriteThrough(target.AbsolutePath(), std::string(c.bytes, 'x'));
    });
    ASSERT_TRUE(WIFEXITED(status))
        << c.bytes << ": ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), c.result) << c.bytes;
    EXPECT_EQ(ReadFile(target.AbsolutePath()), c.result == 0 ? std::string(c.bytes, 'x') : "old\n")
        << c.bytes;
    EXPECT_EQ(ListFolder(tmp.Path()), "settings.plist\n") << c.bytes;
  }
}

// A rename that fails (the target became a folder) removes the temporary
// file as a failed write does.
TEST_F(TextOutput, FailedRenameLeavesNoTemporaryFile) {
  auto out = target.CreateTextFile();
  ASSERT_NE(out, nullptr);
  out->WriteLine("new");
  ASSERT_EQ(mkdir(target.AbsolutePath().c_str(), 0755), 0);
  WriteFile(target.AbsolutePath() + "/inside", "kept");
  EXPECT_FALSE(out->Close());
  EXPECT_EQ(ListFolder(tmp.Path()), "settings.plist\n");
  EXPECT_EQ(ReadFile(target.AbsolutePath() + "/inside"), "kept");
}

}  // namespace
