// Files written by Python's plistlib, one table of them. Each is loaded into
// the store's document and saved with no edit, and, apart from that, converted
// by plutil alone. Either plistlib then reads the same tree back, or the load,
// the save or the conversion reports its failure and the file's bytes are as
// they were: never a silent change.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>

#include "framework/core/FolderItem.h"
#include "framework/core/Shell.h"
#include "plist/plist.h"
#include "tests/store/support/XmlTree.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// Same: plistlib reads the same tree from the file and its save. Exact: the
// save gives back the file's bytes (the layout table only). Refused: the
// load reports "Not a plist file" and the file stays as it was.
enum class Outcome { Same, Exact, Refused };

struct TableCase {
  const char* name;
  const char* form;            // "xml" or "binary"
  const char* value;           // a Python expression, given to plistlib
  Outcome document;            // of a load and a save with no edit
  Outcome plutil;              // of plutil -convert to the other form and back
  const char* from = nullptr;  // text of plistlib's output replaced by `to`
  const char* to = nullptr;
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

constexpr auto Same = Outcome::Same;
constexpr auto Exact = Outcome::Exact;
constexpr auto Refused = Outcome::Refused;

const char* const kEdge32 =
    "{'max': 2**31 - 1, 'past max': 2**31, 'min': -2**31, 'past min': -2**31 - 1,"
    " 'unsigned max': 2**32 - 1, 'past unsigned max': 2**32}";
const char* const kEdge64 =
    "{'max': 2**63 - 1, 'past max': 2**63, 'unsigned max': 2**64 - 1, 'min': -2**63}";

const TableCase kTable[] = {
    {"XmlDate0001", "xml", "{'v': datetime.datetime(1, 1, 1)}", Same, Same},
    {"XmlDate1900", "xml", "{'v': datetime.datetime(1900, 1, 1)}", Same, Same},
    {"XmlDate2100", "xml", "{'v': datetime.datetime(2100, 1, 1)}", Same, Same},
    {"XmlDate9999", "xml", "{'v': datetime.datetime(9999, 12, 31, 23, 59, 59)}", Same, Same},
    {"BinaryDate0001", "binary", "{'v': datetime.datetime(1, 1, 1)}", Same, Same},
    {"BinaryDate1900", "binary", "{'v': datetime.datetime(1900, 1, 1)}", Same, Same},
    {"BinaryDate2100", "binary", "{'v': datetime.datetime(2100, 1, 1)}", Same, Same},
    {"BinaryDate9999", "binary", "{'v': datetime.datetime(9999, 12, 31, 23, 59, 59)}", Same, Same},
    // The XML form holds whole seconds: a fraction would be lost on the way.
    {"BinaryDateWithMicroseconds", "binary",
     "{'v': datetime.datetime(2024, 5, 6, 7, 8, 9, 123456)}", Refused, Refused},
    // plistlib writes CR LF and CR in XML as LF; the binary form keeps them.
    {"XmlLf", "xml", "{'v': 'line1\\nline2'}", Same, Same},
    {"XmlCrLf", "xml", "{'v': 'one\\r\\ntwo'}", Same, Same},
    {"XmlCr", "xml", "{'v': 'x\\ry'}", Same, Same},
    {"BinaryLf", "binary", "{'v': 'line1\\nline2'}", Same, Same},
    {"BinaryCrLf", "binary", "{'v': 'one\\r\\ntwo'}", Same, Same},
    {"BinaryCr", "binary", "{'v': 'x\\ry'}", Same, Same},
    {"XmlTabsAfterABreak", "xml", "{'v': 'a\\n\\tb\\n\\t\\tc'}", Same, Same},
    {"XmlLeadingBreak", "xml", "{'v': '\\nstarts'}", Same, Same},
    {"XmlTrailingBreak", "xml", "{'v': 'ends\\n'}", Same, Same},
    {"XmlTabsAtTheEnd", "xml", "{'v': 'a\\n\\t \\t'}", Same, Same},
    {"XmlBlankLines", "xml", "{'v': 'a\\n\\n\\nb', 'only breaks': '\\n\\n'}", Same, Same},
    {"BinaryTabsAndBreaks", "binary", "{'v': '\\n\\ta\\r\\n\\n\\tb\\n', 'w': 'ends\\n'}", Same,
     Same},
    {"XmlKeyWithABreak", "xml", "{'k\\nk': 'v', '\\tlead\\n\\t': 1, 'last': 2}", Same, Same},
    {"BinaryKeyWithABreak", "binary", "{'k\\nk': 'v', '\\tlead\\r\\n': 1}", Same, Same},
    // The XML form cannot hold NUL, and libplist cuts a string at one.
    {"BinaryNulInAString", "binary", "{'v': 'a\\0b'}", Refused, Refused},
    {"BinaryNulInAKey", "binary", "{'a\\0b': 'v'}", Refused, Refused},
    {"XmlIntegers32BitEdges", "xml", kEdge32, Same, Same},
    {"BinaryIntegers32BitEdges", "binary", kEdge32, Same, Same},
    {"XmlIntegers64BitEdges", "xml", kEdge64, Same, Same},
    {"BinaryIntegers64BitEdges", "binary", kEdge64, Same, Same},
    // plistlib writes neither; the store keeps the text, plutil refuses it.
    {"XmlIntegerPast2To64", "xml", "{'v': 2**63}", Same, Refused, "9223372036854775808",
     "18446744073709551616"},
    {"XmlIntegerBelowMinus2To63", "xml", "{'v': -2**63}", Same, Refused, "-9223372036854775808",
     "-9223372036854775809"},
};

std::string ReadBytes(const fs::path& path) { return testsupport::ReadFile(path); }

// The text as one word for /bin/sh.
std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// python3 from PATH, else Debian's /usr/bin/python3; empty when neither runs.
std::string FindPython() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  for (std::size_t start = 0; start <= dirs.size();) {
    std::size_t end = std::min(dirs.find(':', start), dirs.size());
    std::string candidate = dirs.substr(start, end - start) + "/python3";
    if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "";
}

// Runs a shell command line; its exit status, its output in output.
int RunShell(const std::string& command, std::string& output) {
  fw::Shell shell;
  shell.Execute(command + " 2>&1");
  output = shell.Result();
  return shell.ErrorCode();
}

// What every test of this file shares, made once: the interpreter (found
// through PATH, then asked for its own path, so that launcher scripts run
// once only), the helper script, the built plutil, and the table's files.
struct Shared {
  std::string problem;  // why the tests cannot run, or empty
  std::string python, script, plutil;
  testsupport::TempFolder folder;
  fs::path originals;  // one file per case of the table, by its name

