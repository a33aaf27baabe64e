// The store's document over a binary file, converted by the real plutil:
// every value comes back exactly as it was set, line breaks, tabs and markup
// characters included. Only the store's own headers are used here (libplist's
// <plist/plist.h> would clash with the store's plist/plist.h).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "framework/core/FolderItem.h"
#include "framework/core/Shell.h"
#include "plist/plist.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;

const std::string kJapanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";

struct Entry {
  std::string key, value;
};

const Entry kStrings[] = {
    {"plain", "127.0.0.1"},
    {"lines", "one\ntwo\r\nthree\rfour"},
    {"breaks at the ends", "\r\nmiddle\n"},
    {"tabs", "\tfirst\tsecond\t"},
    {"markup", "a & b <c> &amp; &lt; ]]>"},
    {"japanese", kJapanese},
    {"empty", ""},
    {"k&<>\"'", "key with markup characters"},
};

class StoreThroughPlutil : public testing::Test {
 protected:
  void SetUp() override {
    // The document runs "plutil" through the shell: find the built one first.
    const char* path = std::getenv("PATH");
    ::setenv("PATH", (testsupport::BinDir() + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
  }

  std::string File() const { return dir_.File("it's a \"$name\".plist"); }

  void ExpectContents(plist& doc) {
    for (const Entry& e : kStrings)
      EXPECT_EQ(doc.root->GetString(e.key, "missing"), e.value) << e.key;
    EXPECT_EQ(doc.root->GetInteger("Port", 0), 3128);
    EXPECT_TRUE(doc.root->GetBoolean("on", false));
    plistDict* list = doc.root->child("list");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetDouble("0", 0), 2.5);
    EXPECT_EQ(list->GetString("1", "missing"), "x\ny");
  }

  testsupport::TempFolder dir_;
};

TEST_F(StoreThroughPlutil, BinaryFileKeepsEveryValue) {
  {
    plist doc{fw::FolderItem(File())};  // a new document
    for (const Entry& e : kStrings) doc.root->SetString(e.key, e.value);
    doc.root->SetInteger("Port", 3128);
    doc.root->SetBoolean("on", true);
    ASSERT_TRUE(doc.root->AddArray("list"));
    doc.root->child("list")->AppendDouble(2.5);  // written as a "double" element
    doc.root->child("list")->AppendString("x\ny");
    doc.Save();
  }
  fw::Shell shell;
  shell.Execute("plutil -convert binary1 " + fw::FolderItem(File()).ShellPath());
  ASSERT_EQ(shell.ErrorCode(), 0) << shell.Result();
  ASSERT_EQ(ReadFile(File()).substr(0, 6), "bplist");

  {
    plist doc{fw::FolderItem(File())};
    EXPECT_FALSE(doc.error) << doc.errorMessage;
    EXPECT_TRUE(doc.isBinary);
    ExpectContents(doc);
    doc.root->SetString("added", "last\r\nline");
    doc.Save(true);  // back to binary, copy removed
    EXPECT_FALSE(doc.error) << doc.errorMessage;
  }
  EXPECT_EQ(ReadFile(File()).substr(0, 6), "bplist");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 1);

  plist doc{fw::FolderItem(File())};
  EXPECT_FALSE(doc.error) << doc.errorMessage;
  EXPECT_TRUE(doc.isBinary);
  ExpectContents(doc);
  EXPECT_EQ(doc.root->GetString("added", "missing"), "last\r\nline");
  doc.Cleanup();
}

}  // namespace
