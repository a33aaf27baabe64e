// Peer checks: the files our writer makes are read by libplist into the same
// tree; the XML and binary files libplist makes load into the right tree;
// a binary file goes through our plutil and back without loss.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/core/FolderItem.h"
#include "plist/plist.h"
#include "tests/store/peer/LibplistPeer.h"
#include "tests/store/support/XmlTree.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/TempFolder.h"

namespace {

using fw::FolderItem;
using testsupport::ReadFile;
using testsupport::WriteFile;

std::string PeerView(const plistDict& root) { return xmltest::Describe(root, {true}); }

void FillEveryKind(plistDict& root) {
  root.SetString("plain", "text");
  root.SetString("escapes", "a & b < c > d &amp; &lt;");
  root.SetString("breaks", "one\ntwo\r\nthree\r");
  root.SetString("tabs", "\tlead\tand inner");
  root.SetString("", "empty key");
  root.SetString("key <&> odd", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
  root.SetString("empty", "");
  root.SetInteger("port", 3128);
  root.SetInteger("negative", -7);
  root.SetReal("real", 0.1);
  root.SetBoolean("on", true);
  root.SetBoolean("off", false);
  root.types.SetValue("when", "date");
  root.values.SetValue("when", "2024-01-02T03:04:05Z");
  root.SetData("blob", "AAECAwQFBgcICQ==");
  root.AddChild("empty dict");
  root.AddArray("empty array");
  root.AddArray("list");
  plistDict& list = *root.child("list");
  list.AppendString("x & y");
  list.AppendInteger(1);
  list.AppendBoolean(true);
  list.AppendDict();
  list.index(3)->SetString("inside", "<dict>");
  list.AppendArray();
  list.index(4)->AppendArray();
  root.AddChild("nested");
  root.child("nested")->AddChild("deeper");
  root.child("nested")->child("deeper")->SetString("leaf", "</dict>");
}

TEST(StorePeer, LibplistReadsOurFilesAsTheSameTree) {
  testsupport::TempFolder tmp;
  plist doc{FolderItem(tmp.File("ours.plist"))};
  FillEveryKind(*doc.root);
  doc.Save();
  std::string theirs;
  ASSERT_TRUE(peer::DescribeXml(ReadFile(tmp.File("ours.plist")), theirs))
      << ReadFile(tmp.File("ours.plist"));
  EXPECT_EQ(theirs, PeerView(*doc.root));
}

TEST(StorePeer, LibplistXmlLoadsIntoTheRightTree) {
  testsupport::TempFolder tmp;
  const peer::Sample sample = peer::MakeSample();
  WriteFile(tmp.File("theirs.plist"), sample.xml);
  plist doc{FolderItem(tmp.File("theirs.plist"))};
  EXPECT_FALSE(doc.error) << doc.errorMessage;
  EXPECT_EQ(PeerView(*doc.root), sample.description) << sample.xml;
  // Saved by us, the file still reads in libplist as the same tree.
  doc.Save();
  std::string again;
  ASSERT_TRUE(peer::DescribeXml(ReadFile(tmp.File("theirs.plist")), again));
  EXPECT_EQ(again, sample.description);
}

// libplist leaves a line break raw, so the value spreads over lines of the
// file; it came back as "a\rb\r". It reads back exactly, and so does a saved
// copy in libplist.
TEST(StorePeer, RawLineBreakFromLibplistReadsBackExactly) {
  testsupport::TempFolder tmp;
  WriteFile(tmp.File("raw.plist"), peer::XmlWithRawLineBreak("k", "a\n\tb\n"));
  plist doc{FolderItem(tmp.File("raw.plist"))};
  EXPECT_EQ(doc.root->GetString("k"), "a\n\tb\n");
  doc.Save();
  std::string theirs;
  ASSERT_TRUE(peer::DescribeXml(ReadFile(tmp.File("raw.plist")), theirs));
  EXPECT_EQ(theirs, "k (string) = a\\n\\tb\\n\n");
}

// Through our own plutil, found beside the executables: the binary source is
// read through its converted copy and written back in binary form.
TEST(StorePeer, BinaryRoundTripThroughPlutil) {
  const std::string bin = testsupport::BinDir();
  ASSERT_TRUE(FolderItem(bin + "/plutil").Exists()) << "plutil not built";
  const char* path = std::getenv("PATH");
  setenv("PATH", (bin + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);

  testsupport::TempFolder tmp;
  const std::string source = tmp.File("binary settings.plist");
  const peer::Sample sample = peer::MakeSample();
  WriteFile(source, sample.binary);
  std::string expected;
  {
    plist doc{FolderItem(source)};
    EXPECT_FALSE(doc.error) << doc.errorMessage;
    EXPECT_TRUE(doc.isBinary);
    EXPECT_EQ(PeerView(*doc.root), sample.description);
    doc.root->SetString("name", "changed & <x>\nline two");
    doc.root->child("list")->AppendString("appended");
    doc.Save(true);
    EXPECT_FALSE(doc.error) << doc.errorMessage;
    expected = PeerView(*doc.root);
  }
  EXPECT_FALSE(FolderItem(source + " temp").Exists());
  const std::string bytes = ReadFile(source);
  EXPECT_EQ(bytes.rfind("bplist", 0), 0u);
  std::string theirs;
  ASSERT_TRUE(peer::DescribeBinary(bytes, theirs));
  EXPECT_EQ(theirs, expected);
  plist again{FolderItem(source)};
  EXPECT_EQ(PeerView(*again.root), expected);
  again.Cleanup();
  if (path) setenv("PATH", path, 1);
}

}  // namespace