  Shared() {
    const std::string bin = testsupport::BinDir(), source = testsupport::SourceDir();
    // The document runs "plutil" through the shell: find the built one first.
    const char* path = std::getenv("PATH");
    ::setenv("PATH", (bin + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
    plutil = bin + "/plutil";
    script = source + "/tests/tools/plistlib_files.py";
    std::string found = FindPython(), output;
    if (found.empty() || RunShell(Quote(found) + " " + Quote(script) + " where", output) != 0) {
      problem =
          "python3 is needed to make and read the plistlib files (scripts/deps.sh "
          "installs it): " +
          (found.empty() ? std::string("none on PATH or at /usr/bin/python3") : output);
      return;
    }
    python = output.substr(0, output.find('\n'));
    originals = folder.Path();
    std::string command = Python() + " make";
    for (const TableCase& c : kTable) {
      command += " " + Quote(originals / c.name) + " " + c.form + " " + Quote(c.value) + " " +
                 Quote(c.from ? c.from : "") + " " + Quote(c.to ? c.to : "");
    }
    if (RunShell(command, output) != 0) problem = "plistlib failed: " + output;
  }

  std::string Python() const { return Quote(python) + " " + Quote(script); }
};

const Shared& Files() {
  static const Shared shared;
  return shared;
}

class PlistlibFiles : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Files().problem, ""); }

  // Whether plistlib reads the same tree from every file.
  static testing::AssertionResult SameTree(std::initializer_list<fs::path> files) {
    std::string command = Files().Python() + " same", output;
    for (const fs::path& file : files) command += " " + Quote(file);
    if (RunShell(command, output) == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << output;
  }

  static int Convert(const char* format, const fs::path& file, std::string& output) {
    return RunShell(Quote(Files().plutil) + " -convert " + format + " " + Quote(file), output);
  }

  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }

  testsupport::TempFolder folder_;
  const fs::path dir_ = folder_.Path();
};

class PlistlibTable : public PlistlibFiles, public testing::WithParamInterface<TableCase> {};

