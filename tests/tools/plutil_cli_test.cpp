// plutil run as a process: conversions both ways on real files, and the
// outcome of bad input and failing writes.
#include "support/ToolTest.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "tests/support/TempFolder.h"

namespace {

using testsupport::ListFolder;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;
using tooltest::RunResult;
using tooltest::RunTool;

const std::string kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

std::string Document(const std::vector<std::string>& lines) {
  std::string text = kHeader;
  for (auto& line : lines) text += line + "\n";
  return text + "</plist>\n";
}

// A tree from libplist's reading of an XML body.
plutil::PlistHandle TreeFromXml(const std::string& body) {
  std::string xml = "<plist version=\"1.0\">" + body + "</plist>";
  plist_t tree = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &tree);
  return plutil::PlistHandle(tree);
}

// Converts the file with plutil and expects success.
void Convert(const std::string& format, const std::string& path) {
  RunResult r = RunTool({"-convert", format, path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "");
}

// Binary file -> xml1 (exact text) -> binary1 (same tree) -> xml1 (same text).
void ExpectRoundTrip(plist_t tree, const std::vector<std::string>& lines) {
  TempFolder dir;
  std::string path = dir.File("a.plist");
  WriteFile(path, tooltest::ToBinary(tree));
  ASSERT_NO_FATAL_FAILURE(Convert("xml1", path));
  std::string xml = ReadFile(path);
  EXPECT_EQ(xml, Document(lines));
  ASSERT_NO_FATAL_FAILURE(Convert("binary1", path));
  std::string binary = ReadFile(path);
  ASSERT_EQ(binary.substr(0, 8), "bplist00");
  plutil::PlistHandle back = tooltest::FromBinary(binary);
  ASSERT_TRUE(back);
  EXPECT_EQ(tooltest::CanonicalXml(back.get()), tooltest::CanonicalXml(tree));
  ASSERT_NO_FATAL_FAILURE(Convert("xml1", path));
  EXPECT_EQ(ReadFile(path), xml);
  EXPECT_EQ(ListFolder(dir.Path()), "a.plist\n");
}

struct RoundTripCase {
  const char* name;
  std::string body;  // the tree, as libplist reads it from XML
  std::vector<std::string> lines;
};

const std::string kJapanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // three kanji

const RoundTripCase kRoundTrips[] = {
    {"EmptyRootDict", "<dict/>", {"<dict>", "</dict>"}},
    {"EmptyRootArray", "<array/>", {"<array>", "</array>"}},
    {"RootString", "<string>x</string>", {"<string>x</string>"}},
    {"EveryType",
     "<dict><key>s</key><string>text</string><key>i</key><integer>3128</integer>"
     "<key>r</key><real>0.1</real><key>t</key><true/><key>f</key><false/>"
     "<key>d</key><date>2024-01-02T03:04:05Z</date><key>b</key><data>AAEC/w==</data>"
     "<key>a</key><array><string>0</string><integer>1</integer></array>"
     "<key>n</key><dict><key>k</key><string>v</string></dict></dict>",
     {"<dict>",
      "\t<key>s</key>",
      "\t<string>text</string>",
      "\t<key>i</key>",
      "\t<integer>3128</integer>",
      "\t<key>r</key>",
      "\t<real>0.1</real>",
      "\t<key>t</key>",
      "\t<true/>",
      "\t<key>f</key>",
      "\t<false/>",
      "\t<key>d</key>",
      "\t<date>2024-01-02T03:04:05Z</date>",
      "\t<key>b</key>",
      "\t<data>",
      "\tAAEC/w==",
      "\t</data>",
      "\t<key>a</key>",
      "\t<array>",
      "\t\t<string>0</string>",
      "\t\t<integer>1</integer>",
      "\t</array>",
      "\t<key>n</key>",
      "\t<dict>",
      "\t\t<key>k</key>",
      "\t\t<string>v</string>",
      "\t</dict>",
      "</dict>"}},
    {"Integers",
     "<array><integer>0</integer><integer>-3128</integer>"
     "<integer>-9223372036854775808</integer><integer>9223372036854775807</integer>"
     "<integer>18446744073709551615</integer></array>",
     {"<array>", "\t<integer>0</integer>", "\t<integer>-3128</integer>",
      "\t<integer>-9223372036854775808</integer>", "\t<integer>9223372036854775807</integer>",
      "\t<integer>18446744073709551615</integer>", "</array>"}},
    {"Reals",
     "<array><real>-2.5</real><real>3</real><real>1e300</real><real>0.30000000000000004</real>"
     "</array>",
     {"<array>", "\t<real>-2.5</real>", "\t<real>3</real>", "\t<real>1e+300</real>",
      "\t<real>0.30000000000000004</real>", "</array>"}},
    {"DatesBeforeAndAfterTheEpoch",
     "<array><date>1999-12-31T23:59:59Z</date><date>2001-01-01T00:00:00Z</date></array>",
     {"<array>", "\t<date>1999-12-31T23:59:59Z</date>", "\t<date>2001-01-01T00:00:00Z</date>",
      "</array>"}},
    {"Data",
     "<array><data></data><data>AA==</data><data>AAE=</data><data>AAEC</data></array>",
     {"<array>", "\t<data>", "\t", "\t</data>", "\t<data>", "\tAA==", "\t</data>", "\t<data>",
      "\tAAE=", "\t</data>", "\t<data>", "\tAAEC", "\t</data>", "</array>"}},
    {"EscapedCharacters",
     "<dict><key>a&amp;b&lt;c&gt;</key><string>x &amp; y &lt;z&gt; &amp;amp;</string></dict>",
     {"<dict>", "\t<key>a&amp;b&lt;c&gt;</key>", "\t<string>x &amp; y &lt;z&gt; &amp;amp;</string>",
      "</dict>"}},
    {"LineBreaksAndTabs",
     "<dict><key>k&#10;l</key><string>&#10;one&#13;&#10;two&#13;&#9;three&#10;</string>"
     "<key>tab</key><string>&#9;lead	inner</string></dict>",
     {"<dict>", "\t<key>k&#10;l</key>", "\t<string>&#10;one&#13;&#10;two&#13;\tthree&#10;</string>",
      "\t<key>tab</key>", "\t<string>\tlead\tinner</string>", "</dict>"}},
    {"NonAscii",
     "<dict><key>" + kJapanese + "</key><string>" + kJapanese +
         " &amp; caf\xC3\xA9</string></dict>",
     {"<dict>", "\t<key>" + kJapanese + "</key>",
      "\t<string>" + kJapanese + " &amp; caf\xC3\xA9</string>", "</dict>"}},
    {"EmptyContainersAndStrings",
     "<dict><key>a</key><array/><key>d</key><dict/><key>s</key><string></string>"
     "<key></key><string>no key</string></dict>",
     {"<dict>", "\t<key>a</key>", "\t<array/>", "\t<key>d</key>", "\t<dict/>", "\t<key>s</key>",
      "\t<string></string>", "\t<key></key>", "\t<string>no key</string>", "</dict>"}},
    {"NestedLevels",
     "<dict><key>a</key><array><dict><key>b</key><array><array/><true/></array></dict></array>"
     "<key>c</key><integer>1</integer></dict>",
     {"<dict>", "\t<key>a</key>", "\t<array>", "\t\t<dict>", "\t\t\t<key>b</key>", "\t\t\t<array>",
      "\t\t\t\t<array/>", "\t\t\t\t<true/>", "\t\t\t</array>", "\t\t</dict>", "\t</array>",
      "\t<key>c</key>", "\t<integer>1</integer>", "</dict>"}},
};

class PlutilRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(PlutilRoundTrip, BinaryToXmlAndBack) {
  plutil::PlistHandle tree = TreeFromXml(GetParam().body);
  ASSERT_TRUE(tree);
  ExpectRoundTrip(tree.get(), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlutilRoundTrip, testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlutilConvert, DeepNestingRoundTrips) {
  constexpr int kLevels = 300;
  plutil::PlistHandle tree(plist_new_array());
  plist_t level = tree.get();
  for (int i = 1; i < kLevels; ++i) {
    plist_t child = plist_new_array();
    plist_array_append_item(level, child);
    level = child;
  }
  plist_array_append_item(level, plist_new_string("deep"));
  std::vector<std::string> lines;
  for (int i = 0; i < kLevels; ++i) lines.push_back(std::string(i, '\t') + "<array>");
  lines.push_back(std::string(kLevels, '\t') + "<string>deep</string>");
  for (int i = kLevels - 1; i >= 0; --i) lines.push_back(std::string(i, '\t') + "</array>");
  ExpectRoundTrip(tree.get(), lines);
}

TEST(PlutilConvert, UidIsWrittenAsCfUidDictAndReadBackAsUid) {
  plutil::PlistHandle tree(plist_new_dict());
  plist_dict_set_item(tree.get(), "u", plist_new_uid(42));
  ExpectRoundTrip(tree.get(), {"<dict>", "\t<key>u</key>", "\t<dict>", "\t\t<key>CF$UID</key>",
                               "\t\t<integer>42</integer>", "\t</dict>", "</dict>"});
  // The canonical comparison above cannot tell a UID from its dict: check the type.
  TempFolder dir;
  std::string path = dir.File("u.plist");
  WriteFile(path, tooltest::ToBinary(tree.get()));
  ASSERT_NO_FATAL_FAILURE(Convert("xml1", path));
  ASSERT_NO_FATAL_FAILURE(Convert("binary1", path));
  plutil::PlistHandle back = tooltest::FromBinary(ReadFile(path));
  plist_t uid = plist_dict_get_item(back.get(), "u");
  ASSERT_EQ(plist_get_node_type(uid), PLIST_UID);
  uint64_t value = 0;
  plist_get_uid_val(uid, &value);
  EXPECT_EQ(value, 42u);
}

// What the settings store writes: its header, tab layout, "double" elements.
TEST(PlutilConvert, StoreWrittenXmlToBinary) {
  TempFolder dir;
  std::string path = dir.File("Settings.plist");
  WriteFile(path,
            Document({"<dict>", "\t<key>Server</key>", "\t<string>a &amp; b&#13;&#10;c</string>",
                      "\t<key>Port</key>", "\t<integer>3128</integer>", "\t<key>list</key>",
                      "\t<array>", "\t\t<double>2.5</double>", "\t</array>", "</dict>"}));
  ASSERT_NO_FATAL_FAILURE(Convert("binary1", path));
  plutil::PlistHandle back = tooltest::FromBinary(ReadFile(path));
  ASSERT_TRUE(back);
  EXPECT_EQ(tooltest::CanonicalXml(back.get()),
            tooltest::CanonicalXml(
                TreeFromXml("<dict><key>Server</key><string>a &amp; b&#13;&#10;c</string>"
                            "<key>Port</key><integer>3128</integer>"
                            "<key>list</key><array><real>2.5</real></array></dict>")
                    .get()));
}

TEST(PlutilConvert, SameFormInPlaceAndFileAttributesKept) {
  TempFolder dir;
  std::string path = dir.File("p.plist");
  std::string link = dir.File("link.plist");
  plutil::PlistHandle tree = TreeFromXml("<dict><key>k</key><string>v</string></dict>");
  WriteFile(path, tooltest::ToBinary(tree.get()));
  ::chmod(path.c_str(), 0640);
  const bool root = ::geteuid() == 0;  // only root may give a file away
  if (root) {
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(::symlink("p.plist", link.c_str()), 0);
  ASSERT_NO_FATAL_FAILURE(Convert("xml1", link));
  ASSERT_NO_FATAL_FAILURE(Convert("xml1", link));  // XML to XML
  EXPECT_EQ(ReadFile(path),
            Document({"<dict>", "\t<key>k</key>", "\t<string>v</string>", "</dict>"}));
  ASSERT_NO_FATAL_FAILURE(Convert("binary1", path));
  ASSERT_NO_FATAL_FAILURE(Convert("binary1", path));  // binary to binary
  EXPECT_EQ(tooltest::CanonicalXml(tooltest::FromBinary(ReadFile(path)).get()),
            tooltest::CanonicalXml(tree.get()));
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(info.st_uid, 65534u);
  }
  EXPECT_EQ(ListFolder(dir.Path()), "link.plist\np.plist\n");
}

// ---- failures ---------------------------------------------------------------

// Expects exit status 1 and exactly the one line on standard error.
void ExpectFailure(const RunResult& r, const std::string& message) {
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, message + "\n");
  EXPECT_EQ(r.out, "");
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
  std::string message;
};

const std::string kUsage = "usage: plutil -convert xml1|binary1 FILE";

const UsageCase kUsageCases[] = {
    {"NoArguments", {}, "plutil: " + kUsage},
    {"FormatMissing", {"-convert"}, "plutil: " + kUsage},
    {"FileMissing", {"-convert", "xml1"}, "plutil: " + kUsage},
    {"ExtraArgument", {"-convert", "xml1", "a", "b"}, "plutil: " + kUsage},
    {"OtherOption", {"-lint", "xml1", "a"}, "plutil: " + kUsage},
    {"UnknownFormat", {"-convert", "json", "a"}, "plutil: unknown format \"json\"; " + kUsage},
    {"FormatCase", {"-convert", "XML1", "a"}, "plutil: unknown format \"XML1\"; " + kUsage},
    {"EmptyFileName", {"-convert", "xml1", ""}, "plutil: empty file name; " + kUsage},
};

class PlutilUsage : public testing::TestWithParam<UsageCase> {};

TEST_P(PlutilUsage, RefusedWithOneLine) {
  ExpectFailure(RunTool(GetParam().args), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlutilUsage, testing::ValuesIn(kUsageCases),
                         [](const auto& info) { return std::string(info.param.name); });

std::string ValidBinary() {
  plutil::PlistHandle tree = TreeFromXml(
      "<dict><key>name</key><string>value</string><key>n</key><integer>7</integer></dict>");
  return tooltest::ToBinary(tree.get());
}

// A binary file whose trailer is sound but whose root object is not.
std::string CorruptBinary() {
  std::string bytes = ValidBinary();
  bytes[8] = '\x7F';  // the first object's marker: no such type
  return bytes;
}

std::string NestedArrays(int levels) {
  std::string xml = "<plist>";
  for (int i = 0; i < levels; ++i) xml += "<array>";
  for (int i = 0; i < levels; ++i) xml += "</array>";
  return xml + "</plist>";
}

struct BadInputCase {
  const char* name;
  std::string contents;  // written to the file, whose name is "in.plist"
  const char* format;
  std::string reason;  // after "plutil: <path>: "
};

const BadInputCase kBadInputs[] = {
    {"EmptyFile", "", "binary1", "empty file, not a property list"},
    {"Garbage", "garbage\x01\x02", "binary1", "not a valid XML property list"},
    {"NotAPlistElement", "<?xml version=\"1.0\"?><html></html>", "xml1",
     "not a valid XML property list"},
    {"UnclosedElements", kHeader + "<dict>\n\t<key>a</key>\n\t<string>x</string>\n", "binary1",
     "not a valid XML property list"},
    {"UnterminatedTag", kHeader + "<dict>\n\t<key>a</", "binary1",
     "not a valid XML property list (unterminated markup)"},
    {"UnterminatedComment", kHeader + "<!-- <dict>", "binary1",
     "not a valid XML property list (unterminated markup)"},
    {"MismatchedTags", "<plist><dict></array></plist>", "binary1",
     "not a valid XML property list (closing tag </array> does not match)"},
    {"TooDeepXml", NestedArrays(4097), "binary1",
     "not a valid XML property list (nested deeper than 4096 levels)"},
    {"MagicOnly", "bplist00", "xml1", "not a valid binary property list (file too short)"},
    {"TruncatedBinary", ValidBinary().substr(0, ValidBinary().size() - 10), "xml1",
     "not a valid binary property list (bad trailer)"},
    {"CorruptBinary", CorruptBinary(), "xml1", "not a valid binary property list"},
};

class PlutilBadInput : public testing::TestWithParam<BadInputCase> {};

TEST_P(PlutilBadInput, RefusedAndFileUntouched) {
  TempFolder dir;
  std::string path = dir.File("in.plist");
  WriteFile(path, GetParam().contents);
  ExpectFailure(RunTool({"-convert", GetParam().format, path}),
                "plutil: " + path + ": " + GetParam().reason);
  EXPECT_EQ(ReadFile(path), GetParam().contents);
  EXPECT_EQ(ListFolder(dir.Path()), "in.plist\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, PlutilBadInput, testing::ValuesIn(kBadInputs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlutilFailure, MissingFile) {
  TempFolder dir;
  std::string path = dir.File("none.plist");
  ExpectFailure(RunTool({"-convert", "xml1", path}),
                "plutil: " + path + ": No such file or directory");
  EXPECT_TRUE(ListFolder(dir.Path()).empty());
}

TEST(PlutilFailure, ControlCharactersInTheNameStayOnOneLine) {
  TempFolder dir;
  std::string path = dir.File("a\nb");
  ExpectFailure(RunTool({"-convert", "xml1", path}),
                "plutil: " + dir.Path() + "/a\\x0Ab: No such file or directory");
}

TEST(PlutilFailure, Directory) {
  TempFolder dir;
  ExpectFailure(RunTool({"-convert", "binary1", dir.Path()}),
                "plutil: " + dir.Path() + ": Is a directory");
  EXPECT_TRUE(ListFolder(dir.Path()).empty());
}

TEST(PlutilFailure, FifoIsRefusedWithoutWaiting) {
  TempFolder dir;
  std::string path = dir.File("pipe");
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  ExpectFailure(RunTool({"-convert", "xml1", path}), "plutil: " + path + ": not a regular file");
}

TEST(PlutilFailure, UnwritableFolder) {
  TempFolder dir;
  // A copy of the tool that another user may run, wherever the build lives.
  std::string program = dir.File("plutil");
  std::filesystem::copy_file(tooltest::PlutilPath(), program);
  ::chmod(program.c_str(), 0755);
  std::string folder = dir.File("locked");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  std::string path = folder + "/a.plist";
  std::string bytes = ValidBinary();
  WriteFile(path, bytes);
  ::chmod(path.c_str(), 0644);
  ::chmod(folder.c_str(), 0555);
  RunResult r = RunTool({"-convert", "xml1", path},
                        {.unprivileged = true, .fileSizeLimit = 0, .program = program});
  ExpectFailure(r, "plutil: " + path + ": cannot create a temporary file: Permission denied");
  EXPECT_EQ(ReadFile(path), bytes);
  EXPECT_EQ(ListFolder(folder), "a.plist\n");
}

TEST(PlutilFailure, WriteFailsPartWay) {
  TempFolder dir;
  std::string path = dir.File("a.plist");
  plutil::PlistHandle tree(plist_new_string(std::string(1000, 'x').c_str()));
  std::string bytes = tooltest::ToBinary(tree.get());
  WriteFile(path, bytes);
  // The XML form is longer than the limit (the message is not), so writing
  // it fails with EFBIG.
  RunResult r = RunTool({"-convert", "xml1", path}, {.fileSizeLimit = 500, .program = {}});
  ExpectFailure(r, "plutil: " + path + ": cannot write: File too large");
  EXPECT_EQ(ReadFile(path), bytes);
  EXPECT_EQ(ListFolder(dir.Path()), "a.plist\n");
}

}  // namespace
