// The document bound to a file: load outcomes, header lines, saving, the
// binary round trip through the " temp" copy, Cleanup and the dump.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Clipboard.h"
#include "framework/core/FolderItem.h"
#include "framework/core/ScopedHook.h"
#include "framework/core/Shell.h"
#include "framework/core/TextInputStream.h"
#include "framework/core/TextOutputStream.h"
#include "plist/plist.h"
#include "tests/store/support/XmlTree.h"
#include "tests/support/KeptPaths.h"
#include "tests/support/PathState.h"
#include "tests/support/TempFolder.h"

namespace {

using fw::FolderItem;
using testsupport::ListFolder;
using testsupport::ReadFile;
using testsupport::WriteFile;
using xmltest::Describe;
using xmltest::Join;

const std::vector<std::string> kNewHeaders = {
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">",
    "<plist version=\"1.0\">",
    "<dict>",
};

std::string XmlFile(const std::vector<std::string>& body) {
  std::vector<std::string> lines = kNewHeaders;
  lines.insert(lines.end(), body.begin(), body.end());
  lines.push_back("</dict>");
  lines.push_back("</plist>");
  return Join(lines);
}

// A document that shows its header lines.
class Document : public plist {
 public:
  using plist::plist;
  const std::vector<fw::String>& Headers() const { return headers; }
};

class DocumentTest : public ::testing::Test {
 protected:
  testsupport::TempFolder tmp;
  FolderItem Item(const std::string& name) { return FolderItem(tmp.File(name)); }
};

struct LoadCase {
  const char* name;
  std::map<std::string, std::string> files;  // name -> bytes
  const char* file;
  const char* fallback;  // nullptr: the one-file constructor
  bool error;
  std::string message;  // "@" stands for the temporary folder
  std::vector<std::string> headers;
  std::string tree;
  const char* rootName;
};

const LoadCase kLoadCases[] = {
    {"XML source read",
     {{"a.plist", XmlFile({"\t<key>k</key>", "\t<string>v</string>"})}},
     "a.plist",
     nullptr,
     false,
     "",
     kNewHeaders,
     "k (string) = v\n",
     "root"},
    {"lines ended by CR LF",
     {{"a.plist", "<plist>\r\n<dict>\r\n<key>k</key>\r\n<true/>\r\n</dict>\r\n</plist>\r\n"}},
     "a.plist",
     nullptr,
     false,
     "",
     {"<plist>", "<dict>"},
     "k (boolean) = true\n",
     "root"},
    {"source missing",
     {},
     "a.plist",
     nullptr,
     true,
     "@/a.plist does not exist",
     kNewHeaders,
     "",
     "root"},
    {"no line is exactly <dict>",
     {{"a.plist", "hello\n\t<dict>\n<dict> \n"}},
     "a.plist",
     nullptr,
     true,
     "Not a plist file",
     {"hello", "\t<dict>", "<dict> "},
     "",
     ""},
    {"empty file",
     {{"a.plist", ""}},
     "a.plist",
     nullptr,
     true,
     "Not a plist file",
     kNewHeaders,
     "",
     ""},
    {"empty lines only",
     {{"a.plist", "\n\n"}},
     "a.plist",
     nullptr,
     true,
     "Not a plist file",
     kNewHeaders,
     "",
     ""},
    // The reader would start at that line and take the root for a nested
    // dict without a key.
    {"first line is <dict>",
     {{"a.plist", "<dict>\n<key>a</key>\n<string>x</string>\n</dict>\n"}},
     "a.plist",
     nullptr,
     true,
     "Not a plist file",
     {},
     "",
     ""},
    {"file ends with its <dict> line",
     {{"a.plist", "<?xml version=\"1.0\"?>\n<plist>\n<dict>\n"}},
     "a.plist",
     nullptr,
     false,
     "",
     {"<?xml version=\"1.0\"?>", "<plist>", "<dict>"},
     "",
     "root"},
    {"empty root <dict/>: the header ends in the opening line",
     {{"a.plist", Join({kNewHeaders[0], kNewHeaders[1], kNewHeaders[2], "<dict/>", "</plist>"})}},
     "a.plist",
     nullptr,
     false,
     "",
     kNewHeaders,
     "",
     "root"},
    {"empty root <dict/> followed by entries",
     {{"a.plist", Join({kNewHeaders[2], "<dict/>", "<key>a</key>", "<true/>", "</plist>"})}},
     "a.plist",
     nullptr,
     true,
     "Not a plist file",
     {kNewHeaders[2], "<dict>"},
     "",
     ""},
    {"a comment before the root is a header line",
     {{"a.plist", Join({kNewHeaders[2], "<!-- settings -->", "<dict>", "</dict>", "</plist>"})}},
     "a.plist",
     nullptr,
     false,
     "",
     {kNewHeaders[2], "<!-- settings -->", "<dict>"},
     "",
     "root"},
    {"a root array whose dict starts in column 0",
     {{"a.plist", Join({kNewHeaders[2], "<array>", "\t<string>x</string>", "<dict>", "<key>a</key>",
                        "<true/>", "</dict>", "</array>", "</plist>"})}},
     "a.plist",
     nullptr,
     true,
     "Not a plist file",
     {kNewHeaders[2], "<array>", "\t<string>x</string>", "<dict>"},
     "",
     ""},
    {"missing file read from its fallback",
     {{"b.plist", XmlFile({"<key>f</key>", "<integer>1</integer>"})}},
     "a.plist",
     "b.plist",
     false,
     "",
     kNewHeaders,
     "f (integer) = 1\n",
     "root"},
    {"file and fallback missing: the message names the fallback",
     {},
     "a.plist",
     "b.plist",
     true,
     "@/b.plist does not exist",
     kNewHeaders,
     "",
     "root"},
    {"existing file wins over the fallback",
     {{"a.plist", XmlFile({"<key>a</key>", "<true/>"})},
      {"b.plist", XmlFile({"<key>b</key>", "<true/>"})}},
     "a.plist",
     "b.plist",
     false,
     "",
     kNewHeaders,
     "a (boolean) = true\n",
     "root"},
    {"a folder is not a plist file",
     {{"dir/x", ""}},
     "dir",
     nullptr,
     true,
     "Not a plist file",
     {},
     "",
     ""},
};

TEST_F(DocumentTest, LoadOutcomes) {
  for (const LoadCase& c : kLoadCases) {
    testsupport::TempFolder folder;
    for (const auto& [name, bytes] : c.files) {
      if (name.find('/') != std::string::npos)
        FolderItem(folder.File(name.substr(0, name.find('/')))).CreateAsFolder();
      WriteFile(folder.File(name), bytes);
    }
    FolderItem file(folder.File(c.file));
    std::unique_ptr<Document> doc =
        c.fallback ? std::make_unique<Document>(file, FolderItem(folder.File(c.fallback)))
                   : std::make_unique<Document>(file);
    std::string message = c.message;
    if (!message.empty() && message[0] == '@') message = folder.Path() + message.substr(1);
    EXPECT_EQ(doc->error, c.error) << c.name;
    EXPECT_EQ(doc->errorMessage, message) << c.name;
    EXPECT_EQ(doc->Headers(), c.headers) << c.name;
    ASSERT_NE(doc->root, nullptr) << c.name;
    EXPECT_EQ(Describe(*doc->root), c.tree) << c.name;
    EXPECT_EQ(doc->root->name, c.rootName) << c.name;
    ASSERT_TRUE(doc->savePath) << c.name;
    EXPECT_EQ(*doc->savePath, file) << c.name;
    EXPECT_FALSE(doc->isBinary) << c.name;
    EXPECT_FALSE(doc->org) << c.name;
  }
}

// After "Not a plist file" the root belongs to no document: node errors
// are not recorded.
TEST_F(DocumentTest, BlankRootRecordsNoErrors) {
  WriteFile(tmp.File("a"), "nothing\n");
  Document doc(Item("a"));
  doc.error = false;
  doc.errorMessage = "";
  doc.root->SetError(true, "x");
  EXPECT_FALSE(doc.error);
  doc.root->AppendString("not an array");  // would record an error in a document
  EXPECT_FALSE(doc.error);
}

TEST_F(DocumentTest, LoadedRootRecordsErrorsOnTheDocument) {
  WriteFile(tmp.File("a"), XmlFile({}));
  Document doc(Item("a"));
  doc.root->AppendString("x");
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "root is not an array");
}

