// The XML writer: the line of every entry kind, indentation, escaping of
// values and keys, and the walk over nested levels.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#include <functional>
#include <string>
#include <vector>

#include "plist/plistDict.h"
#include "tests/store/support/XmlTree.h"

// Heap bytes in use and the most in use since peak was last set, counted by
// the replaced operator new and delete below.
namespace heap {
std::size_t live = 0;
std::size_t peak = 0;
}  // namespace heap

void* operator new(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  heap::live += malloc_usable_size(p);
  heap::peak = std::max(heap::peak, heap::live);
  return p;
}

void operator delete(void* p) noexcept {
  if (!p) return;
  heap::live -= malloc_usable_size(p);
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

using xmltest::Join;
using xmltest::Written;

void Leaf(plistDict& node, const std::string& key, const std::string& type,
          const std::string& value) {
  node.types.SetValue(key, type);
  node.values.SetValue(key, value);
}

struct LineCase {
  const char* name;
  std::function<void(plistDict&)> fill;
  std::vector<std::string> lines;  // written at indent 1
};

const LineCase kLineCases[] = {
    {"string",
     [](plistDict& n) { Leaf(n, "k", "string", "text"); },
     {"\t<key>k</key>", "\t<string>text</string>"}},
    {"integer",
     [](plistDict& n) { Leaf(n, "k", "integer", "-12"); },
     {"\t<key>k</key>", "\t<integer>-12</integer>"}},
    {"real",
     [](plistDict& n) { Leaf(n, "k", "real", "1.5"); },
     {"\t<key>k</key>", "\t<real>1.5</real>"}},
    {"double keeps its element name",
     [](plistDict& n) { Leaf(n, "k", "double", "2.25"); },
     {"\t<key>k</key>", "\t<double>2.25</double>"}},
    {"date",
     [](plistDict& n) { Leaf(n, "k", "date", "2024-01-02T03:04:05Z"); },
     {"\t<key>k</key>", "\t<date>2024-01-02T03:04:05Z</date>"}},
    {"data on three lines",
     [](plistDict& n) { Leaf(n, "k", "data", "AAEC"); },
     {"\t<key>k</key>", "\t<data>", "\tAAEC", "\t</data>"}},
    {"empty data: middle line of tabs only",
     [](plistDict& n) { Leaf(n, "k", "data", ""); },
     {"\t<key>k</key>", "\t<data>", "\t", "\t</data>"}},
    {"boolean true",
     [](plistDict& n) { Leaf(n, "k", "boolean", "true"); },
     {"\t<key>k</key>", "\t<true/>"}},
    {"boolean false",
     [](plistDict& n) { Leaf(n, "k", "boolean", "false"); },
     {"\t<key>k</key>", "\t<false/>"}},
    {"boolean other than true",
     [](plistDict& n) { Leaf(n, "k", "boolean", "TRUE"); },
     {"\t<key>k</key>", "\t<false/>"}},
    {"type read from a file",
     [](plistDict& n) { Leaf(n, "k", "custom", "v"); },
     {"\t<key>k</key>", "\t<custom>v</custom>"}},
    {"leaf without value text",
     [](plistDict& n) { n.types.SetValue("k", "string"); },
     {"\t<key>k</key>", "\t<string></string>"}},
    {"dict entry without child: key line only",
     [](plistDict& n) { n.types.SetValue("k", "dict"); },
     {"\t<key>k</key>"}},
    {"empty dict", [](plistDict& n) { n.AddChild("d"); }, {"\t<key>d</key>", "\t<dict/>"}},
    {"empty array", [](plistDict& n) { n.AddArray("a"); }, {"\t<key>a</key>", "\t<array/>"}},
    {"nested dict one tab deeper, closed at the parent's indent",
     [](plistDict& n) {
       n.AddChild("d");
       Leaf(*n.child("d"), "x", "string", "1");
     },
     {"\t<key>d</key>", "\t<dict>", "\t\t<key>x</key>", "\t\t<string>1</string>", "\t</dict>"}},
    {"array writes no key lines, in key order",
     [](plistDict& n) {
       n.AddArray("a");
       plistDict& a = *n.child("a");
       a.AppendBoolean(true);
       a.AppendBoolean(false);
       a.AppendString("s");
       a.AppendDict();
       a.AppendArray();
     },
     {"\t<key>a</key>", "\t<array>", "\t\t<true/>", "\t\t<false/>", "\t\t<string>s</string>",
      "\t\t<dict/>", "\t\t<array/>", "\t</array>"}},
    {"entries in key order",
     [](plistDict& n) {
       Leaf(n, "b", "string", "1");
       Leaf(n, "a", "string", "2");
       Leaf(n, "b", "string", "3");  // replaced, keeps its place
     },
     {"\t<key>b</key>", "\t<string>3</string>", "\t<key>a</key>", "\t<string>2</string>"}},
    {"values stored in another order than the keys",
     [](plistDict& n) {
       n.types.SetValue("a", "string");
       n.types.SetValue("b", "integer");
       n.types.SetValue("c", "string");
       n.values.SetValue("c", "3");
       n.values.SetValue("b", "2");
       n.values.SetValue("a", "1");
     },
     {"\t<key>a</key>", "\t<string>1</string>", "\t<key>b</key>", "\t<integer>2</integer>",
      "\t<key>c</key>", "\t<string>3</string>"}},
    {"after a removal from the middle",
     [](plistDict& n) {
       for (const char* k : {"a", "b", "c"}) Leaf(n, k, "string", k);
       n.types.Remove("b");
       n.values.Remove("b");
     },
     {"\t<key>a</key>", "\t<string>a</string>", "\t<key>c</key>", "\t<string>c</string>"}},
    // The stored text is escaped so that every element stands on one line
    // that XML readers accept: "&" first, then "<" and ">", CR and LF.
    {"value escaping",
     [](plistDict& n) { Leaf(n, "k", "string", "a<b>c&d&lt;"); },
     {"\t<key>k</key>", "\t<string>a&lt;b&gt;c&amp;d&amp;lt;</string>"}},
    {"key escaping",
     [](plistDict& n) { Leaf(n, "<a>&b", "string", ""); },
     {"\t<key>&lt;a&gt;&amp;b</key>", "\t<string></string>"}},
    {"line breaks in a value",
     [](plistDict& n) { Leaf(n, "k", "string", "a\nb\r\nc\r"); },
     {"\t<key>k</key>", "\t<string>a&#10;b&#13;&#10;c&#13;</string>"}},
    {"line breaks in a key",
     [](plistDict& n) { Leaf(n, "a\nb", "string", "v"); },
     {"\t<key>a&#10;b</key>", "\t<string>v</string>"}},
    {"line breaks in data",
     [](plistDict& n) { Leaf(n, "k", "data", "AA\nBB"); },
     {"\t<key>k</key>", "\t<data>", "\tAA&#10;BB", "\t</data>"}},
    {"tabs stay as they are",
     [](plistDict& n) { Leaf(n, "k", "string", "\ta\tb"); },
     {"\t<key>k</key>", "\t<string>\ta\tb</string>"}},
};

TEST(XmlWriter, LineOfEveryEntryKind) {
  for (const LineCase& c : kLineCases) {
    plistDict node;
    c.fill(node);
    EXPECT_EQ(Written(node, 1), Join(c.lines)) << c.name;
  }
}

TEST(XmlWriter, IndentZeroGivesNoTabs) {
  plistDict node;
  Leaf(node, "k", "string", "v");
  EXPECT_EQ(Written(node, 0), "<key>k</key>\n<string>v</string>\n");
  EXPECT_EQ(Written(node, 3), "\t\t\t<key>k</key>\n\t\t\t<string>v</string>\n");
}

TEST(XmlWriter, EmptyLevelWritesNothing) {
  plistDict node;
  EXPECT_EQ(Written(node, 1), "");
}

TEST(XmlWriter, ArrayLevelItselfWritesNoKeyLines) {
  plistDict parent;
  parent.AddArray("a");
  plistDict& a = *parent.child("a");
  a.AppendInteger(7);
  a.AppendData("AA==");
  EXPECT_EQ(Written(a, 2), "\t\t<integer>7</integer>\n\t\t<data>\n\t\tAA==\n\t\t</data>\n");
}

// A level whose child list holds several children under one key writes
// each of them, in list order.
TEST(XmlWriter, EveryChildUnderARepeatedKeyIsWritten) {
  struct Level : plistDict {
    using plistDict::AppendChildNode;
    using plistDict::MakeChildNode;
  };
  auto node = std::make_unique<Level>();
  node->types.SetValue("d", "dict");
  for (const char* key : {"x", "", "y"}) {
    plistDict* child = node->AppendChildNode("d", node->MakeChildNode(false, "d"));
    if (*key) child->SetString(key, *key == 'x' ? "1" : "2");
  }
  EXPECT_EQ(Written(*node, 1), Join({"\t<key>d</key>", "\t<dict>", "\t\t<key>x</key>",
                                     "\t\t<string>1</string>", "\t</dict>", "\t<dict/>", "\t<dict>",
                                     "\t\t<key>y</key>", "\t\t<string>2</string>", "\t</dict>"}));
}

TEST(XmlWriter, BracketsToCodeEscapesAmpersandFirst) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"<", "&lt;"},
      {">", "&gt;"},
      {"&", "&amp;"},
      {"&lt;", "&amp;lt;"},
      {"\r\n", "&#13;&#10;"},
      {"a<b>&c", "a&lt;b&gt;&amp;c"},
      {"\xe6\x97\xa5\xe6\x9c\xac", "\xe6\x97\xa5\xe6\x9c\xac"},
  };
  for (const Case& c : cases) EXPECT_EQ(plistDict::BracketsToCode(c.in), c.out) << c.in;
}

