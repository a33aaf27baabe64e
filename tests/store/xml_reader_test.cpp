// The XML reader: the rules by which each line and field is taken, for the
// writer's own lines and for what other writers and older files hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/TextInputStream.h"
#include "plist/plist.h"
#include "plist/plistDict.h"
#include "plist/plistHeader.h"
#include "tests/store/support/XmlTree.h"
#include "tests/support/Escaped.h"

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
    {"tags after an opening tag on its line belong to the level it opens",
     {"<key>d</key><dict><key>k</key><string>outer</string>", "<key>in</key>",
      "<string>inner</string>", "</dict>", "</dict>"},
     "d (dict) [dict]\n  k (string) = outer\n  in (string) = inner\n"},
    {"a level opened and closed on one line, then more entries",
     {"\t<key>d</key>", "\t<dict></dict>", "\t<key>a</key>", "\t<array></array>", "\t<key>b</key>",
      "\t<array><string>x</string></array>", "\t<key>c</key>", "\t<true/>", "</dict>"},
     "d (dict) [dict]\na (array) [array]\nb (array) [array]\n  0 (string) = x\n"
     "c (boolean) = true\n"},
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
    {"file ending early keeps what was read",
     {"<key>a</key>", "<string>1</string>", "<key>d</key>", "<dict>", "<key>b</key>",
      "<string>2</string>"},
     "a (string) = 1\nd (dict) [dict]\n  b (string) = 2\n"},
    {"line of control characters only is empty",
     {"<key>a</key>", "\t\x01\x02", "<string>x</string>", "</dict>"},
     "a (string) = x\n"},
    {"blanks as indentation",
     {"  <key>a</key>", "  <string>x</string>", "</dict>"},
     "a (string) = x\n"},
    {"blanks and tabs between elements and at the end of a line",
     {"\t<key>a</key> \t<string>x</string>  ", "\t<key>b</key>  ", "\t<true/>\t", "</dict>  "},
     "a (string) = x\nb (boolean) = true\n"},
    {"blanks before a tag's end",
     {"<key >a</key >", "<string >x</string\t>", "<key>t</key>", "<true />", "<key>d</key>",
      "<dict />", "</dict >"},
     "a (string) = x\nt (boolean) = true\nd (dict) [dict]\n"},
    {"the closing lines on the line of the last value",
     {"<key>a</key>", "<string>x</string></dict></plist>"},
     "a (string) = x\n"},
    {"the closing plist line and blank lines after the level",
     {"</dict>", "", "  ", "</plist>", "\t"},
     ""},
    {"a leaf element of another name keeps its name as type",
     {"<key>u</key>", "<uid>7</uid>", "</dict>"},
     "u (uid) = 7\n"},
    // Loaded with the type "true" and an empty value, so GetBoolean failed.
    {"empty true and false pairs are booleans",
     {"<key>t</key>", "<true></true>", "<key>f</key>", "<false ></false >", "<key>a</key>",
      "<array><true></true><false></false></array>", "</dict>"},
     "t (boolean) = true\nf (boolean) = false\na (array) [array]\n  0 (boolean) = true\n"
     "  1 (boolean) = false\n"},
};

TEST(XmlReader, LinesAndFields) {
  for (const ReadCase& c : kCases) {
    EXPECT_EQ(xmltest::ReadOrRefuse(Join(c.lines)), c.tree) << c.name;
  }
}