TEST_F(DocumentTest, HeaderLinesComeBackByteForByte) {
  const std::vector<std::string> headers = {
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>  ",
      "",
      "\t<!DOCTYPE plist SYSTEM \"file://localhost/System/Library/DTDs/PropertyList.dtd\">",
      "<plist version=\"1.0\">",
      "<dict>",
  };
  std::vector<std::string> lines = headers;
  for (const char* l : {"\t<key>a</key>", "\t<string>1</string>", "</dict>", "</plist>"})
    lines.push_back(l);
  WriteFile(tmp.File("a"), Join(lines));
  Document doc(Item("a"));
  EXPECT_EQ(doc.Headers(), headers);
  doc.Save();
  EXPECT_EQ(ReadFile(tmp.File("a")), Join(lines));
}

// What may stand before the root: the XML declaration, a DOCTYPE and the
// <plist> tag, in that order, comments and processing instructions, with
// blanks; anything else was kept as a header line while the tree it belonged
// to was read wrongly or not at all.
TEST_F(DocumentTest, LinesBeforeTheRootAreAHeader) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;  // before the root's "<dict>"
    bool loads;
  };
  const std::string& decl = kNewHeaders[0];
  const std::string& doctype = kNewHeaders[1];
  const std::string& tag = kNewHeaders[2];
  const Case cases[] = {
      {"the four standard lines", {decl, doctype, tag}, true},
      {"the plist tag alone", {"<plist>"}, true},
      {"blanks before the declaration", {"  " + decl, tag}, false},
      {"blanks, tabs and blank lines after the declaration",
       {decl + " ", "", " \t", "\t" + doctype, tag + " "},
       true},
      {"all on one line", {decl + doctype + " " + tag}, true},
      {"a byte-order mark before the declaration", {"\xEF\xBB\xBF" + decl, tag}, true},
      {"no plist tag", {decl, doctype}, false},
      {"a blank line before the declaration", {"", decl, tag}, false},
      {"the declaration twice", {decl, decl, tag}, false},
      {"the declaration after the DOCTYPE", {doctype, decl, tag}, false},
      {"two DOCTYPEs", {decl, doctype, doctype, tag}, false},
      {"a DOCTYPE after the plist tag", {decl, tag, doctype}, false},
      {"a DOCTYPE with an internal subset", {decl, "<!DOCTYPE plist [ ]>", tag}, false},
      {"a DOCTYPE over two lines", {decl, "<!DOCTYPE plist PUBLIC \"x\"", " \"y\">", tag}, false},
      {"two plist tags", {tag, tag}, false},
      {"a self-closing plist tag", {"<plist/>"}, false},
      {"a comment", {decl, "<!-- c -->", tag}, true},
      {"a processing instruction", {decl, "<?pi x?>", tag}, true},
      {"another encoding", {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", tag}, false},
      {"text", {tag, "hello"}, false},
      {"another element", {tag, "<array>"}, false},
      {"a tag that does not end on its line", {decl, "<plist", ">"}, false},
      {"a name that only begins like plist", {"<plists>"}, false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = c.lines;
    for (const char* l : {"<dict>", "\t<key>a</key>", "\t<true/>", "</dict>", "</plist>"})
      lines.push_back(l);
    WriteFile(tmp.File("a"), Join(lines));
    Document doc(Item("a"));
    EXPECT_EQ(!doc.error, c.loads) << c.name;
    EXPECT_EQ(Describe(*doc.root), c.loads ? "a (boolean) = true\n" : "") << c.name;
    if (!c.loads) {
      EXPECT_EQ(doc.errorMessage, "Not a plist file") << c.name;
    }
  }
}

// An empty root "<dict/>", as plistlib and libplist write an empty
// dictionary, ended in "Not a plist file". It loads as an empty root; the
// save keeps the lines before it and opens the root with "<dict>".
TEST_F(DocumentTest, EmptyRootDictLoadsAndSavesReadably) {
  const std::vector<std::string> before = {
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>", "",
      "<plist version=\"1.0\">"};
  std::vector<std::string> lines = before;
  lines.push_back("<dict/>");
  lines.push_back("</plist>");
  WriteFile(tmp.File("a"), Join(lines));
  std::vector<std::string> headers = before;
  headers.push_back("<dict>");
  {
    Document doc(Item("a"));
    EXPECT_FALSE(doc.error) << doc.errorMessage;
    EXPECT_EQ(doc.Headers(), headers);
    EXPECT_EQ(doc.root->name, "root");
    EXPECT_EQ(doc.root->count(), 0);
    doc.Save();
    EXPECT_FALSE(doc.error) << doc.errorMessage;
    EXPECT_EQ(ReadFile(tmp.File("a")), Join(headers) + "</dict>\n</plist>\n");
    doc.root->SetInteger("Port", 3128);
    doc.Save();
  }
  Document back(Item("a"));
  EXPECT_FALSE(back.error) << back.errorMessage;
  EXPECT_EQ(back.Headers(), headers);
  EXPECT_EQ(back.root->GetInteger("Port", 0), 3128);
}

TEST_F(DocumentTest, NewDocumentComesIntoBeingAtItsFirstSave) {
  Document doc(Item("new.plist"));
  EXPECT_FALSE(Item("new.plist").Exists());
  doc.Save();
  EXPECT_EQ(ReadFile(tmp.File("new.plist")), XmlFile({}));  // empty root
  doc.root->SetString("Server", "127.0.0.1");
  doc.root->SetInteger("Port", 3128);
  doc.Save();
  EXPECT_EQ(ReadFile(tmp.File("new.plist")),
            XmlFile({"\t<key>Server</key>", "\t<string>127.0.0.1</string>", "\t<key>Port</key>",
                     "\t<integer>3128</integer>"}));
}

// The example tree: a string holding "<", an array of two booleans, and an
// empty dict.
TEST_F(DocumentTest, SavedFileLayout) {
  Document doc(Item("a"));
  doc.root->SetString("first", "a<b");
  doc.root->AddArray("second");
  doc.root->child("second")->AppendBoolean(true);
  doc.root->child("second")->AppendBoolean(false);
  doc.root->AddChild("third");
  doc.Save();
  EXPECT_EQ(ReadFile(tmp.File("a")),
            XmlFile({"\t<key>first</key>", "\t<string>a&lt;b</string>", "\t<key>second</key>",
                     "\t<array>", "\t\t<true/>", "\t\t<false/>", "\t</array>", "\t<key>third</key>",
                     "\t<dict/>"}));
  Document back(Item("a"));
  EXPECT_FALSE(back.error);
  EXPECT_EQ(Describe(*back.root), Describe(*doc.root));
  EXPECT_EQ(back.root->child("second")->indexOf, 2);
}

TEST_F(DocumentTest, FallbackStaysUntouched) {
  const std::string fallback = XmlFile({"<key>f</key>", "<integer>1</integer>"});
  WriteFile(tmp.File("b"), fallback);
  Document doc(Item("a"), Item("b"));
  doc.root->SetInteger("f", 2);
  doc.Save();
  EXPECT_EQ(ReadFile(tmp.File("b")), fallback);
  EXPECT_EQ(ReadFile(tmp.File("a")), XmlFile({"\t<key>f</key>", "\t<integer>2</integer>"}));
}

// After a load that could not read the file, or over a file it may not
// replace, the save wrote the lines the load had read (or none), the entries
// and the closing lines over the path: the result never loaded again, a link
// became a regular file, and a read-only file was replaced by the rename.
// Now nothing is written and the path stays as it was.
TEST_F(DocumentTest, SaveLeavesAPathItCannotReadOrReplaceAsItWas) {
  for (const testsupport::KeptPath& c : testsupport::kKeptPaths) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("a.plist");
    c.make(folder.Path(), path, XmlFile({"\t<key>a</key>", "\t<string>x</string>"}));
    const std::string before = testsupport::PathState(path);
    const std::string names = ListFolder(folder.Path());
    fw::ScopedHook<fw::SetFileOpenHook> deny(c.denyOpening ? testsupport::DenyOpening(path)
                                                           : fw::FileOpenHook());
    Document doc{FolderItem(path)};
    EXPECT_EQ(doc.errorMessage, c.loads ? "" : "Not a plist file") << c.name;
    doc.root->SetString("Server", "example.org");
    doc.error = false;
    doc.Save(true);
    EXPECT_TRUE(doc.error) << c.name;
    EXPECT_EQ(doc.errorMessage, "Could not open file for saving") << c.name;
    EXPECT_EQ(testsupport::PathState(path), before) << c.name;
    EXPECT_EQ(ListFolder(folder.Path()), names) << c.name;  // no temporary file left
  }
}

TEST_F(DocumentTest, ReadFailureWhileLoadingPassesToTheCaller) {
  WriteFile(tmp.File("a"), XmlFile({"\t<key>a</key>", "\t<string>x</string>"}));
  fw::ScopedHook<fw::SetFileOpenHook> failing(testsupport::FailReading(tmp.File("a")));
  EXPECT_THROW(Document{Item("a")}, fw::IOError);
}

// A link to a readable file keeps working: the file it leads to gets the
// saved document and the link stays a link.
TEST_F(DocumentTest, SaveThroughALinkReplacesTheFileItLeadsTo) {
  struct Case {
    const char* name;
    std::string bytes;  // of the file the link leads to
  };
  const Case cases[] = {
      {"a property list", XmlFile({"\t<key>a</key>", "\t<string>x</string>"})},
      {"an empty file", ""},
  };
  for (const Case& c : cases) {
    testsupport::TempFolder folder;
    WriteFile(folder.File("real"), c.bytes);
    ASSERT_EQ(symlink("real", folder.File("a.plist").c_str()), 0);
    {
      Document doc{FolderItem(folder.File("a.plist"))};
      doc.root->SetString("Server", "example.org");
      doc.error = false;
      doc.Save();
      EXPECT_FALSE(doc.error) << c.name << ": " << doc.errorMessage;
    }
    EXPECT_EQ(testsupport::PathState(folder.File("a.plist")).rfind("link to real (file ", 0), 0u)
        << c.name;
    EXPECT_EQ(ListFolder(folder.Path()), "a.plist\nreal\n") << c.name;
    Document back{FolderItem(folder.File("a.plist"))};
    EXPECT_FALSE(back.error) << c.name << ": " << back.errorMessage;
    EXPECT_EQ(back.root->GetString("Server"), "example.org") << c.name;
  }
}

// An empty settings file was saved as entries without any header line, which
// every later load again took for "Not a plist file": the file grew at each
// save and its values were never read back.
TEST_F(DocumentTest, EmptyFileIsSavedAsAReadableDocument) {
  WriteFile(tmp.File("a"), "");
  {
    Document doc(Item("a"));
    doc.root->SetInteger("Port", 3128);
    doc.Save();
  }
  Document back(Item("a"));
  EXPECT_FALSE(back.error);
  EXPECT_EQ(back.root->GetInteger("Port", 0), 3128);
  EXPECT_EQ(ReadFile(tmp.File("a")), XmlFile({"\t<key>Port</key>", "\t<integer>3128</integer>"}));
}

// A load or save that succeeds leaves an earlier error as it was.
TEST_F(DocumentTest, SuccessfulSaveKeepsTheLoadError) {
  Document doc(Item("a"));
  doc.Save();
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, tmp.File("a") + " does not exist");
}