// A chain of levels, each holding the next under "d", the last a string.
void Chain(plistDict& root, int depth) {
  plistDict* node = &root;
  for (int i = 0; i < depth; ++i) {
    node->AddChild("d");
    node = node->child("d");
  }
  Leaf(*node, "k", "string", "deep");
}

// Writing a deep tree takes no stack per level: a chain of levels that one
// call per level could not write within a small stack is written in full.
TEST(XmlWriter, DeepTreeIsWrittenWithinASmallStack) {
  const int depth = 3000;
  plistDict root;
  Chain(root, depth);
  std::string text;
  xmltest::RunWithSmallStack([&] { text = Written(root, 0); });
  std::string expected;
  for (int i = 0; i < depth; ++i)
    expected += std::string(i, '\t') + "<key>d</key>\n" + std::string(i, '\t') + "<dict>\n";
  expected += std::string(depth, '\t') + "<key>k</key>\n" + std::string(depth, '\t') +
              "<string>deep</string>\n";
  for (int i = depth - 1; i >= 0; --i) expected += std::string(i, '\t') + "</dict>\n";
  EXPECT_EQ(text, expected);
}

// The writer kept an indentation text and a closing line for every open
// level, so its memory grew with the square of the depth (200,000 levels ran
// out of memory). Here 4,000 levels held 24 MB that way.
TEST(XmlWriter, MemoryOfADeepWriteStaysLinearInTheDepth) {
  plistDict root;
  Chain(root, 4000);
  testsupport::TempFolder tmp;
  auto out = fw::FolderItem(tmp.File("w")).CreateTextFile();
  ASSERT_NE(out, nullptr);
  const std::size_t before = heap::live;
  heap::peak = before;
  root.Write(*out, 0);
  const std::size_t used = heap::peak - before;
  EXPECT_TRUE(out->Close());
  EXPECT_LT(used, std::size_t{2} << 20);  // the output itself is 24 MB
}

