// The XML reader: the rules by which each line and field is taken, for the
// writer's own lines and for what other writers and older files hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plist/plistDict.h"
#include "tests/store/support/XmlTree.h"

namespace {

using xmltest::Describe;
using xmltest::Join;
using xmltest::Read;

struct ReadCase {
  const char* name;
  std::vector<std::string> lines;  // the lines after the root's "<dict>"
  std::string tree;                // Describe of the root
};

const ReadCase kCases[] = {
    {"empty level", {"</dict>"}, ""},
    {"nothing at all", {}, ""},
    {"one entry of each leaf type",
     {"\t<key>s</key>", "\t<string>text</string>", "\t<key>i</key>", "\t<integer>3</integer>",
      "\t<key>r</key>", "\t<real>1.5</real>", "\t<key>w</key>", "\t<double>2</double>",
      "\t<key>t</key>", "\t<date>2024-01-02T03:04:05Z</date>", "\t<key>y</key>", "\t<true/>",
      "\t<key>n</key>", "\t<false/>", "</dict>"},
     "s (string) = text\ni (integer) = 3\nr (real) = 1.5\nw (double) = 2\n"
     "t (date) = 2024-01-02T03:04:05Z\ny (boolean) = true\nn (boolean) = false\n"},
    {"data on three lines",
     {"\t<key>d</key>", "\t<data>", "\tAAEC", "\t</data>", "</dict>"},
     "d (data) = AAEC\n"},
    {"data on one line", {"<key>d</key>", "<data>AAEC</data>", "</dict>"}, "d (data) = AAEC\n"},
    {"empty data", {"\t<key>d</key>", "\t<data>", "\t", "\t</data>", "</dict>"}, "d (data) = \n"},
    {"data spread over lines is joined with nothing between",
     {"<key>d</key>", "<data>", "\t\tAAAA", "\t\tBBBB", "</data>", "</dict>"},
     "d (data) = AAAABBBB\n"},
    {"empty string", {"<key>e</key>", "<string></string>", "</dict>"}, "e (string) = \n"},
    {"other entities stay undecoded",
     {"<key>k</key>", "<string>&quot;a&apos; &#9; &x</string>", "</dict>"},
     "k (string) = &quot;a&apos; &#9; &x\n"},
    {"several tags on one line",
     {"<key>a</key><string>x</string><key>b</key><integer>1</integer>", "</dict>"},
     "a (string) = x\nb (integer) = 1\n"},
    {"self-closing dict and array",
     {"<key>d</key>", "<dict/>", "<key>a</key>", "<array/>", "<key>after</key>",
      "<string>x</string>", "</dict>"},
     "d (dict) [dict]\na (array) [array]\nafter (string) = x\n"},
    {"nested levels",
     {"<key>d</key>", "<dict>", "\t<key>a</key>", "\t<array>", "\t\t<string>0</string>",
      "\t\t<dict>", "\t\t\t<key>k</key>", "\t\t\t<true/>", "\t\t</dict>", "\t</array>", "</dict>",
      "<key>z</key>", "<string>end</string>", "</dict>"},
     "d (dict) [dict]\n  a (array) [array]\n    0 (string) = 0\n    1 (dict) [dict]\n"
     "      k (boolean) = true\nz (string) = end\n"},
    {"opening tag followed by more tags: the rest belongs to the outer level",
     {"<key>d</key><dict><key>k</key><string>outer</string>", "<key>in</key>",
      "<string>inner</string>", "</dict>", "</dict>"},
     "d (dict) [dict]\n  in (string) = inner\nk (string) = outer\n"},
    {"end tag that is not the last field does not end the level",
     {"</dict><key>x</key>", "<string>v</string>", "</dict>"},
     "x (string) = v\n"},
    {"a key met twice keeps its place and takes the later value",
     {"<key>a</key>", "<string>1</string>", "<key>b</key>", "<string>2</string>", "<key>a</key>",
      "<integer>3</integer>", "</dict>"},
     "a (integer) = 3\nb (string) = 2\n"},
    {"string spread over lines (other writers)",
     {"<key>m</key>", "<string>line1", "line2</string>", "</dict>"},
     "m (string) = line1\\nline2\n"},
    {"string ending with a line break",
     {"<key>m</key>", "<string>a", "</string>", "</dict>"},
     "m (string) = a\\n\n"},
    {"string beginning with a line break",
     {"<key>m</key>", "<string>", "b</string>", "</dict>"},
     "m (string) = \\nb\n"},
    {"empty line inside a value adds an empty piece",
     {"<key>m</key>", "<string>a", "", "b</string>", "</dict>"},
     "m (string) = a\\n\\nb\n"},
    {"tab at the start of a continuation line is kept",
     {"<key>m</key>", "<string>a", "\tb</string>", "</dict>"},
     "m (string) = a\\n\\tb\n"},
    {"escapes in a value spread over lines are decoded once",
     {"<key>m</key>", "<string>&lt;a&amp;lt;", "b&gt;</string>", "</dict>"},
     "m (string) = <a&lt;\\nb>\n"},
    {"value never closed is dropped",
     {"<key>m</key>", "<string>open", "more"},
     "m (string) (no value)\n"},
    {"file ending early keeps what was read",
     {"<key>a</key>", "<string>1</string>", "<key>d</key>", "<dict>", "<key>b</key>",
      "<string>2</string>"},
     "a (string) = 1\nd (dict) [dict]\n  b (string) = 2\n"},
    {"self-closing leaf opens a value that never closes",
     {"<key>s</key>", "<string/>", "<key>k</key>", "<string>x</string>", "</dict>"},
     "s (string) (no value)\n"},
    {"a lone <dict/> inside an open value ends the level",
     {"<key>m</key>", "<string>open", "<dict/>", "<key>after</key>", "<string>x</string>"},
     "m (string) (no value)\n"},
    {"space-indented key line is not a key", {" <key>a</key>", "</dict>"}, " ( <key) (no value)\n"},
    {"comment line opens a value of its own name",
     {"<!-- note -->", "<key>a</key>", "<string>x</string>", "</dict>"},
     " (!-- note --) (no value)\n"},
    {"key field equal to the end tag ends the level",
     {"<key></dict></key>", "<key>late</key>", "<string>x</string>"},
     ""},
    {"line of control characters only is empty",
     {"<key>a</key>", "\t\x01\x02", "<string>x</string>", "</dict>"},
     "a (string) = x\n"},
};

TEST(XmlReader, LinesAndFields) {
  for (const ReadCase& c : kCases) {
    auto node = Read(Join(c.lines));
    EXPECT_EQ(Describe(*node), c.tree) << c.name;
  }
}

TEST(XmlReader, ArrayElementsAreNumberedByLine) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::string tree;
    int indexOf;
  };
  const Case cases[] = {
      {"elements in file order",
       {"<string>a</string>", "<true/>", "<dict/>", "</array>"},
       "0 (string) = a\n1 (boolean) = true\n2 (dict) [dict]\n",
       3},
      {"an empty line takes a number",
       {"<string>a</string>", "", "<string>b</string>", "</array>"},
       "0 (string) = a\n2 (string) = b\n",
       3},
      {"two elements on one line take one number",
       {"<string>a</string><string>b</string>", "<string>c</string>", "</array>"},
       "0 (string) = b\n1 (string) = c\n",
       2},
      {"a value spread over lines takes one number",
       {"<string>a", "b</string>", "<string>c</string>", "</array>"},
       "0 (string) = a\\nb\n1 (string) = c\n",
       2},
      {"empty array", {"</array>"}, "", 0},
  };
  for (const Case& c : cases) {
    auto node = Read(Join(c.lines), true);
    EXPECT_EQ(Describe(*node), c.tree) << c.name;
    EXPECT_EQ(node->indexOf, c.indexOf) << c.name;
  }
}