TEST_F(DocumentTest, SaveThatCannotCreateTheFile) {
  Document doc(FolderItem(tmp.File("missing folder/a.plist")));
  doc.error = false;
  doc.Save();
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Could not open file for saving");
  EXPECT_EQ(ListFolder(tmp.Path()), "");
}

TEST_F(DocumentTest, FailedWriteLeavesTheOldFileWhole) {
  const std::string old = XmlFile({"<key>a</key>", "<string>old</string>"});
  WriteFile(tmp.File("a"), old);
  Document doc(Item("a"));
  doc.root->SetString("a", std::string(200000, 'x'));
  {
    fw::ScopedHook<fw::SetFileWriteHook> full([](int, const char*, std::size_t) -> long {
      errno = ENOSPC;
      return -1;
    });
    doc.Save();
  }
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Could not open file for saving");
  EXPECT_EQ(ReadFile(tmp.File("a")), old);
  EXPECT_EQ(ListFolder(tmp.Path()), "a\n");
}

// A file nested past the reader's bound was read only up to the bound, and
// Save then wrote the cut tree over it, losing the rest of the file; later
// the load gave the cut tree with no error and only the save refused. Now
// the load refuses it, and the file stays as it was.
TEST_F(DocumentTest, LoadPastTheNestingBoundIsRefusedAndNeverSavesOverTheFile) {
  std::vector<std::string> body = {"<key>first</key>", "<string>1</string>"};
  for (size_t i = 0; i < plistDict::kMaxDepth; ++i) {
    body.push_back("<key>k</key>");
    body.push_back("<dict>");
  }
  body.push_back("<key>leaf</key>");
  body.push_back("<string>bottom</string>");
  body.insert(body.end(), plistDict::kMaxDepth, "</dict>");
  body.push_back("<key>after</key>");
  body.push_back("<string>2</string>");
  const std::string old = XmlFile(body);
  WriteFile(tmp.File("a"), old);
  Document doc(Item("a"));
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Not a plist file");
  EXPECT_EQ(doc.root->name, "");
  EXPECT_EQ(doc.root->count(), 0);
  doc.error = false;
  doc.root->SetString("first", "changed");
  doc.Save();
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Could not open file for saving");
  EXPECT_TRUE(ReadFile(tmp.File("a")) == old);  // not printed: megabytes
  EXPECT_EQ(ListFolder(tmp.Path()), "a\n");
}

