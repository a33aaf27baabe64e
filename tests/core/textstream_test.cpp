#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/FolderItem.h"
#include "framework/core/ScopedHook.h"
#include "framework/core/TextInputStream.h"
#include "framework/core/TextOutputStream.h"
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

}  // namespace