// Writes root at indent 1 with a depth bound; the text written goes to text.
bool WriteWithin(plistDict& root, std::size_t maxDepth, std::string& text) {
  testsupport::TempFolder tmp;
  auto out = fw::FolderItem(tmp.File("w")).CreateTextFile();
  if (!out) return false;
  const bool whole = root.Write(*out, 1, maxDepth);
  out->Close();
  text = testsupport::ReadFile(tmp.File("w"));
  return whole;
}

// The bounded write stops at the first level past the bound; at the bound it
// writes exactly what the unbounded write does.
TEST(XmlWriter, BoundedWriteCountsTheLevelsThatNest) {
  struct Case {
    const char* name;
    std::function<void(plistDict&)> fill;
    std::size_t depth;  // levels written, the root's own counted
  };
  const Case cases[] = {
      {"empty root", [](plistDict&) {}, 1},
      {"leaves only", [](plistDict& n) { Leaf(n, "k", "string", "v"); }, 1},
      {"chain", [](plistDict& n) { Chain(n, 5); }, 6},
      {"empty dict at the bottom is one line, not a level",
       [](plistDict& n) {
         Chain(n, 5);
         plistDict* bottom = &n;
         for (int i = 0; i < 5; ++i) bottom = bottom->child("d");
         bottom->AddChild("empty");
       },
       6},
      {"arrays nest too",
       [](plistDict& n) {
         n.AddArray("a");
         n.child("a")->AppendArray();
         n.child("a")->index(0)->AppendString("x");
       },
       3},
      {"the deepest of several branches",
       [](plistDict& n) {
         Chain(n, 2);
         n.AddChild("other");
         Chain(*n.child("other"), 4);
       },
       6},
  };
  for (const Case& c : cases) {
    plistDict root;
    c.fill(root);
    std::string text;
    EXPECT_TRUE(WriteWithin(root, c.depth, text)) << c.name;
    EXPECT_EQ(text, Written(root, 1)) << c.name;
    EXPECT_FALSE(WriteWithin(root, c.depth - 1, text)) << c.name;
  }
}

}  // namespace