// At the bound itself the whole file is read, so saving works as usual.
TEST_F(DocumentTest, LoadAtTheNestingBoundSaves) {
  std::vector<std::string> body;
  for (size_t i = 1; i < plistDict::kMaxDepth; ++i) {
    body.push_back("<key>k</key>");
    body.push_back("<dict>");
  }
  body.insert(body.end(), plistDict::kMaxDepth - 1, "</dict>");
  body.push_back("<key>after</key>");
  body.push_back("<string>2</string>");
  WriteFile(tmp.File("a"), XmlFile(body));
  Document doc(Item("a"));
  EXPECT_EQ(doc.root->GetString("after"), "2");
  doc.Save();
  EXPECT_FALSE(doc.error);
  Document again(Item("a"));
  EXPECT_EQ(again.root->GetString("after"), "2");
}

// A tree built deeper than the reader follows was saved without complaint
// and read back cut at the bound: now nothing is written.
TEST_F(DocumentTest, TreeDeeperThanTheReaderFollowsIsNotSaved) {
  const std::string old = XmlFile({"<key>a</key>", "<string>old</string>"});
  WriteFile(tmp.File("a"), old);
  Document doc(Item("a"));
  plistDict* node = doc.root.get();
  for (size_t level = 1; level <= plistDict::kMaxDepth; ++level) {
    node->AddChild("d");
    node = node->child("d");
  }
  node->SetString("leaf", "one level too deep");
  doc.error = false;
  doc.Save(true);
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Could not open file for saving");
  EXPECT_EQ(ReadFile(tmp.File("a")), old);
  EXPECT_EQ(ListFolder(tmp.Path()), "a\n");
}

TEST_F(DocumentTest, CleanupOfAnXmlDocumentDeletesNothing) {
  WriteFile(tmp.File("a"), XmlFile({}));
  Document doc(Item("a"));
  doc.Save(true);
  EXPECT_TRUE(Item("a").Exists());
}

// ---- Binary sources through a fake plutil ------------------------------------

// Stands in for plutil: its "binary form" is "bplist00" followed by the XML
// text with its line ends hidden. It converts only the file it was told
// about, and only when it is called with exactly the document's command text.
class FakePlutil {
 public:
  explicit FakePlutil(std::string path)
      : path_(std::move(path)),
        guard_([this](const std::string& command, std::string&) { return Run(command); }) {}