// Each of these lost, cut or moved text and still read as a success: the
// reader now refuses them (the document's load ends in "Not a plist file").
TEST(XmlReader, TextThatCannotBeReadExactlyIsRefused) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;  // the lines after the root's "<dict>"
    bool array = false;
  };
  const Case cases[] = {
      {"text outside a value", {"<key>a</key>", "hello", "<string>x</string>", "</dict>"}},
      {"text between elements", {"<key>a</key>x<string>x</string>", "</dict>"}},
      {"a tag that does not end on its line", {"<key>a</key>", "<string", ">x</string>"}},
      {"a comment", {"<key>a</key>", "<string>x</string>", "<!-- c -->", "</dict>"}},
      {"a comment in a value", {"<key>a</key>", "<string>x<!-- c --></string>", "</dict>"}},
      {"a processing instruction", {"<?pi x?>", "<key>a</key>", "<true/>", "</dict>"}},
      {"CDATA", {"<key>a</key>", "<string><![CDATA[a<b]]></string>", "</dict>"}},
      {"CDATA over lines", {"<key>a</key>", "<string><![CDATA[a", "b]]></string>", "</dict>"}},
      {"a DOCTYPE after the root line", {"<!DOCTYPE plist>", "</dict>"}},
      {"attributes", {"<key>a</key>", "<string id=\"1\">x</string>", "</dict>"}},
      {"a self-closing string", {"<key>s</key>", "<string/>", "<key>k</key>", "<true/>"}},
      {"a self-closing data", {"<key>s</key>", "<data />", "</dict>"}},
      {"a self-closing key", {"<key/>", "<true/>", "</dict>"}},
      {"a self-closing leaf in an array", {"<integer/>", "</array>"}, true},
      {"a value still open when its level ends", {"<key>m</key>", "<string>open", "</dict>"}},
      {"a value still open at the end", {"<key>m</key>", "<string>open", "more"}},
      {"a lone <dict/> inside an open value", {"<key>m</key>", "<string>a", "<dict/>", "b"}},
      {"another element inside a value", {"<key>m</key>", "<string>a<b>x</b></string>"}},
      {"a closing tag of another element", {"<key>m</key>", "<string>a</integer>", "</dict>"}},
      {"text after the level's end", {"</dict> x"}},
      {"an element after the level's end", {"</dict><key>x</key>", "<string>v</string>"}},
      {"an element on a line after the level's end", {"</dict>", "<key>x</key>"}},
      {"a second closing plist", {"</dict>", "</plist>", "</plist>"}},
      {"a closing tag other than the level's", {"<key>a</key>", "<true/>", "</array>"}},
      {"a stray closing tag", {"<key>a</key>", "<true/>", "</string>", "</dict>"}},
      {"a repeated key", {"<key>a</key>", "<string>1</string>", "<key>a</key>", "<true/>"}},
      {"a repeated key holding two dicts",
       {"<key>d</key>", "<dict>", "<key>x</key>", "<true/>", "</dict>", "<key>d</key>", "<dict>",
        "<key>y</key>", "<true/>", "</dict>", "</dict>"}},
      {"a key cut at <", {"<key>a<b</key>", "<true/>", "</dict>"}},
      {"a key holding the end tag", {"<key></dict></key>", "<true/>", "</dict>"}},
      {"a key without a value", {"<key>a</key>", "<key>b</key>", "<true/>", "</dict>"}},
      {"a key without a value at the level's end", {"<key>a</key>", "</dict>"}},
      {"a key without a value at the end", {"<key>a</key>"}},
      {"a value without a key", {"<string>x</string>", "</dict>"}},
      {"a dict without a key", {"<dict>", "<key>a</key>", "<true/>", "</dict>", "</dict>"}},
      {"a value after a key's value", {"<key>a</key>", "<true/>", "<false/>", "</dict>"}},
      {"a key in an array", {"<key>a</key>", "<string>x</string>", "</array>"}, true},
      {"a malformed reference", {"<key>a</key>", "<string>a & b</string>", "</dict>"}},
      {"an unknown entity in a key", {"<key>&nbsp;</key>", "<true/>", "</dict>"}},
      {"text inside true", {"<key>a</key>", "<true>yes</true>", "</dict>"}},
      {"a blank inside false", {"<key>a</key>", "<false> </false>", "</dict>"}},
      {"a line end inside true", {"<key>a</key>", "<true>", "</true>", "</dict>"}},
      {"a reference inside true", {"<key>a</key>", "<true>&#32;</true>", "</dict>"}},
      {"true closed by false", {"<key>a</key>", "<true></false>", "</dict>"}},
      {"true never closed", {"<key>a</key>", "<true>", "</dict>"}},
      {"text inside true in an array", {"<true>1</true>", "</array>"}, true},
      // A "boolean" element loaded as the store's own boolean type, and a
      // save wrote <boolean>yes</boolean> as <false/>.
      {"a boolean element", {"<key>a</key>", "<boolean>yes</boolean>", "</dict>"}},
      {"a boolean element in an array", {"<boolean>true</boolean>", "</array>"}, true},
      {"a reference cut by a line end", {"<key>a</key>", "<string>&am", "p;</string>", "</dict>"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(xmltest::ReadOrRefuse(Join(c.lines), c.array), "refused") << c.name;
  }
}

// The lines before the root line. Comments and processing instructions
// there had been kept and written back for years when a rule that let only
// the declaration, a DOCTYPE and the plist tag stand there refused them;
// a declared encoding other than UTF-8 was ignored, and the UTF-8 text then
// saved under it read back as other characters.
TEST(XmlHeader, WhatMayStandBeforeTheRoot) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;  // before the root line
    bool readable;
  };
  const std::string decl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  const std::string doctype =
      "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">";
  const std::string tag = "<plist version=\"1.0\">";
  const Case cases[] = {
      {"declaration, DOCTYPE and plist tag", {decl, doctype, tag}, true},
      {"blanks and blank lines", {decl, "", " \t", "\t" + tag, ""}, true},
      {"a comment after the declaration", {decl, "<!-- settings -->", doctype, tag}, true},
      {"a comment after the plist tag", {decl, doctype, tag, "\t<!-- c -->"}, true},
      {"a comment first, without a declaration", {"<!-- c -->", tag}, true},
      {"a comment over several lines", {decl, "  <!-- one", "<dict", "", "two -->  ", tag}, true},
      {"a comment holding markup", {decl, "<!-- <array><key>x</key> - -> -->", tag}, true},
      {"a stylesheet instruction",
       {decl, "<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>", doctype, tag},
       true},
      {"an instruction over several lines", {decl, tag, "<?pi one", "two ?>"}, true},
      {"an instruction without data", {decl, "<?pi?>", tag}, true},
      {"UTF-8 in other letter cases",
       {"<?xml version='1.0' encoding = 'utf-8' ?>", "<!-- Utf-8 -->", tag},
       true},
      {"a declaration without an encoding",
       {"<?xml version=\"1.0\" standalone=\"no\"?>", tag},
       true},
      {"no plist tag", {decl, "<!-- c -->"}, false},
      {"a root array", {decl, tag, "<array>"}, false},
      {"a key", {decl, tag, "<key>a</key>"}, false},
      {"a string", {decl, tag, "<string>x</string>"}, false},
      {"a closing plist tag", {decl, tag, "</plist>", tag}, false},
      {"text", {decl, tag, "hello"}, false},
      {"text after a comment on its line", {decl, "<!-- c --> x", tag}, false},
      {"a comment before the plist tag on its line", {decl, "<!-- c --> " + tag}, false},
      {"a comment after the plist tag on its line", {decl, tag + " <!-- c -->"}, false},
      {"an instruction after the declaration on its line", {decl + "<?pi x?>", tag}, false},
      {"a comment still open at the root line", {decl, tag, "<!-- open"}, false},
      {"a comment holding --", {decl, "<!-- a -- b -->", tag}, false},
      {"a comment ending in --->", {decl, "<!-- a --->", tag}, false},
      {"an instruction still open at the root line", {decl, tag, "<?pi open"}, false},
      {"an instruction without a target", {decl, "<? pi?>", tag}, false},
      {"an empty instruction", {decl, "<?>", tag}, false},
      {"an instruction named XML", {decl, "<?XML x?>", tag}, false},
      {"the declaration after a comment", {"<!-- c -->", decl, tag}, false},
      {"a declaration over two lines",
       {"<?xml version=\"1.0\"", " encoding=\"UTF-8\"?>", tag},
       false},
      {"ISO-8859-1", {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", tag}, false},
      {"US-ASCII", {"<?xml version=\"1.0\" encoding=\"US-ASCII\"?>", tag}, false},
      {"UTF-16", {"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", tag}, false},
      {"UTF8 without its hyphen", {"<?xml version=\"1.0\" encoding=\"UTF8\"?>", tag}, false},
      {"UTF-8 with a blank", {"<?xml version=\"1.0\" encoding=\" UTF-8\"?>", tag}, false},
      {"an encoding that cannot be read", {"<?xml version=\"1.0\" encoding=UTF-8?>", tag}, false},
      {"pseudo-attributes without a blank between",
       {"<?xml version=\"1.0\"encoding=\"UTF-8\"?>", tag},
       false},
  };
  for (const Case& c : cases) {
    std::vector<fw::String> lines(c.lines.begin(), c.lines.end());
    lines.emplace_back("<dict>");
    EXPECT_EQ(plistHeaderIsReadable(lines), c.readable) << c.name;
  }
}

// "&quot;", "&apos;" and every character reference were kept as written, and
// the writer then escaped their "&" once more.
TEST(XmlReader, ReferencesAreDecodedAsXmlDoes) {
  struct Case {
    const char* written;
    const char* read;  // nullptr: refused
  };
  const Case cases[] = {
      {"&lt;&gt;&amp;&quot;&apos;", "<>&\"'"},
      {"&amp;lt;", "&lt;"},
      {"&#9;&#10;&#13;&#32;", "\t\n\r "},
      {"&#x9;&#xA;&#xd;&#x1F600;", "\t\n\r\xF0\x9F\x98\x80"},
      {"&#0065;&#x00041;", "AA"},
      {"&#xE9;&#x20AC;&#xD7FF;&#xE000;&#xFFFD;&#x10000;&#x10FFFF;",
       "\xC3\xA9\xE2\x82\xAC\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
      {"&#0;", nullptr},
      {"&#1;", nullptr},
      {"&#x1F;", nullptr},
      {"&#xD800;", nullptr},
      {"&#xDFFF;", nullptr},
      {"&#xFFFE;", nullptr},
      {"&#xFFFF;", nullptr},
      {"&#x110000;", nullptr},
      {"&#99999999999999999999;", nullptr},
      {"&#X41;", nullptr},
      {"&#x;", nullptr},
      {"&#;", nullptr},
      {"&#65", nullptr},
      {"&#6 5;", nullptr},
      {"&#x4G;", nullptr},
      {"&amp", nullptr},
      {"&lt", nullptr},
      {"&LT;", nullptr},
      {"&nbsp;", nullptr},
      {"&", nullptr},
      {"a&b", nullptr},
  };
  for (const Case& c : cases) {
    const std::string expected = c.read ? "k" + testsupport::Escaped(c.read) +
                                              " (string) = " + testsupport::Escaped(c.read) + "\n"
                                        : "refused";
    EXPECT_EQ(
        xmltest::ReadOrRefuse(Join({std::string("<key>k") + c.written + "</key>",
                                    std::string("<string>") + c.written + "</string>", "</dict>"})),
        expected)
        << c.written;
  }
}

TEST(XmlReader, ArrayElementsAreNumberedInOrder) {
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
      {"an empty line is layout",
       {"<string>a</string>", "", "<string>b</string>", "</array>"},
       "0 (string) = a\n1 (string) = b\n",
       2},
      {"two elements on one line take a number each",
       {"\t\t<integer>1</integer><integer>2</integer>", "<string>c</string>", "</array>"},
       "0 (integer) = 1\n1 (integer) = 2\n2 (string) = c\n",
       3},
      {"a value spread over lines takes one number",
       {"<string>a", "b</string>", "<string>c</string>", "</array>"},
       "0 (string) = a\\nb\n1 (string) = c\n",
       2},
      {"empty array", {"</array>"}, "", 0},
  };
  for (const Case& c : cases) {
    plist doc;
    auto in = fw::TextInputStream::FromText(Join(c.lines));
    doc.root->Load(in.get(), "root", true, nullptr, &doc, true);
    EXPECT_FALSE(doc.error) << c.name;
    EXPECT_EQ(Describe(*doc.root), c.tree) << c.name;
    EXPECT_EQ(doc.root->indexOf, c.indexOf) << c.name;
  }
}

// Values and keys that other writers (plistlib, libplist) spread over lines
// came back with every line end turned into CR, one more CR at the end and
// the tabs after each break dropped; a key with a break was cut. Later the
// line ends of the file itself were kept, where XML reads LF.
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
       "m (string) = one\\ntwo\n"},
      {"CR", "<key>m</key>\r<string>one\rtwo</string>\r</dict>\r", "m (string) = one\\ntwo\n"},
      {"line ends mixed within one value", "<key>m</key>\n<string>a\r\nb\rc\nd</string>\n</dict>\n",
       "m (string) = a\\nb\\nc\\nd\n"},
      {"CR and LF written as references stay", "<key>m</key>\r\n<string>a&#13;&#10;b</string>\r\n",
       "m (string) = a\\r\\nb\n"},
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
       "<key>&lt;a\r\n\tb&amp;</key>\r\n<true/>\r\n</dict>\r\n", "<a\\n\\tb& (boolean) = true\n"},
      {"key ending with a break after a dict",
       "<key>d</key>\n<dict>\n<key>x</key>\n<true/>\n</dict>\n<key>k\n</key>\n<string>v</string>\n"
       "</dict>\n",
       "d (dict) [dict]\n  x (boolean) = true\nk\\n (string) = v\n"},
      {"data keeps its rule",
       "<key>d</key>\r\n<data>\r\n\tAAAA\r\n\t\tBBBB\r\n\t</data>\r\n</dict>\r\n",
       "d (data) = AAAABBBB\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(xmltest::ReadOrRefuse(c.text), c.tree) << c.name;
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

// References that cannot be decoded stay as written.
TEST(XmlReader, CodeToBracketsDecodesEveryReference) {
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
      {"&quot;&apos;&#9;&#x1F600;", "\"'\t\xF0\x9F\x98\x80"},
      {"&", "&"},
      {"&&lt;", "&<"},
      {"&#0;&nbsp;&#x110000;", "&#0;&nbsp;&#x110000;"},
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

// A root level with depth dicts nested under the key "d", the innermost
// holding inner, and after following them in the root.
std::string Nested(size_t depth, const std::string& inner, const std::string& after) {
  std::string text;
  for (size_t i = 0; i < depth; ++i) text += "<key>d</key><dict>\n";
  text += inner;
  for (size_t i = 0; i < depth; ++i) text += "</dict>\n";
  return text + after + "</dict>\n";
}

// The level depth dicts below root under the key "d", or nullptr.
plistDict* Innermost(plistDict* root, size_t depth) {
  for (size_t i = 0; i < depth && root; ++i) root = root->child("d");
  return root;
}

const std::string kLeaf = "<key>leaf</key><string>x</string>\n";
const std::string kAfter = "<key>after</key><string>y</string>\n";

// Nesting deeper than the bound was read as a cut tree with no error, and
// only the save refused: the read is now refused. The file nests exactly one
// level past the bound, with the root kMaxDepth + 1 levels. No stack is used
// per level.
TEST(XmlReader, NestingBeyondTheBoundIsRefused) {
  const std::string text = Nested(plistDict::kMaxDepth, kLeaf, kAfter);
  plist doc;
  xmltest::RunWithSmallStack([&] {
    auto in = fw::TextInputStream::FromText(text);
    doc.root->Load(in.get(), "root", false, nullptr, &doc, true);
  });
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, "Not a plist file");
  EXPECT_EQ(doc.root->count(), 0);
}

TEST(XmlReader, NestingUpToTheBoundIsReadInFull) {
  const size_t depth = plistDict::kMaxDepth - 1;  // with the root: the bound
  std::unique_ptr<plistDict> root;
  xmltest::RunWithSmallStack([&] { root = Read(Nested(depth, kLeaf, kAfter)); });
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetType("after"), "string");
  plistDict* node = Innermost(root.get(), depth);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(Describe(*node), "leaf (string) = x\n");
}

// An empty level written "<dict/>" opens no level, so it may stand one past
// the innermost level that the bound allows.
TEST(XmlReader, EmptyLevelJustPastTheBoundIsRead) {
  const size_t depth = plistDict::kMaxDepth - 1;
  std::unique_ptr<plistDict> root;
  xmltest::RunWithSmallStack(
      [&] { root = Read(Nested(depth, "<key>e</key><dict/>\n<key>a</key><array/>\n", "")); });
  ASSERT_NE(root, nullptr);
  plistDict* node = Innermost(root.get(), depth);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(Describe(*node), "e (dict) [dict]\na (array) [array]\n");
}

}  // namespace