TEST_P(PlistlibTable, LoadAndSaveChangeNothing) {
  const TableCase& c = GetParam();
  const fs::path original = Files().originals / c.name, file = dir_ / "it's a \"$name\".plist";
  fs::copy_file(original, file);
  const std::string bytes = ReadBytes(file);
  std::string loadMessage, saveMessage;
  bool loadFailed = false, saveFailed = false;
  {
    plist doc{fw::FolderItem(file.string())};
    loadFailed = doc.error;
    loadMessage = doc.errorMessage;
    doc.error = false;
    doc.Save(true);  // also after a failed load, as the settings module does
    saveFailed = doc.error;
    saveMessage = doc.errorMessage;
  }
  if (c.document == Same) {
    EXPECT_FALSE(loadFailed) << loadMessage;
    EXPECT_FALSE(saveFailed) << saveMessage;
    EXPECT_TRUE(SameTree({original, file}));
  } else {
    EXPECT_TRUE(loadFailed);
    EXPECT_EQ(loadMessage, "Not a plist file");
    EXPECT_TRUE(ReadBytes(file) == bytes) << "the file changed";
  }
  EXPECT_EQ(ReadBytes(file).substr(0, 6) == "bplist", std::string(c.form) == "binary");
  EXPECT_EQ(FilesInFolder(), 1u);  // the temporary copy is gone
}

TEST_P(PlistlibTable, PlutilConvertsExactlyOrRefuses) {
  const TableCase& c = GetParam();
  const bool xml = std::string(c.form) == "xml";
  const fs::path original = Files().originals / c.name, other = dir_ / "other",
                 back = dir_ / "back";
  fs::copy_file(original, other);
  const std::string bytes = ReadBytes(other);
  std::string output;
  const int status = Convert(xml ? "binary1" : "xml1", other, output);
  if (c.plutil == Refused) {
    EXPECT_NE(status, 0);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
    EXPECT_TRUE(ReadBytes(other) == bytes) << "the file changed";
    return;
  }
  ASSERT_EQ(status, 0) << output;
  fs::copy_file(other, back);
  ASSERT_EQ(Convert(xml ? "xml1" : "binary1", back, output), 0) << output;
  EXPECT_EQ(ReadBytes(other).substr(0, 6) == "bplist", xml);
  EXPECT_TRUE(SameTree({original, other, back}));
}

INSTANTIATE_TEST_SUITE_P(Plistlib, PlistlibTable, testing::ValuesIn(kTable),
                         [](const auto& info) { return std::string(info.param.name); });

// Files laid out as people and other tools write them. Each was loaded and
// saved with no edit while data was lost or the file left unreadable, or
// kept lines were refused, or a value lost its type. Now either plistlib
// reads the saved file as it read the original (and a save of a file in the
// writer's own layout gives back its bytes), or the load ends in "Not a
// plist file" with a blank root and the save leaves the file's bytes as they
// were.
const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const char* const kDoctypeAndPlist =
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";
const std::string kHeader = std::string(kDeclaration) + kDoctypeAndPlist;