  std::vector<std::string> commands;
  int toXmlStatus = 0;
  bool toXmlConverts = true;
  int toBinaryStatus = 0;
  bool toBinaryConverts = true;

  // One line, so an unconverted copy holds no "<dict>" line.
  static std::string Binary(std::string xml) {
    for (char& c : xml)
      if (c == '\n') c = '\x01';
    return "bplist00" + xml;
  }
  static std::string Xml(std::string binary) {
    for (char& c : binary)
      if (c == '\x01') c = '\n';
    return binary.substr(8);
  }

 private:
  int Run(const std::string& command) {
    commands.push_back(command);
    const std::string quoted = FolderItem(path_).ShellPath();
    std::string bytes = ReadFile(path_);
    const bool binary = bytes.rfind("bplist00", 0) == 0;
    if (command == "plutil -convert xml1 " + quoted) {
      if (toXmlConverts && binary) WriteFile(path_, Xml(bytes));
      return toXmlStatus;
    }
    if (command == "plutil -convert binary1 " + quoted) {
      if (toBinaryConverts && !binary) WriteFile(path_, Binary(bytes));
      return toBinaryStatus;
    }
    return 127;
  }

  std::string path_;
  fw::ScopedHook<fw::SetShellHook> guard_;
};

class BinaryDocument : public DocumentTest {
 protected:
  const std::string name = "it's a \"$name\" `x`.plist";
  const std::string xml = XmlFile({"\t<key>k</key>", "\t<string>v</string>"});
  std::string source() { return tmp.File(name); }
  std::string copy() { return tmp.File(name + " temp"); }
  std::string xmlCommand() { return "plutil -convert xml1 " + FolderItem(copy()).ShellPath(); }
  std::string binCommand() { return "plutil -convert binary1 " + FolderItem(copy()).ShellPath(); }
};

TEST_F(BinaryDocument, LoadReadsTheConvertedTempCopy) {
  WriteFile(source(), FakePlutil::Binary(xml));
  WriteFile(copy(), "an older copy");
  FakePlutil plutil(copy());
  Document doc{FolderItem(source())};
  EXPECT_EQ(plutil.commands, std::vector<std::string>{xmlCommand()});
  EXPECT_FALSE(doc.error);
  ASSERT_TRUE(doc.isBinary);
  ASSERT_TRUE(doc.org);
  EXPECT_EQ(doc.org->AbsolutePath(), source());
  ASSERT_TRUE(doc.savePath);
  EXPECT_EQ(doc.savePath->AbsolutePath(), copy());
  EXPECT_EQ(doc.Headers(), kNewHeaders);
  EXPECT_EQ(Describe(*doc.root), "k (string) = v\n");
  EXPECT_EQ(ReadFile(copy()), xml);  // the copy stays, in XML form
  EXPECT_EQ(ReadFile(source()), FakePlutil::Binary(xml));
}

TEST_F(BinaryDocument, SaveConvertsBackAndReplacesTheSource) {
  WriteFile(source(), FakePlutil::Binary(xml));
  FakePlutil plutil(copy());
  Document doc{FolderItem(source())};
  doc.root->SetString("k", "new");
  doc.Save();
  EXPECT_FALSE(doc.error);
  EXPECT_EQ(plutil.commands, (std::vector<std::string>{xmlCommand(), binCommand()}));
  const std::string saved =
      FakePlutil::Binary(XmlFile({"\t<key>k</key>", "\t<string>new</string>"}));
  EXPECT_EQ(ReadFile(source()), saved);
  EXPECT_EQ(ReadFile(copy()), saved);  // the copy is binary too
  doc.Cleanup();
  EXPECT_FALSE(FolderItem(copy()).Exists());
  ASSERT_TRUE(doc.savePath);
  EXPECT_EQ(doc.savePath->AbsolutePath(), copy());
  doc.Save(true);  // makes the copy again, converts, replaces, deletes it
  EXPECT_EQ(ReadFile(source()), saved);
  EXPECT_EQ(ListFolder(tmp.Path()), name + "\n");
}

TEST_F(BinaryDocument, BinaryFallbackIsWrittenBackToItself) {
  const std::string fallback = tmp.File("fallback.plist");
  WriteFile(fallback, FakePlutil::Binary(xml));
  FakePlutil plutil(fallback + " temp");
  Document doc(Item("missing.plist"), FolderItem(fallback));
  EXPECT_TRUE(doc.isBinary);
  doc.root->SetString("k", "changed");
  doc.Save(true);
  EXPECT_EQ(ReadFile(fallback),
            FakePlutil::Binary(XmlFile({"\t<key>k</key>", "\t<string>changed</string>"})));
  EXPECT_FALSE(Item("missing.plist").Exists());
}

// The binary source is replaced only by a copy that was written and really
// converted back; otherwise it stays as it was.
TEST_F(BinaryDocument, SourceStaysUntouchedWhenSavingCannotComplete) {
  struct Case {
    const char* name;
    void (*setup)(FakePlutil&);
    bool failWrites;
    std::vector<int> commandsRun;  // 0: xml1, 1: binary1
    const char* message;
  };
  const Case cases[] = {
      {"conversion back reports failure",
       [](FakePlutil& p) {
         p.toBinaryStatus = 1;
         p.toBinaryConverts = false;
       },
       false,
       {0, 1},
       "Could not open file for saving"},
      {"conversion back claims success but leaves text",
       [](FakePlutil& p) { p.toBinaryConverts = false; },
       false,
       {0, 1},
       "Could not open file for saving"},
      {"text file cannot be written",
       [](FakePlutil&) {},
       true,
       {0},
       "Could not open file for saving"},
      {"load ended in Not a plist file",
       [](FakePlutil& p) {
         p.toXmlStatus = 1;
         p.toXmlConverts = false;
       },
       false,
       {0},
       "Could not open file for saving"},
  };
  for (const Case& c : cases) {
    const std::string original = FakePlutil::Binary(xml);
    WriteFile(source(), original);
    FakePlutil plutil(copy());
    c.setup(plutil);
    Document doc{FolderItem(source())};
    doc.root->SetString("k", "new");  // a blank root drops its error
    doc.error = false;
    doc.errorMessage = "";
    {
      fw::ScopedHook<fw::SetFileWriteHook> writes(
          c.failWrites ? fw::FileWriteHook([](int, const char*, std::size_t) -> long {
            errno = EIO;
            return -1;
          })
                       : fw::FileWriteHook());
      doc.Save();
    }
    EXPECT_EQ(ReadFile(source()), original) << c.name;
    std::vector<std::string> expected;
    for (int i : c.commandsRun) expected.push_back(i == 0 ? xmlCommand() : binCommand());
    EXPECT_EQ(plutil.commands, expected) << c.name;
    EXPECT_TRUE(doc.error) << c.name;
    EXPECT_EQ(doc.errorMessage, c.message) << c.name;
    std::remove(copy().c_str());
  }
}