// Values and keys that other writers (plistlib, libplist) spread over lines
// came back with every line end turned into CR, one more CR at the end and
// the tabs after each break dropped; a key with a break was cut.
TEST(XmlReader, MultiLineValuesReadBackExactly) {
  struct Case {
    const char* name;
    std::string text;  // the lines after the root's "<dict>", line ends included
    std::string tree;
  };
  const Case cases[] = {
      {"LF", "<key>m</key>\n<string>line1\nline2</string>\n</dict>\n",
       "m (string) = line1\\nline2\n"},
      {"CR LF", "<key>m</key>\r\n<string>one\r\ntwo</string>\r\n</dict>\r\n",
       "m (string) = one\\r\\ntwo\n"},
      {"CR", "<key>m</key>\r<string>one\rtwo</string>\r</dict>\r", "m (string) = one\\rtwo\n"},
      {"line ends mixed within one value", "<key>m</key>\n<string>a\r\nb\rc\nd</string>\n</dict>\n",
       "m (string) = a\\r\\nb\\rc\\nd\n"},
      {"tab after a break", "<key>m</key>\n<string>a\n\tb</string>\n</dict>\n",
       "m (string) = a\\n\\tb\n"},
      {"tabs and blanks before the closing tag",
       "<key>m</key>\n<string>a\n\t \t</string>\n</dict>\n", "m (string) = a\\n\\t \\t\n"},
      {"trailing break", "<key>m</key>\n<string>ends\n</string>\n</dict>\n",
       "m (string) = ends\\n\n"},
      {"leading break", "<key>m</key>\n<string>\nstarts</string>\n</dict>\n",
       "m (string) = \\nstarts\n"},
      {"blank lines", "<key>m</key>\n<string>a\n\n\nb</string>\n</dict>\n",
       "m (string) = a\\n\\n\\nb\n"},
      {"only a break", "<key>m</key>\n<string>\n</string>\n</dict>\n", "m (string) = \\n\n"},
      {"key with a break", "<key>k\nk</key>\n<string>v</string>\n</dict>\n",
       "k\\nk (string) = v\n"},
      {"key with tabs after a break and escapes",
       "<key>&lt;a\r\n\tb&amp;</key>\r\n<true/>\r\n</dict>\r\n",
       "<a\\r\\n\\tb& (boolean) = true\n"},
      {"key ending with a break after a dict",
       "<key>d</key>\n<dict>\n<key>x</key>\n<true/>\n</dict>\n<key>k\n</key>\n<string>v</string>\n"
       "</dict>\n",
       "d (dict) [dict]\n  x (boolean) = true\nk\\n (string) = v\n"},
      {"data keeps its rule",
       "<key>d</key>\r\n<data>\r\n\tAAAA\r\n\t\tBBBB\r\n\t</data>\r\n</dict>\r\n",
       "d (data) = AAAABBBB\n"},
  };
  for (const Case& c : cases) {
    auto node = Read(c.text);
    EXPECT_EQ(Describe(*node), c.tree) << c.name;
  }
}