struct LayoutCase {
  const char* name;
  std::string body;  // the lines between the header lines and the end
  Outcome outcome;
  std::string end = "</dict>\n</plist>\n";
  std::string header = kHeader;  // the lines before the body
  std::string tree = {};         // when given, the loaded root (xmltest::Describe)
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

// The root, kMaxDepth + extra levels deep in all (the root one of them).
std::string Nested(int extra) {
  const size_t levels = plistDict::kMaxDepth + static_cast<size_t>(extra);
  std::string body = "<dict>\n";
  for (size_t i = 1; i < levels; ++i) body += "<key>d</key>\n<dict>\n";
  body += "<key>leaf</key>\n<string>x</string>\n";
  for (size_t i = 1; i < levels; ++i) body += "</dict>\n";
  return body;
}

const char* const kOneString = "<dict>\n\t<key>a</key>\n\t<string>x</string>\n";

const LayoutCase kLayouts[] = {
    {"CommentBetweenEntries",
     "<dict>\n\t<key>a</key>\n\t<string>x</string>\n\t<!-- c -->\n\t<key>b</key>\n"
     "\t<string>y</string>\n",
     Refused},
    {"BlanksAsIndentation",
     "<dict>\n  <key>a</key>\n  <string>x</string>\n  <key>d</key>\n  <dict>\n    <key>b</key>\n"
     "    <integer>1</integer>\n  </dict>\n",
     Same},
    {"ReferencesInAValue",
     "<dict>\n\t<key>a</key>\n\t<string>&quot;q&quot; &apos;a&apos; &#9;tab &#x1F600; "
     "&#xA;line</string>\n",
     Same},
    {"ReferencesInAKey", "<dict>\n\t<key>&quot;&apos;&#9;&#x1F600;&#xA;</key>\n\t<true/>\n", Same},
    {"Cdata", "<dict>\n\t<key>a</key>\n\t<string><![CDATA[a<b]]></string>\n", Refused},
    {"CdataOverLines", "<dict>\n\t<key>a</key>\n\t<string><![CDATA[a\nb<c]]></string>\n", Refused},
    {"EmptyDictWrittenOpenAndClosed",
     "<dict>\n\t<key>d</key>\n\t<dict></dict>\n\t<key>b</key>\n\t<string>y</string>\n", Same},
    {"EmptyArrayWrittenOpenAndClosed",
     "<dict>\n\t<key>a</key>\n\t<array></array>\n\t<key>b</key>\n\t<string>y</string>\n", Same},
    {"SelfClosingString", "<dict>\n\t<key>s</key>\n\t<string/>\n\t<key>b</key>\n\t<true/>\n",
     Refused},
    {"SelfClosingData", "<dict>\n\t<key>s</key>\n\t<data/>\n\t<key>b</key>\n\t<true/>\n", Refused},
    {"SelfClosingKey", "<dict>\n\t<key/>\n\t<string>x</string>\n\t<key>b</key>\n\t<true/>\n",
     Refused},
    {"SelfClosingTrueWithABlank", "<dict>\n\t<key>t</key>\n\t<true />\n\t<key>b</key>\n\t<true/>\n",
     Same},
    {"SelfClosingDictWithABlank", "<dict>\n\t<key>d</key>\n\t<dict />\n\t<key>b</key>\n\t<true/>\n",
     Same},
    {"TwoArrayElementsOnOneLine",
     "<dict>\n\t<key>a</key>\n\t<array>\n\t\t<integer>1</integer><integer>2</integer>\n\t</"
     "array>\n",
     Same},
    {"OneLineArrayThenAKey",
     "<dict>\n\t<key>a</key>\n\t<array><integer>1</integer><string>x</string></array>\n"
     "\t<key>b</key>\n\t<string>y</string>\n",
     Same},
    {"KeyAndValueOnOneLine", "<dict>\n\t<key>a</key> <string>x</string>\n", Same},
    {"ClosingLinesOnTheLastValueLine",
     "<dict>\n\t<key>a</key>\n\t<string>x</string></dict></plist>\n", Same, ""},
    {"TrailingBlanksAfterAKey", "<dict>\n\t<key>a</key>  \n\t<string>x</string>\n", Same},
    {"BlanksInTags", "<dict>\n\t<key >a</key >\n\t<string >x</string >\n", Same},
    {"DuplicateKeyHoldingTwoDicts",
     "<dict>\n\t<key>d</key>\n\t<dict>\n\t\t<key>x</key>\n\t\t<true/>\n\t</dict>\n\t<key>d</key>\n"
     "\t<dict>\n\t\t<key>y</key>\n\t\t<true/>\n\t</dict>\n",
     Refused},
    {"RootArrayWithADictInColumn0",
     "<array>\n\t<string>x</string>\n<dict>\n\t<key>a</key>\n\t<true/>\n</dict>\n</array>\n",
     Refused, "</plist>\n"},
    {"MultiLineStringWithCrLf", "<dict>\r\n\t<key>v</key>\r\n\t<string>one\r\ntwo</string>\r\n",
     Same, "</dict>\r\n</plist>\r\n"},
    {"MultiLineStringWithCr", "<dict>\r\t<key>v</key>\r\t<string>one\rtwo</string>\r", Same,
     "</dict>\r</plist>\r"},
    {"EmptyRootDict", "<dict/>\n", Same, "</plist>\n"},
    // Header lines kept for years, refused by a rule that went too far.
    {"HeaderComment", kOneString, Exact, "</dict>\n</plist>\n",
     kDeclaration + std::string("<!-- written by hand -->\n") + kDoctypeAndPlist},
    {"HeaderCommentOverLines", kOneString, Exact, "</dict>\n</plist>\n",
     kHeader + "\t<!--\n\t\tsettings of\n\t\tthe client\n\t-->\n"},
    {"HeaderStylesheet", kOneString, Exact, "</dict>\n</plist>\n",
     kDeclaration + std::string("<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>\n") +
         kDoctypeAndPlist},
    // The first "<dict>" line stands inside a comment; the root comes after it.
    {"HeaderCommentOpenAtTheRootLine", "<dict>\n-->\n" + std::string(kOneString), Refused,
     "</dict>\n</plist>\n", kHeader + "<!--\n"},
    // Loaded with the type "true" or "false", so GetBoolean failed.
    {"EmptyTrueAndFalsePairs",
     "<dict>\n\t<key>t</key>\n\t<true></true>\n\t<key>f</key>\n\t<false></false>\n\t<key>a</key>\n"
     "\t<array>\n\t\t<false></false>\n\t</array>\n",
     Same, "</dict>\n</plist>\n", kHeader,
     "t (boolean) = true\nf (boolean) = false\na (array) [array]\n  0 (boolean) = false\n"},
    // Saved as UTF-8 under the declaration, so plistlib read other characters
    // (ISO-8859-1) or could not read the file at all (US-ASCII).
    {"DeclaredIso88591", "<dict>\n\t<key>a</key>\n\t<string>caf&#233;</string>\n", Refused,
     "</dict>\n</plist>\n",
     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + std::string(kDoctypeAndPlist)},
    {"DeclaredUsAscii", "<dict>\n\t<key>a</key>\n\t<string>&#x263A;</string>\n", Refused,
     "</dict>\n</plist>\n",
     "<?xml version=\"1.0\" encoding=\"US-ASCII\"?>\n" + std::string(kDoctypeAndPlist)},
    // Loaded as a tree cut at the bound with no error; only the save refused.
    {"NestedOnePastTheBound", Nested(1), Refused},
    {"NestedToTheBound", Nested(0), Same},
};

class LayoutTable : public PlistlibFiles, public testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutTable, LoadAndSaveReadExactlyOrRefuse) {
  const LayoutCase& c = GetParam();
  const fs::path original = dir_ / "original.plist", file = dir_ / "settings.plist";
  const std::string bytes = c.header + c.body + c.end;
  testsupport::WriteFile(original.string(), bytes);
  testsupport::WriteFile(file.string(), bytes);
  // plistlib itself reads every one of these files.
  ASSERT_TRUE(SameTree({original}));
  {
    plist doc{fw::FolderItem(file.string())};
    if (c.outcome == Refused) {
      EXPECT_TRUE(doc.error);
      EXPECT_EQ(doc.errorMessage, "Not a plist file");
      EXPECT_EQ(doc.root->name, "");
      EXPECT_EQ(doc.root->count(), 0);
    } else {
      EXPECT_FALSE(doc.error) << doc.errorMessage;
      if (!c.tree.empty()) {
        EXPECT_EQ(xmltest::Describe(*doc.root), c.tree);
      }
    }
    doc.error = false;
    doc.Save(true);  // also after a failed load, as the settings module does
    if (c.outcome == Same) {
      EXPECT_FALSE(doc.error) << doc.errorMessage;
    }
  }
  if (c.outcome == Refused) {
    EXPECT_TRUE(ReadBytes(file) == bytes) << "the file changed:\n" << ReadBytes(file);
    return;
  }
  EXPECT_TRUE(SameTree({original, file})) << ReadBytes(file);
  if (c.outcome == Exact) {
    EXPECT_TRUE(ReadBytes(file) == bytes) << "the save changed the file:\n" << ReadBytes(file);
  }
  plist again{fw::FolderItem(file.string())};
  EXPECT_FALSE(again.error) << again.errorMessage;
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutTable, testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

// SetInteger(1e20) is stored as the text 100000000000000000000; saved to a
// binary file it became 18446744073709551615 with no failure reported.
TEST_F(PlistlibFiles, IntegerPastTheBinaryRangeIsNotSavedToBinary) {
  const fs::path file = dir_ / "settings.plist";
  fs::copy_file(Files().originals / "BinaryIntegers32BitEdges", file);
  const std::string bytes = ReadBytes(file);
  plist doc{fw::FolderItem(file.string())};
  ASSERT_FALSE(doc.error) << doc.errorMessage;
  doc.root->SetInteger("max", 1e20);
  const fw::String* text = doc.root->values.Find("max");
  ASSERT_NE(text, nullptr);
  ASSERT_EQ(*text, "100000000000000000000");
  doc.Save(true);
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Could not open file for saving");
  EXPECT_TRUE(ReadBytes(file) == bytes) << "the file changed";
  EXPECT_EQ(FilesInFolder(), 1u);
}

}  // namespace