// A read-only binary source was replaced by the copy's rename all the same.
TEST_F(BinaryDocument, ReadOnlySourceIsNotReplaced) {
  WriteFile(source(), FakePlutil::Binary(xml));
  chmod(source().c_str(), 0444);
  const std::string before = testsupport::PathState(source());
  FakePlutil plutil(copy());
  Document doc{FolderItem(source())};
  EXPECT_FALSE(doc.error);
  doc.root->SetString("k", "new");
  doc.error = false;
  doc.Save(true);
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Could not open file for saving");
  EXPECT_EQ(plutil.commands, std::vector<std::string>{xmlCommand()});
  EXPECT_EQ(testsupport::PathState(source()), before);
  EXPECT_EQ(ListFolder(tmp.Path()), name + "\n");
}

TEST_F(BinaryDocument, SourceReachedThroughALinkStaysALink) {
  WriteFile(tmp.File("real"), FakePlutil::Binary(xml));
  ASSERT_EQ(symlink("real", source().c_str()), 0);
  FakePlutil plutil(copy());
  Document doc{FolderItem(source())};
  doc.root->SetString("k", "new");
  doc.Save(true);
  EXPECT_FALSE(doc.error) << doc.errorMessage;
  EXPECT_EQ(testsupport::PathState(source()).rfind("link to real (file ", 0), 0u);
  EXPECT_EQ(ReadFile(tmp.File("real")),
            FakePlutil::Binary(XmlFile({"\t<key>k</key>", "\t<string>new</string>"})));
  EXPECT_EQ(ListFolder(tmp.Path()), name + "\nreal\n");
}

TEST_F(BinaryDocument, NotAPlistLoadKeepsTheBinaryState) {
  WriteFile(source(), FakePlutil::Binary(xml));
  FakePlutil plutil(copy());
  plutil.toXmlConverts = false;
  Document doc{FolderItem(source())};
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Not a plist file");
  ASSERT_TRUE(doc.isBinary);
  ASSERT_TRUE(doc.org);
  EXPECT_EQ(doc.org->AbsolutePath(), source());
  ASSERT_TRUE(doc.savePath);
  EXPECT_EQ(doc.savePath->AbsolutePath(), copy());
  EXPECT_EQ(doc.root->name, "");
  // The unconverted copy's one line was read as a header line.
  EXPECT_EQ(doc.Headers(), std::vector<std::string>{FakePlutil::Binary(xml)});
}

// A conversion that plutil refused was read all the same, so whatever text
// the copy then held could become the tree that a save wrote over the source.
TEST_F(BinaryDocument, RefusedConversionOnLoadIsNotAPlist) {
  const std::string original = FakePlutil::Binary(xml);
  WriteFile(source(), original);
  FakePlutil plutil(copy());
  plutil.toXmlStatus = 1;  // converts, but reports a failure
  Document doc{FolderItem(source())};
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Not a plist file");
  EXPECT_EQ(Describe(*doc.root), "");
  doc.Save(true);
  EXPECT_EQ(plutil.commands, std::vector<std::string>{xmlCommand()});
  EXPECT_EQ(ReadFile(source()), original);
  EXPECT_EQ(ListFolder(tmp.Path()), name + "\n");
}

// ---- Dump ----------------------------------------------------------------------

TEST_F(DocumentTest, DumpPutsLevelsOnTheClipboardInPostOrder) {
  fw::ScopedHook<fw::SetClipboardBackend> clip(nullptr);  // a fresh in-memory clipboard
  WriteFile(tmp.File("a"),
            XmlFile({"<key>read</key>", "<string>a&lt;b</string>", "<key>d</key>", "<dict>",
                     "<key>x</key>", "<integer>1</integer>", "<key>e</key>", "<array>", "<true/>",
                     "</array>", "</dict>", "<key>empty</key>", "<array/>"}));
  Document doc(Item("a"));
  doc.root->SetString("set", "v");
  fw::Clipboard().SetText("old text");
  doc.Dump();
  const std::string expected =
      Join(kNewHeaders, "\r") +
      // the nested array at indent 3, then the dict holding it at indent 2
      Join({"\t\t\t<true/>"}, "\r") +
      Join({"\t\t<key>x</key>", "\t\t<nosearch/>", "\t\t<integer>1</integer>", "\t\t<key>e</key>",
            "\t\t<nosearch/>", "\t\t<array>", "\t\t</array>"},
           "\r") +
      Join({"\t<key>read</key>", "\t<nosearch/>", "\t<string>a&lt;b</string>", "\t<key>d</key>",
            "\t<nosearch/>", "\t<dict>", "\t</dict>", "\t<key>empty</key>", "\t<nosearch/>",
            "\t<array/>", "\t<key>set</key>", "\t<search/>", "\t<string>v</string>"},
           "\r") +
      "</dict>\r</plist>\r";
  EXPECT_EQ(fw::Clipboard().Text(), expected);
}

// A deep tree is dumped without one call per level: in a small stack.
TEST_F(DocumentTest, DeepTreeIsDumpedWithinASmallStack) {
  fw::ScopedHook<fw::SetClipboardBackend> clip(nullptr);
  const int depth = 1000;
  plistDict root;
  plistDict* node = &root;
  for (int i = 0; i < depth; ++i) {
    node->AddArray("a");
    node = node->child("a");
    node->AppendDict();
    node = node->index(0);
  }
  node->SetBoolean("leaf", true);
  xmltest::RunWithSmallStack([&] { root.Dump(0); });
  const std::string text = fw::Clipboard().Text();
  // The innermost level comes first, the root's rendering last.
  EXPECT_EQ(text.substr(0, 2 * depth + 30).find(std::string(2 * depth, '\t') + "<key>leaf</key>\r"),
            0u);
  const std::string rootRendering = "<key>a</key>\r<search/>\r<array>\r</array>\r";
  ASSERT_GT(text.size(), rootRendering.size());
  EXPECT_EQ(text.substr(text.size() - rootRendering.size()), rootRendering);
}