TEST(XmlReader, NodesKnowTheirPlace) {
  auto root = Read(Join({"<key>d</key>", "<dict>", "<key>a</key>", "<array>", "<dict/>", "</array>",
                         "</dict>", "</dict>"}));
  plistDict* d = root->child("d");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->name, "d");
  EXPECT_EQ(d->parent, root.get());
  EXPECT_FALSE(d->isArray);
  plistDict* a = d->child("a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->name, "a");
  EXPECT_TRUE(a->isArray);
  EXPECT_EQ(a->indexOf, 1);
  ASSERT_NE(a->index(0), nullptr);
  EXPECT_EQ(a->index(0)->name, "0");
  EXPECT_EQ(a->index(0)->parent, a);
}

TEST(XmlReader, LoadWithoutContentsOnlyInitialises) {
  plistDict node;
  node.Load(nullptr, "root", true, nullptr, nullptr, false);
  EXPECT_EQ(node.name, "root");
  EXPECT_TRUE(node.isArray);
  EXPECT_EQ(node.count(), 0);
  EXPECT_EQ(node.indexOf, -1);
}

TEST(XmlReader, CodeToBracketsDecodesInOrder) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"", ""},
      {"&lt;&gt;", "<>"},
      {"&amp;", "&"},
      {"&amp;lt;", "&lt;"},
      {"&#13;&#10;", "\r\n"},
      {"&amp;#10;", "&#10;"},
      {"&quot;&#9;&", "&quot;&#9;&"},
      {"&&lt;", "&<"},
  };
  for (const Case& c : cases) EXPECT_EQ(plistDict::CodeToBrackets(c.in), c.out) << c.in;
}

TEST(XmlReader, StripAllRemovesLeadingControlCharactersOnly) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"", ""},     {"\t\t<a>", "<a>"}, {"\r\n\x1f x", " x"},
      {"\t\t", ""}, {"a\tb", "a\tb"},   {"\xc3\xa9", "\xc3\xa9"},
  };
  for (const Case& c : cases) {
    struct Access : plistDict {
      using plistDict::StripAll;
    };
    EXPECT_EQ(Access::StripAll(c.in), c.out) << c.in;
  }
}

// Nesting deeper than the bound: the levels up to the bound are read, the
// one past it is an empty child, and reading stops there. No stack is used
// per level.
TEST(XmlReader, NestingBeyondTheBoundStopsReading) {
  const size_t depth = plistDict::kMaxDepth + 500;
  std::string text;
  for (size_t i = 0; i < depth; ++i) text += "<key>d</key><dict>\n";
  text += "<key>leaf</key><string>x</string>\n";
  for (size_t i = 0; i < depth; ++i) text += "</dict>\n";
  text += "<key>after</key><string>y</string>\n</dict>\n";
  std::unique_ptr<plistDict> root;
  xmltest::RunWithSmallStack([&] { root = Read(text); });
  ASSERT_NE(root, nullptr);
  size_t levels = 1;
  plistDict* node = root.get();
  while (node->count() > 0) {
    ASSERT_EQ(node->count(), 1);
    node = node->child("d");
    ASSERT_NE(node, nullptr);
    ++levels;
  }
  EXPECT_EQ(levels, plistDict::kMaxDepth + 1);
  EXPECT_FALSE(root->Exists("after"));
}

TEST(XmlReader, NestingUpToTheBoundIsReadInFull) {
  const size_t depth = plistDict::kMaxDepth - 1;  // with the root: the bound
  std::string text;
  for (size_t i = 0; i < depth; ++i) text += "<key>d</key><dict>\n";
  text += "<key>leaf</key><string>x</string>\n";
  for (size_t i = 0; i < depth; ++i) text += "</dict>\n";
  text += "<key>after</key><string>y</string>\n</dict>\n";
  std::unique_ptr<plistDict> root;
  xmltest::RunWithSmallStack([&] { root = Read(text); });
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetType("after"), "string");
  plistDict* node = root.get();
  for (size_t i = 0; i < depth; ++i) node = node->child("d");
  EXPECT_EQ(Describe(*node), "leaf (string) = x\n");
}

}  // namespace
