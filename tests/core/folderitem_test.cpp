#include "framework/core/FolderItem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/core/ScopedHook.h"
#include "framework/core/Shell.h"
#include "framework/core/TextInputStream.h"
#include "framework/core/TextOutputStream.h"
#include "tests/support/TempFolder.h"

namespace {

using fw::FolderItem;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

TEST(FolderItemPath, NamesParentsAndAbsolutePaths) {
  struct Case {
    const char* given;
    const char* absolute;
    const char* name;
    const char* parent;  // nullptr: none
  };
  const Case cases[] = {
      {"/a/b", "/a/b", "b", "/a"},
      {"/a/b/", "/a/b", "b", "/a"},
      {"/a", "/a", "a", "/"},
      {"/", "/", "", nullptr},
      {"/x y/Tobrik Client.plist", "/x y/Tobrik Client.plist", "Tobrik Client.plist", "/x y"},
  };
  for (const Case& c : cases) {
    FolderItem item(c.given);
    EXPECT_EQ(item.AbsolutePath(), c.absolute) << c.given;
    EXPECT_EQ(item.Name(), c.name) << c.given;
    auto parent = item.Parent();
    if (c.parent) {
      ASSERT_TRUE(parent) << c.given;
      EXPECT_EQ(parent->AbsolutePath(), c.parent) << c.given;
    } else {
      EXPECT_FALSE(parent) << c.given;
    }
  }
}

TEST(FolderItemPath, RelativePathIsTakenFromCurrentFolder) {
  FolderItem item("some file");
  ASSERT_EQ(item.AbsolutePath().front(), '/');
  EXPECT_EQ(item.Name(), "some file");
  EXPECT_EQ(item.Parent()->AbsolutePath(), FolderItem("").AbsolutePath());
}

TEST(FolderItemPath, ChildAcceptsOnlySingleComponents) {
  FolderItem folder("/tmp");
  EXPECT_EQ(folder.Child("a b")->AbsolutePath(), "/tmp/a b");
  EXPECT_EQ(FolderItem("/").Child("etc")->AbsolutePath(), "/etc");
  for (const char* bad : {"", ".", "..", "a/b", "/"}) EXPECT_FALSE(folder.Child(bad)) << bad;
  EXPECT_FALSE(folder.Child(std::string("a\0b", 3)));
}

TEST(FolderItemPath, ShellPathIsOneWordWhateverItHolds) {
  const std::string names[] = {
      "plain", "two words", "it's",      "\"quoted\"",  "$HOME",  "`id`",
      "$(id)", "a\nb",      "tab\there", "back\\slash", "*?[x]",  "; rm -rf x",
      "-n",    "''",        "\xff\xfe",  " lead",       "trail ",
  };
  for (const std::string& name : names) {
    std::string path = "/tmp/" + name;
    std::string out;
    int rc = fw::RunShellCommand("printf '%s|' " + FolderItem(path).ShellPath(), out);
    EXPECT_EQ(rc, 0) << name;
    EXPECT_EQ(out, path + "|") << name;
  }
}

class FolderItemFiles : public ::testing::Test {
 protected:
  TempFolder tmp;
  FolderItem folder{tmp.Path()};
};

TEST_F(FolderItemFiles, ExistsCreateAsFolderAndDelete) {
  auto sub = folder.Child("sub");
  EXPECT_FALSE(sub->Exists());
  EXPECT_TRUE(sub->CreateAsFolder());
  EXPECT_TRUE(sub->Exists());
  EXPECT_TRUE(sub->IsFolder());
  EXPECT_FALSE(sub->CreateAsFolder());  // already there

  auto file = sub->Child("f");
  WriteFile(file->AbsolutePath(), "x");
  EXPECT_TRUE(file->Exists());
  EXPECT_FALSE(file->IsFolder());
  EXPECT_FALSE(sub->Delete());  // not empty
  EXPECT_TRUE(file->Delete());
  EXPECT_FALSE(file->Exists());
  EXPECT_FALSE(file->Delete());  // gone already
  EXPECT_TRUE(sub->Delete());
  EXPECT_FALSE(sub->Exists());
}

TEST_F(FolderItemFiles, DeletingALinkKeepsWhatItLeadsTo) {
  auto sub = folder.Child("sub");
  ASSERT_TRUE(sub->CreateAsFolder());
  auto link = folder.Child("link");
  ASSERT_EQ(symlink("sub", link->AbsolutePath().c_str()), 0);
  EXPECT_TRUE(link->IsFolder());
  EXPECT_TRUE(link->Delete());
  EXPECT_FALSE(link->Exists());
  EXPECT_TRUE(sub->IsFolder());
}

TEST_F(FolderItemFiles, CopyFileToCopiesBytesAndModeAndReplaces) {
  std::string bytes("bplist00\0\x01\xff\r\n end", 17);
  auto src = folder.Child("src");
  auto dst = folder.Child("dst");
  WriteFile(src->AbsolutePath(), bytes);
  chmod(src->AbsolutePath().c_str(), 0640);
  WriteFile(dst->AbsolutePath(), "old content that is longer than the new one.............");
  ASSERT_TRUE(src->CopyFileTo(*dst));
  EXPECT_EQ(ReadFile(dst->AbsolutePath()), bytes);
  struct stat st;
  ASSERT_EQ(stat(dst->AbsolutePath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(testsupport::ListFolder(tmp.Path()), "dst\nsrc\n");  // no temporary left
}

TEST_F(FolderItemFiles, FailedCopyLeavesDestinationWhole) {
  auto src = folder.Child("src");
  auto dst = folder.Child("dst");
  WriteFile(dst->AbsolutePath(), "keep me");
  EXPECT_FALSE(src->CopyFileTo(*dst));  // no source
  EXPECT_EQ(ReadFile(dst->AbsolutePath()), "keep me");

  WriteFile(src->AbsolutePath(), std::string(300000, 'n'));
  {
    int calls = 0;
    fw::ScopedHook<fw::SetFileWriteHook> guard([&](int, const char*, std::size_t size) -> long {
      if (++calls == 2) {
        errno = ENOSPC;
        return -1;
      }
      return static_cast<long>(size);
    });
    EXPECT_FALSE(src->CopyFileTo(*dst));  // disk full half way
  }
  EXPECT_EQ(ReadFile(dst->AbsolutePath()), "keep me");
  EXPECT_EQ(testsupport::ListFolder(tmp.Path()), "dst\nsrc\n");
  EXPECT_FALSE(src->CopyFileTo(*folder.Child("missing folder")->Child("x")));
}

// Root may write any file, so a file without write bits must count as
// read-only by its mode too.
TEST_F(FolderItemFiles, IsWriteableFileOnlyForWriteableRegularFiles) {
  WriteFile(tmp.File("rw"), "x");
  chmod(tmp.File("rw").c_str(), 0644);
  WriteFile(tmp.File("ro"), "x");
  chmod(tmp.File("ro").c_str(), 0444);
  WriteFile(tmp.File("wo"), "x");
  chmod(tmp.File("wo").c_str(), 0200);
  ASSERT_TRUE(folder.Child("dir")->CreateAsFolder());
  ASSERT_EQ(mkfifo(tmp.File("fifo").c_str(), 0644), 0);
  ASSERT_EQ(symlink("rw", tmp.File("to-rw").c_str()), 0);
  ASSERT_EQ(symlink("ro", tmp.File("to-ro").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", tmp.File("dangling").c_str()), 0);
  const struct {
    std::string path;
    bool writeable;
  } cases[] = {
      {tmp.File("rw"), true},       {tmp.File("wo"), true},     {tmp.File("to-rw"), true},
      {tmp.File("ro"), false},      {tmp.File("to-ro"), false}, {tmp.File("dangling"), false},
      {tmp.File("missing"), false}, {tmp.File("dir"), false},   {tmp.File("fifo"), false},
      {"/dev/null", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FolderItem(c.path).IsWriteableFile(), c.writeable) << c.path;
}

TEST_F(FolderItemFiles, OpenAndCreateGiveNilWhereThereIsNoFile) {
  auto missing = folder.Child("missing");
  EXPECT_EQ(missing->OpenAsTextFile(), nullptr);
  EXPECT_EQ(folder.OpenAsTextFile(), nullptr);  // a folder is no text file
  EXPECT_EQ(folder.CreateTextFile(), nullptr);
  EXPECT_EQ(missing->Child("f")->CreateTextFile(), nullptr);  // folder missing
  auto plain = folder.Child("plain");
  WriteFile(plain->AbsolutePath(), "x");
  EXPECT_EQ(plain->Child("f")->CreateTextFile(), nullptr);  // parent is a file
  EXPECT_EQ(FolderItem("/proc/tobrik-unwritable").CreateTextFile(), nullptr);
}

}  // namespace