TEST_F(DocumentTest, LevelDumpAppendsToTheClipboard) {
  fw::ScopedHook<fw::SetClipboardBackend> clip(nullptr);
  plistDict node;
  node.types.SetValue("k", "data");
  node.values.SetValue("k", "AA\n");
  fw::Clipboard().SetText("before\r");
  node.Dump(0);
  EXPECT_EQ(fw::Clipboard().Text(),
            "before\r<key>k</key>\r<nosearch/>\r<data>\rAA&#10;\r</data>\r");
}

// ---- A second Load ---------------------------------------------------------------

// A second Load added the header lines it read to those of the first and
// kept the binary flag, the source and the error state: a save then wrote
// both sets of header lines, reported success, and the next load said "Not
// a plist file". Every load now starts afresh, as the first one does.
class SecondLoad : public DocumentTest {
 protected:
  const std::string b = Join({"<?xml version=\"1.0\"?>", "<plist>", "<!-- b's own -->", "<dict>",
                              "\t<key>b</key>", "\t<integer>2</integer>", "</dict>", "</plist>"});
  void SetUp() override { WriteFile(tmp.File("b"), b); }

  // Loads b into doc, saves, and checks that b's bytes, and its tree on a
  // load of their own, are as they were.
  void LoadSaveAndLoadAgain(Document& doc) {
    doc.Load(Item("b"), Item("b"));
    EXPECT_FALSE(doc.error) << doc.errorMessage;
    EXPECT_EQ(doc.errorMessage, "");
    EXPECT_EQ(Describe(*doc.root), "b (integer) = 2\n");
    doc.Save();
    EXPECT_FALSE(doc.error) << doc.errorMessage;
    EXPECT_EQ(ReadFile(tmp.File("b")), b);
    Document again(Item("b"));
    EXPECT_FALSE(again.error) << again.errorMessage;
    EXPECT_EQ(Describe(*again.root), "b (integer) = 2\n");
  }
};

TEST_F(SecondLoad, AfterAnXmlFileTheSaveWritesOnlyTheNewHeaderLines) {
  const std::string a = Join({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<!-- a's own -->",
                              "<plist version=\"1.0\">", "<dict>", "\t<key>a</key>",
                              "\t<string>1</string>", "</dict>", "</plist>"});
  WriteFile(tmp.File("a"), a);
  Document doc(Item("a"));
  ASSERT_FALSE(doc.error) << doc.errorMessage;
  LoadSaveAndLoadAgain(doc);
  EXPECT_EQ(ReadFile(tmp.File("a")), a);
}

TEST_F(SecondLoad, ErrorOfTheFirstLoadIsNotKept) {
  WriteFile(tmp.File("a"), "not a plist\n");
  for (const char* first : {"a", "missing"}) {
    Document doc(Item(first));
    ASSERT_TRUE(doc.error) << first;
    LoadSaveAndLoadAgain(doc);
  }
  EXPECT_EQ(ReadFile(tmp.File("a")), "not a plist\n");
  EXPECT_FALSE(Item("missing").Exists());
}

TEST_F(SecondLoad, BinarySourceOfTheFirstLoadIsNotKept) {
  const std::string source = tmp.File("s.plist"), copy = tmp.File("s.plist temp");
  const std::string binary = FakePlutil::Binary(XmlFile({"<key>k</key>", "<string>v</string>"}));
  WriteFile(source, binary);
  FakePlutil plutil(copy);
  Document doc{FolderItem(source)};
  ASSERT_TRUE(doc.isBinary);
  LoadSaveAndLoadAgain(doc);
  EXPECT_FALSE(doc.isBinary);
  EXPECT_FALSE(doc.org);
  ASSERT_TRUE(doc.savePath);
  EXPECT_EQ(doc.savePath->AbsolutePath(), tmp.File("b"));
  EXPECT_EQ(plutil.commands.size(), 1u);  // the first load's conversion only
  EXPECT_EQ(ReadFile(source), binary);
}

// A second Load forgot the binary source but left its " temp" copy beside it,
// where no later Cleanup() could reach it.
TEST_F(SecondLoad, TempCopyOfTheFirstBinarySourceIsDeleted) {
  const std::string source = tmp.File("s.plist"), copy = tmp.File("s.plist temp");
  WriteFile(source, FakePlutil::Binary(XmlFile({"<key>k</key>", "<string>v</string>"})));
  FakePlutil plutil(copy);
  Document doc{FolderItem(source)};
  ASSERT_TRUE(doc.isBinary);
  ASSERT_TRUE(FolderItem(copy).Exists());
  LoadSaveAndLoadAgain(doc);
  EXPECT_FALSE(FolderItem(copy).Exists());
  EXPECT_TRUE(FolderItem(source).Exists());
}

// The hit pointed into the tree that the second load released.
TEST_F(SecondLoad, SearchHitOfTheFirstTreeIsForgotten) {
  WriteFile(tmp.File("a"), XmlFile({"<key>a</key>", "<string>found</string>"}));
  Document doc(Item("a"));
  ASSERT_TRUE(doc.Find("found"));
  ASSERT_NE(doc.foundDict, nullptr);
  LoadSaveAndLoadAgain(doc);
  EXPECT_EQ(doc.foundDict, nullptr);
  EXPECT_EQ(doc.foundKey, "");
  EXPECT_EQ(doc.foundValue, "");
  EXPECT_EQ(doc.foundType, "");
  EXPECT_TRUE(doc.FindNext("2"));
  EXPECT_EQ(doc.foundKey, "b");
}

// ---- Escaping and line breaks survive a save and a load ------------------------

TEST_F(DocumentTest, AnyTextReadsBackAsStored) {
  const std::vector<std::string> texts = {
      "a & b",       "&amp;",        "&lt;tag&gt;", "<string>",     "</dict>",
      "line\nbreak", "cr\rlf\r\n",   "\n\tlead",    "trail\n",      "\ttabbed\n\t\tdeeper",
      "><",          "<key>k</key>", "&#10;",       "\xe6\x97\xa5", "",
      "  spaced  ",  "<dict/>",      "]]>",         "a\n\nb",       "<!-- c -->",
  };
  Document doc(Item("a"));
  doc.root->AddArray("values");
  plistDict& values = *doc.root->child("values");
  for (const auto& t : texts) {
    values.AppendString(t);
    doc.root->SetString(t.empty() ? "empty" : "key " + t, t);
  }
  doc.root->SetData("data", "AA\r\nBB&<>");
  doc.Save();
  Document back(Item("a"));
  EXPECT_FALSE(back.error) << back.errorMessage;
  EXPECT_EQ(Describe(*back.root), Describe(*doc.root));
  EXPECT_EQ(back.root->GetString("key </dict>"), "</dict>");
  EXPECT_EQ(back.root->child("values")->count(), static_cast<int>(texts.size()));
  // Every element stands on one line of the file.
  std::string file = ReadFile(tmp.File("a"));
  EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 0);
}

// ---- What a save keeps: owner, long names, the file under a size limit ----------

class DocumentSave : public DocumentTest {
 protected:
  const std::string old = XmlFile({"\t<key>Server</key>", "\t<string>old</string>"});

  // Loads path, sets Server and saves; the document's error message after
  // the save ("" when none was recorded).
  static std::string SaveServer(const std::string& path, const std::string& server) {
    Document doc{FolderItem(path)};
    doc.root->SetString("Server", server);
    doc.error = false;
    doc.errorMessage = "";
    doc.Save();
    return doc.error ? doc.errorMessage : "";
  }
  static std::string ServerIn(const std::string& path) {
    Document doc{FolderItem(path)};
    return doc.error ? "error: " + doc.errorMessage : doc.root->GetString("Server");
  }
  static std::string OwnerAndMode(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return "missing";
    return std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid) + " " +
           std::to_string(st.st_mode & 07777);
  }
};

// A save by root gave a settings file of user nobody (mode 0600) to root,
// and its owner could no longer read it.
TEST_F(DocumentSave, FileOfAnotherUserKeepsOwnerGroupAndMode) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give files to another user";
  struct Case {
    const char* name;
    const char* link;  // the document's path is a link to the file, or nullptr
  };
  const Case cases[] = {{"the file itself", nullptr}, {"through a link", "link.plist"}};
  for (const Case& c : cases) {
    testsupport::TempFolder folder;
    const std::string file = folder.File("a.plist");
    WriteFile(file, old);
    ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    const std::string path = c.link ? folder.File(c.link) : file;
    if (c.link) {
      ASSERT_EQ(symlink("a.plist", path.c_str()), 0);
    }
    const std::string names = ListFolder(folder.Path());
    EXPECT_EQ(SaveServer(path, "new"), "") << c.name;
    EXPECT_EQ(OwnerAndMode(file), "65534:65534 384") << c.name;  // 0600
    EXPECT_EQ(ServerIn(path), "new") << c.name;
    EXPECT_EQ(ListFolder(folder.Path()), names) << c.name;
    if (c.link) {
      EXPECT_EQ(testsupport::PathState(path).rfind("link to a.plist (file 0600: ", 0), 0u);
    }
  }
}

// The binary source is replaced by a copy of the converted file: it keeps
// its owner, group and mode as well.
TEST_F(DocumentSave, BinarySourceOfAnotherUserKeepsOwnerGroupAndMode) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give files to another user";
  const std::string source = tmp.File("b.plist");
  WriteFile(source, FakePlutil::Binary(old));
  ASSERT_EQ(chown(source.c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod(source.c_str(), 0640), 0);
  FakePlutil plutil(source + " temp");
  EXPECT_EQ(SaveServer(source, "new"), "");
  EXPECT_EQ(OwnerAndMode(source), "65534:65534 416");  // 0640
  EXPECT_EQ(FakePlutil::Xml(ReadFile(source)),
            XmlFile({"\t<key>Server</key>", "\t<string>new</string>"}));
}

// A name of 240 to 255 bytes loaded but never saved: "Could not open file
// for saving", since the temporary name passed the file system's limit.
TEST_F(DocumentSave, NamesUpToTheFileSystemsLimitSaveAndReload) {
  std::string kanji;
  for (int i = 0; i < 85; ++i) kanji += "\xE6\x97\xA5";
  const std::string names[] = {std::string(250, 'n'), std::string(245, 'n') + ".plist",
                               std::string(255, 'n'), kanji};
  for (const std::string& name : names) {
    WriteFile(tmp.File(name), old);
    EXPECT_EQ(ServerIn(tmp.File(name)), "old") << name.size();
    EXPECT_EQ(SaveServer(tmp.File(name), "new"), "") << name.size();
    EXPECT_EQ(ServerIn(tmp.File(name)), "new") << name.size();
    EXPECT_EQ(ListFolder(tmp.Path()), name + "\n") << name.size();
    std::remove(tmp.File(name).c_str());
  }
}

// A save under a file-size limit was ended by SIGXFSZ and left an empty
// temporary file beside the original. Now it records its failure, in a
// process that ignores the signal or not, and leaves only the original.
TEST_F(DocumentSave, FileSizeLimitFailsTheSaveAndLeavesTheOriginal) {
  for (bool ignoreSignal : {false, true}) {
    WriteFile(tmp.File("a"), old);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (ignoreSignal) signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit;
      getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = 4096;
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(9);
      const std::string message = SaveServer(tmp.File("a"), std::string(100000, 'x'));
      _exit(message == "Could not open file for saving" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status))
        << ignoreSignal << ": ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << ignoreSignal;
    EXPECT_EQ(ReadFile(tmp.File("a")), old) << ignoreSignal;
    EXPECT_EQ(ListFolder(tmp.Path()), "a\n") << ignoreSignal;
  }
}

}  // namespace
