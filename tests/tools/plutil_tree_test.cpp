// The value tree through each reader and writer: what the XML reader makes
// of element texts and markup, what the binary writer keeps, what the XML
// form refuses, and the bounds on depth and on the XML text's size.
#include "plutil/BinaryReader.h"
#include "plutil/BinaryWriter.h"
#include "plutil/Convert.h"
#include "plutil/Limits.h"
#include "plutil/Reader.h"
#include "plutil/XmlReader.h"
#include "plutil/XmlWriter.h"
#include "support/BinaryBuilder.h"
#include "support/ToolTest.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <vector>

// Failure injection for the out-of-memory tests: while allocationsLeft is
// N >= 0, the allocation after the next N throws std::bad_alloc, once.
namespace {
std::atomic<long> allocationsLeft{-1};
}  // namespace

// (Not inlined, so that the compiler does not take the free below for one
// of memory that operator new gave.)
[[gnu::noinline]] void* operator new(std::size_t size) {
  if (allocationsLeft.load() >= 0 && allocationsLeft.fetch_sub(1) == 0) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace std::string_literals;
using binarytest::AppendBigEndian;
using binarytest::Array;
using binarytest::Binary;
using binarytest::Chain;
using plutil::Kind;
using plutil::Tree;

std::string InPlist(const std::string& body) {
  return "<plist version=\"1.0\">" + body + "</plist>";
}

// ---- binary files with their offset tables changed -------------------------
// (Binary writes 4-byte offsets and references.)

std::uint64_t ReadBigEndian(const std::string& bytes, std::size_t at, unsigned size) {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < size; ++i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint64_t TableAt(const std::string& bytes) {
  return ReadBigEndian(bytes, bytes.size() - 8, 8);
}

std::uint64_t TrailerObjects(const std::string& bytes) {
  return ReadBigEndian(bytes, bytes.size() - 24, 8);
}

// Makes object number `number` name the byte at offset.
void SetOffset(std::string& bytes, std::uint32_t number, std::uint64_t offset) {
  std::string entry;
  AppendBigEndian(entry, offset, 4);
  bytes.replace(TableAt(bytes) + 4 * number, 4, entry);
}

std::uint64_t OffsetOf(const std::string& bytes, std::uint32_t number) {
  return ReadBigEndian(bytes, TableAt(bytes) + 4 * number, 4);
}

// An array holding object numbers 1 to count, all naming one object (and
// after them any objects that it refers to, numbered from count + 1).
std::string OneObjectUnderManyNumbers(const std::string& object, std::uint32_t count,
                                      const std::string& after = {}) {
  std::vector<std::uint32_t> numbers(count);
  for (std::uint32_t i = 0; i < count; ++i) numbers[i] = i + 1;
  std::vector<std::string> objects{Array(numbers), object};
  objects.resize(count + 1, "\x08");  // numbers 2 to count, named over below
  if (!after.empty()) objects.push_back(after);
  std::string bytes = Binary(objects);
  for (std::uint32_t i = 2; i <= count; ++i) SetOffset(bytes, i, OffsetOf(bytes, 1));
  return bytes;
}

// An array of two: a chain of 3,000 arrays, and a chain of levels - 3,001
// arrays whose innermost holds the first chain again under another number.
std::string SharedChainOfLevels(std::uint32_t levels) {
  constexpr std::uint32_t kShared = 3000;
  const std::uint32_t outer = levels - 1 - kShared;
  // 0: the root; 1..kShared: the shared chain; kShared + 1: its string;
  // kShared + 2..: the outer chain; last: a second number for object 1.
  std::vector<std::string> objects{Array({1, kShared + 2})};
  for (std::uint32_t i = 1; i <= kShared; ++i) objects.push_back(Array({i + 1}));
  objects.push_back("\x51x");
  const std::uint32_t alias = kShared + 2 + outer;
  for (std::uint32_t i = 0; i < outer; ++i)
    objects.push_back(Array({i + 1 < outer ? kShared + 3 + i : alias}));
  objects.push_back("\x08");
  std::string bytes = Binary(objects);
  SetOffset(bytes, alias, OffsetOf(bytes, 1));
  return bytes;
}

// An array of count data objects laid over one another: each starts ten
// bytes after the last (its marker and 8-byte length) and reaches the offset
// table.
std::string OverlappingData(std::uint32_t count) {
  std::vector<std::uint32_t> numbers(count);
  for (std::uint32_t i = 0; i < count; ++i) numbers[i] = i + 1;
  std::string headers;
  for (std::uint32_t i = 0; i < count; ++i) {
    headers += "\x4F\x13";
    AppendBigEndian(headers, 10 * (count - i - 1), 8);
  }
  std::vector<std::string> objects{Array(numbers), headers};
  objects.resize(count + 1, std::string());  // numbers 2 to count, named below
  std::string bytes = Binary(objects);
  for (std::uint32_t i = 2; i <= count; ++i) SetOffset(bytes, i, OffsetOf(bytes, 1) + 10 * (i - 1));
  return bytes;
}

std::string BadXml(const std::string& reason) {
  return "not a valid XML property list (" + reason + ")";
}

// ---- element texts ---------------------------------------------------------

struct TextCase {
  std::string element;  // the root value
  Kind kind;
  std::uint64_t word;  // the node's word (integer bits, double bits, UID)
  bool flag;           // negative integer, or true
  std::string text;    // for strings and data
};

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

const TextCase kReadTexts[] = {
    {"<integer>-1</integer>", Kind::Integer, UINT64_MAX, true, ""},
    {"<integer>18446744073709551615</integer>", Kind::Integer, UINT64_MAX, false, ""},
    {"<integer>-9223372036854775808</integer>", Kind::Integer, 1ull << 63, true, ""},
    {"<integer>010</integer>", Kind::Integer, 10, false, ""},
    {"<real>1.5</real>", Kind::Real, Bits(1.5), false, ""},
    {"<real> -2.5e3\n</real>", Kind::Real, Bits(-2500), false, ""},
    {"<real>.5</real>", Kind::Real, Bits(0.5), false, ""},
    {"<real>-0</real>", Kind::Real, Bits(-0.0), false, ""},
    {"<real>5e-324</real>", Kind::Real, 1, false, ""},
    {"<real>+infinity</real>", Kind::Real, Bits(INFINITY), false, ""},
    {"<real>-Inf</real>", Kind::Real, Bits(-INFINITY), false, ""},
    {"<real>nan</real>", Kind::Real, plutil::kXmlNan, false, ""},
    {"<real>-nan</real>", Kind::Real, plutil::kXmlNan | 1ull << 63, false, ""},
    {"<double>2.5</double>", Kind::Real, Bits(2.5), false, ""},
    {"<date>2001-01-01T00:00:01Z</date>", Kind::Date, Bits(1), false, ""},
    {"<true/>", Kind::Boolean, 0, true, ""},
    {"<false> </false>", Kind::Boolean, 0, false, ""},
    // A character reference is a line break, and so whitespace, in base64.
    {"<data>AAEC&#10;AwQF</data>", Kind::Data, 0, false, "\x00\x01\x02\x03\x04\x05"s},
    {"<data> A A = = </data>", Kind::Data, 0, false, "\x00"s},
    {"<data>AAE=</data>", Kind::Data, 0, false, "\x00\x01"s},
    {"<data></data>", Kind::Data, 0, false, ""},
    {"<string>a &amp; &#x65E5; &lt;</string>", Kind::String, 0, false, "a & \xE6\x97\xA5 <"},
    {"<string><![CDATA[<a>&amp;]]></string>", Kind::String, 0, false, "<a>&amp;"},
    {"<string>a<!-- c -->b<?pi x?>c</string>", Kind::String, 0, false, "abc"},
    {"<string>a\r\nb\rc&#13;</string>", Kind::String, 0, false, "a\nb\nc\r"},
    {"<string id='>' x=\"&lt;\">v</string>", Kind::String, 0, false, "v"},
    {"<string/>", Kind::String, 0, false, ""},
    {"<dict><key>CF$UID</key><integer>7</integer></dict>", Kind::Uid, 7, false, ""},
};

TEST(XmlReader, ElementTexts) {
  for (const TextCase& c : kReadTexts) {
    Tree tree;
    ASSERT_EQ(plutil::ReadXml(InPlist(c.element), tree), std::nullopt) << c.element;
    const plutil::Node& root = tree[tree.root];
    EXPECT_EQ(root.kind, c.kind) << c.element;
    if (c.kind == Kind::String || c.kind == Kind::Data) {
      EXPECT_EQ(tree.Text(root), c.text) << c.element;
    } else {
      EXPECT_EQ(root.word, c.word) << c.element;
      EXPECT_EQ(root.flag, c.flag) << c.element;
    }
  }
}

TEST(XmlReader, DeclaredEncoding) {
  Tree tree;
  ASSERT_EQ(plutil::ReadXml("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
                            "<plist><string>caf\xE9</string></plist>",
                            tree),
            std::nullopt);
  EXPECT_EQ(tree.Text(tree[tree.root]), "caf\xC3\xA9");
}

struct RefusedCase {
  std::string xml;
  std::string reason;
};

const std::string kNoReal = "a real is not a number a double can hold";
const std::string kNoData = "a data element is not base64 text";

const RefusedCase kRefusedTexts[] = {
    {InPlist("<real>1.5abc</real>"), kNoReal},
    {InPlist("<real>0x10</real>"), kNoReal},
    {InPlist("<real>1,5</real>"), kNoReal},
    {InPlist("<real></real>"), kNoReal},
    {InPlist("<real>1e999</real>"), kNoReal},
    {InPlist("<real>1e-999</real>"), kNoReal},
    {InPlist("<real>nan(1)</real>"), kNoReal},
    {InPlist("<real>--1</real>"), kNoReal},
    {InPlist("<real>.</real>"), kNoReal},
    {InPlist("<integer>12abc</integer>"), "an integer is not a whole number"},
    {InPlist("<integer>99999999999999999999</integer>"),
     "an integer is out of range (-2^63 to 2^64-1)"},
    {InPlist("<data>AA=</data>"), kNoData},
    {InPlist("<data>AAE</data>"), kNoData},
    {InPlist("<data>A===</data>"), kNoData},
    {InPlist("<data>AA==AA==</data>"), kNoData},
    {InPlist("<data>Zh==</data>"), kNoData},  // bits set past the last byte
    {InPlist("<data>AA-_</data>"), kNoData},
    {InPlist("<true>x</true>"), BadXml("text outside a value")},
    {InPlist("<array>x</array>"), BadXml("text outside a value")},
    {InPlist("<dict><![CDATA[x]]></dict>"), BadXml("text outside a value")},
};

const RefusedCase kRefusedMarkup[] = {
    {InPlist("<true/><true/>"), BadXml("more than one value")},
    // A stray value after the root, however it hides.
    {"<?x?>" + InPlist("<date>2001-01-01T00:00:00Z</date>") + "<date>2050-06-01T12:00:00Z</date>",
     "not a valid XML property list"},
    {InPlist("<true/>") + "<!-- after -->", BadXml("markup after the root element")},
    {InPlist("<true/>") + "<?pi after?>", BadXml("markup after the root element")},
    {"<?>" + InPlist("<true/>"), "not a valid XML property list"},
    {InPlist(""), BadXml("no value")},
    {"<plist/>", BadXml("no value")},
    {InPlist("<key>k</key>"), BadXml("a key outside a dict")},
    {InPlist("<array><key>k</key></array>"), BadXml("a key outside a dict")},
    {InPlist("<dict><key>a</key><key>b</key></dict>"), BadXml("a key without a value")},
    {InPlist("<dict><key>a</key></dict>"), BadXml("a key without a value")},
    {InPlist("<dict><true/></dict>"), BadXml("a value without a key")},
    {InPlist("<string><true/></string>"), BadXml("an element inside a value")},
    {InPlist("<true><false/></true>"), BadXml("an element inside a value")},
    {InPlist("<plist><true/></plist>"), BadXml("a plist element inside another element")},
    {InPlist("<float>1</float>"), "not a valid XML property list"},
    {"<!DOCTYPE plist [<!ENTITY a \"b\">]>" + InPlist("<string>&a;</string>"),
     BadXml("a DOCTYPE with an internal subset")},
};

TEST(XmlReader, RefusedTexts) {
  for (const RefusedCase& c : kRefusedTexts) {
    Tree tree;
    EXPECT_EQ(plutil::ReadXml(c.xml, tree), c.reason) << c.xml;
  }
}

TEST(XmlReader, RefusedMarkup) {
  for (const RefusedCase& c : kRefusedMarkup) {
    Tree tree;
    EXPECT_EQ(plutil::ReadXml(c.xml, tree), c.reason) << c.xml;
  }
}

// Entities that expand to a billion characters: never declared, so never
// expanded.
TEST(XmlReader, BillionLaughsIsRefused) {
  std::string doctype = "<!DOCTYPE plist [<!ENTITY a0 \"lol\">";
  for (int i = 1; i < 10; ++i) {
    doctype += "<!ENTITY a" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) doctype += "&a" + std::to_string(i - 1) + ";";
    doctype += "\">";
  }
  Tree tree;
  EXPECT_EQ(plutil::ReadXml(doctype + "]>" + InPlist("<string>&a9;</string>"), tree),
            BadXml("a DOCTYPE with an internal subset"));
}

// A repeated key kept its first place and its last value: the first value
// was dropped without a word.
TEST(XmlReader, RepeatedKeyIsRefused) {
  const struct {
    std::string xml;
    bool refused;
  } cases[] = {
      {"<dict><key>k</key><integer>1</integer><key>j</key><true/>"
       "<key>k</key><integer>2</integer></dict>",
       true},
      {"<dict><key>k</key><true/><key>k</key><true/></dict>", true},
      {"<array><dict><key></key><true/><key></key><false/></dict></array>", true},
      // The same key in two dicts, and keys that differ only in blanks or case.
      {"<dict><key>k</key><dict><key>k</key><true/></dict><key>K</key><true/>"
       "<key>k </key><true/></dict>",
       false},
  };
  for (const auto& c : cases) {
    for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
      plutil::ConvertResult r = plutil::Convert(InPlist(c.xml), format);
      EXPECT_EQ(r.ok, !c.refused) << c.xml << ": " << r.error;
      if (c.refused) {
        EXPECT_EQ(r.error, plutil::kKeyTwice) << c.xml;
      }
    }
  }
}

// ---- depth -----------------------------------------------------------------

// 200,000 nested arrays once overflowed the stack while the tree was freed.
TEST(Depth, TwoHundredThousandLevelsAreRefusedInBothForms) {
  constexpr std::uint32_t kLevels = 200'000;
  std::string xml;
  for (std::uint32_t i = 0; i < kLevels; ++i) xml += "<array>";
  for (std::uint32_t i = 0; i < kLevels; ++i) xml += "</array>";
  for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
    plutil::ConvertResult fromXml = plutil::Convert(InPlist(xml), format);
    EXPECT_EQ(fromXml.error, BadXml(plutil::TooDeep()));
    plutil::ConvertResult fromBinary = plutil::Convert(Chain(kLevels), format);
    EXPECT_EQ(fromBinary.error, "not a valid binary property list (" + plutil::TooDeep() + ")");
  }
}

// A shared container adds its depth at every place that holds it.
TEST(Depth, SharedSubtreesCountAtTheirDeepestPlace) {
  // Object 0 holds the chain of objects 1.. (depth 3000) and an array of
  // 1,200 levels (objects 3001..) whose innermost level holds object 1 again.
  std::vector<std::string> objects;
  constexpr std::uint32_t kChain = 3000, kOuter = 1200;
  objects.push_back(Array({1, kChain + 2}));
  for (std::uint32_t i = 1; i < kChain; ++i) objects.push_back(Array({i + 1}));
  objects.push_back(Array({kChain + 1}));
  objects.push_back("\x51x");
  for (std::uint32_t i = 0; i + 1 < kOuter; ++i) objects.push_back(Array({kChain + 3 + i}));
  objects.push_back(Array({1}));
  EXPECT_EQ(plutil::Convert(Binary(objects), plutil::Format::Binary1).error,
            "not a valid binary property list (" + plutil::TooDeep() + ")");
}

// The depth bound one level too high once went unseen where the depth is
// reached through a shared subtree: 4,097 levels were written to XML.
TEST(Depth, TheBoundHoldsExactlyThroughASharedSubtree) {
  for (std::uint32_t levels : {plutil::kMaxDepth, plutil::kMaxDepth + 1}) {
    const std::string input = SharedChainOfLevels(static_cast<std::uint32_t>(levels));
    for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
      plutil::ConvertResult r = plutil::Convert(input, format);
      if (levels > plutil::kMaxDepth) {
        EXPECT_EQ(r.error, "not a valid binary property list (" + plutil::TooDeep() + ")");
        continue;
      }
      ASSERT_TRUE(r.ok) << r.error;
      // What was written reads back within the bound.
      EXPECT_TRUE(plutil::Convert(r.output, plutil::Format::Binary1).ok);
    }
  }
}

// ---- object numbers and offsets --------------------------------------------

TEST(BinaryReader, ObjectNumbersNamingOneOffsetAreOneObject) {
  // 300 numbers on one 1 MiB data object were read as 300 copies: 300 MiB
  // of binary output, and 1 GB of memory before the XML bound refused it.
  std::string data = "\x4F\x12";
  AppendBigEndian(data, 1 << 20, 4);
  data += std::string(1 << 20, 'x');
  const std::string input = OneObjectUnderManyNumbers(data, 300);
  Tree tree;
  ASSERT_EQ(plutil::ReadBinary(input, tree), std::nullopt);
  EXPECT_EQ(tree.size(), 2u);  // the data and the array
  plutil::ConvertResult binary = plutil::Convert(input, plutil::Format::Binary1);
  ASSERT_TRUE(binary.ok) << binary.error;
  EXPECT_LT(binary.output.size(), input.size());
  EXPECT_EQ(TrailerObjects(binary.output), 2u);
  plutil::ConvertResult xml = plutil::Convert(input, plutil::Format::Xml1);
  EXPECT_TRUE(xml.targetRefused);
  EXPECT_EQ(xml.error, "the XML form would be larger than " +
                           std::to_string(plutil::MaxXmlSize(input.size())) + " bytes");

  // An array of 1,000 items under 1,000 numbers: a million items once read.
  const std::string arrays =
      OneObjectUnderManyNumbers(Array(std::vector<std::uint32_t>(1000, 1001)), 1000, "\x09");
  Tree arraysTree;
  ASSERT_EQ(plutil::ReadBinary(arrays, arraysTree), std::nullopt);
  EXPECT_EQ(arraysTree.size(), 3u);
}

TEST(BinaryReader, OffsetsThatNameNoObjectAreRefused) {
  // Object 0 holds object 1; object 1 is "true", the last byte before the
  // offset table.
  const std::string input = Binary({Array({1}), "\x09"});
  const std::uint64_t table = TableAt(input), end = input.size();
  const struct {
    const char* where;
    std::uint64_t offset;
    bool refused;
  } cases[] = {
      {"the first object", 8, false},
      {"the last byte before the offset table", table - 1, false},
      {"the header's first byte", 0, true},
      {"the header's last byte", 7, true},
      {"the offset table's first byte", table, true},
      {"the 0x08 (false) ending object 0's offset", table + 3, true},
      {"the trailer", end - 32, true},
      {"the trailer's last byte", end - 1, true},
      {"the end of the file", end, true},
      {"past the end", end + 1000, true},
      {"far past the end", UINT32_MAX, true},
  };
  for (const auto& c : cases) {
    std::string bytes = input;
    SetOffset(bytes, 1, c.offset);
    Tree tree;
    std::optional<std::string> refusal = plutil::ReadBinary(bytes, tree);
    if (c.refused) {
      EXPECT_EQ(refusal, "not a valid binary property list (object offset out of range)")
          << c.where;
    } else if (c.offset == 8) {
      EXPECT_EQ(refusal, "not a valid binary property list (reference cycle)") << c.where;
    } else {
      EXPECT_EQ(refusal, std::nullopt) << c.where;
    }
  }
  // The root's own offset is checked the same way.
  std::string bytes = input;
  SetOffset(bytes, 0, table);
  Tree tree;
  EXPECT_EQ(plutil::ReadBinary(bytes, tree),
            "not a valid binary property list (object offset out of range)");
}

TEST(BinaryReader, ACycleThroughAnotherNumberIsRefused) {
  // Object 0 holds object 1, which names object 0's bytes.
  std::string bytes = Binary({Array({1}), "\x09"});
  SetOffset(bytes, 1, 8);
  Tree tree;
  EXPECT_EQ(plutil::ReadBinary(bytes, tree), "not a valid binary property list (reference cycle)");
}

// Data objects laid over one another, each starting 10 bytes after the last
// and reaching the offset table: the tree would grow with the square of the
// file's size.
TEST(BinaryReader, ObjectsOverlappingPastTheBoundAreRefused) {
  const std::string kOverlap =
      "not a valid binary property list (objects overlap and stand for more than the file may "
      "hold)";
  for (std::uint32_t count : {3u, 300u}) {
    const std::string input = OverlappingData(count);
    for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
      plutil::ConvertResult r = plutil::Convert(input, format);
      if (count == 3) {
        EXPECT_TRUE(r.ok) << r.error;
      } else {
        EXPECT_EQ(r.error, kOverlap);
      }
    }
  }
}

// ---- the binary writer -----------------------------------------------------

std::string BinaryReal(std::uint64_t bits, const char* marker = "\x23") {
  std::string object = marker;
  AppendBigEndian(object, bits, 8);
  return Binary({object});
}

std::string BinaryDate(std::uint64_t bits) { return BinaryReal(bits, "\x33"); }

// The 8 bytes of the real or date that is the root of a binary file.
std::uint64_t RootWord(const std::string& bytes) {
  Tree tree;
  EXPECT_EQ(plutil::ReadBinary(bytes, tree), std::nullopt);
  return tree.size() ? tree[tree.root].word : 0;
}

TEST(BinaryWriter, RealsKeepTheirEightBytes) {
  for (std::uint64_t bits :
       std::vector<std::uint64_t>{Bits(-0.0), Bits(0.1), plutil::kXmlNan, 0x7FF0000000000001ull,
                                  0xFFF8000000000000ull, 0x7FF800000000BEEFull, 1ull}) {
    plutil::ConvertResult r = plutil::Convert(BinaryReal(bits), plutil::Format::Binary1);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(RootWord(r.output), bits);
    // libplist, an independent reader, sees the same double.
    plutil::PlistHandle peer = tooltest::FromBinary(r.output);
    ASSERT_TRUE(peer);
    double value = 0;
    plist_get_real_val(peer.get(), &value);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(value), bits);
  }
}

// Binary to binary keeps a date to the bit, -0.0 among them (the XML form
// refuses -0.0, whose sign its text cannot hold).
TEST(BinaryWriter, DatesKeepTheirEightBytes) {
  for (std::uint64_t bits : {Bits(-0.0), Bits(0.0), Bits(0.5), Bits(-1e9)}) {
    plutil::ConvertResult r = plutil::Convert(BinaryDate(bits), plutil::Format::Binary1);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(RootWord(r.output), bits);
  }
  plutil::ConvertResult zero = plutil::Convert(BinaryDate(Bits(0.0)), plutil::Format::Xml1);
  ASSERT_TRUE(zero.ok) << zero.error;
  EXPECT_NE(zero.output.find("<date>2001-01-01T00:00:00Z</date>"), std::string::npos);
}

TEST(BinaryWriter, FourByteRealsBecomeTheSameDouble) {
  plutil::ConvertResult r =
      plutil::Convert(Binary({"\x22\x3F\xC0\x00\x00"s}), plutil::Format::Binary1);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(RootWord(r.output), Bits(1.5));
}

// Every integer through XML to binary, read by libplist, and back to XML.
TEST(BinaryWriter, IntegersAtEverySizeBoundary) {
  const char* texts[] = {"0",
                         "255",
                         "256",
                         "65535",
                         "65536",
                         "4294967295",
                         "4294967296",
                         "9223372036854775807",
                         "9223372036854775808",
                         "18446744073709551615",
                         "-1",
                         "-256",
                         "-9223372036854775808"};
  for (const char* text : texts) {
    std::string xml = InPlist(std::string("<integer>") + text + "</integer>");
    plutil::ConvertResult binary = plutil::Convert(xml, plutil::Format::Binary1);
    ASSERT_TRUE(binary.ok) << binary.error;
    plutil::PlistHandle peer = tooltest::FromBinary(binary.output);
    ASSERT_TRUE(peer) << text;
    EXPECT_NE(tooltest::CanonicalXml(peer.get()).find(std::string("<integer>") + text + "<"),
              std::string::npos)
        << text;
    plutil::ConvertResult back = plutil::Convert(binary.output, plutil::Format::Xml1);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_NE(back.output.find(std::string("<integer>") + text + "</integer>"), std::string::npos);
  }
}

// A 16-byte integer whose high half only extends the sign of the low half.
TEST(BinaryReader, SixteenByteNegativeInteger) {
  std::string object = "\x14";
  AppendBigEndian(object, UINT64_MAX, 8);
  AppendBigEndian(object, static_cast<std::uint64_t>(-5), 8);
  plutil::ConvertResult r = plutil::Convert(Binary({object}), plutil::Format::Xml1);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_NE(r.output.find("<integer>-5</integer>"), std::string::npos);
}

// Binary to binary writes each shared object once: 41 objects stand for 2^40
// nodes.
TEST(BinaryWriter, SharedObjectsStayShared) {
  std::string input = Chain(40, 2);
  plutil::ConvertResult r = plutil::Convert(input, plutil::Format::Binary1);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(TrailerObjects(r.output), TrailerObjects(input));
  plutil::ConvertResult again = plutil::Convert(r.output, plutil::Format::Binary1);
  ASSERT_TRUE(again.ok) << again.error;
  EXPECT_EQ(again.output, r.output);
}

TEST(BinaryWriter, StringsAsAsciiOrUtf16) {
  struct Case {
    std::string xml;
    std::string object;  // the root object as written
  } cases[] = {
      {"<string>ab</string>",
       "\x52"
       "ab"},
      {"<string>\xC3\xA9</string>", "\x61\x00\xE9"s},
      {"<string>\xF0\x9F\x98\x80</string>", "\x62\xD8\x3D\xDE\x00"s},  // a surrogate pair
      {"<string>" + std::string(15, 'a') + "</string>", "\x5F\x10\x0F" + std::string(15, 'a')},
  };
  for (const Case& c : cases) {
    plutil::ConvertResult r = plutil::Convert(InPlist(c.xml), plutil::Format::Binary1);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.output.substr(8, c.object.size()), c.object) << c.xml;
  }
}

// ---- what the XML form cannot hold -----------------------------------------

std::string Utf16(const std::string& units) {
  std::string object(1, static_cast<char>(0x60 | units.size() / 2));
  return object + units;
}

const std::string kDict = "\xD1\0\0\0\x01\0\0\0\x02"s;  // key: object 1, value: object 2

struct XmlOnlyCase {
  const char* name;
  std::string binary;
  std::string reason;
};

const std::string kControl =
    "a key or string holds a control character, which the XML form cannot hold";
const std::string kNonCharacter =
    "a key or string holds U+FFFE or U+FFFF, which the XML form cannot hold";
const std::string kOtherNan = "a real is a NaN other than the one the XML form holds";
const std::string kUidDict = "a dict holds only the key CF$UID, which the XML form reads as a UID";

const XmlOnlyCase kXmlOnly[] = {
    {"ControlInString",
     Binary({"\x53"
             "a\x01z"s}),
     kControl},
    {"EscapeInKey", Binary({kDict, "\x51\x1B", "\x09"}), kControl},
    {"UnitSeparator", Binary({Utf16("\0\x1F"s)}), kControl},
    {"Fffe", Binary({Utf16("\xFF\xFE"s)}), kNonCharacter},
    {"Ffff", Binary({Array({1}), Utf16("\0a\xFF\xFF"s)}), kNonCharacter},
    {"NanPayload", BinaryReal(0x7FF800000000BEEFull), kOtherNan},
    {"NegativeNan", BinaryReal(0xFFF8000000000000ull), kOtherNan},
    {"SignallingNan", BinaryReal(0x7FF0000000000001ull), kOtherNan},
    {"NegativeZeroDate", BinaryDate(Bits(-0.0)), std::string(plutil::kDateNegativeZero)},
    {"UidShapedDict",
     Binary({kDict,
             "\x56"
             "CF$UID",
             "\x10\x05"}),
     kUidDict},
    {"UidKeyWithString",
     Binary({kDict,
             "\x56"
             "CF$UID",
             "\x51x"}),
     kUidDict},
};

class XmlOnly : public testing::TestWithParam<XmlOnlyCase> {};

TEST_P(XmlOnly, RefusedForXmlKeptForBinary) {
  plutil::ConvertResult xml = plutil::Convert(GetParam().binary, plutil::Format::Xml1);
  EXPECT_FALSE(xml.ok);
  EXPECT_TRUE(xml.targetRefused);
  EXPECT_EQ(xml.error, GetParam().reason);
  plutil::ConvertResult binary = plutil::Convert(GetParam().binary, plutil::Format::Binary1);
  ASSERT_TRUE(binary.ok) << binary.error;
  plutil::ConvertResult again = plutil::Convert(binary.output, plutil::Format::Binary1);
  EXPECT_EQ(again.output, binary.output);
}

INSTANTIATE_TEST_SUITE_P(Cases, XmlOnly, testing::ValuesIn(kXmlOnly),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(XmlOnly, ADictShapedLikeAUidStaysADictInBinary) {
  plutil::ConvertResult r = plutil::Convert(Binary({kDict,
                                                    "\x56"
                                                    "CF$UID",
                                                    "\x10\x05"}),
                                            plutil::Format::Binary1);
  ASSERT_TRUE(r.ok) << r.error;
  plutil::PlistHandle peer = tooltest::FromBinary(r.output);
  ASSERT_TRUE(peer);
  EXPECT_EQ(plist_get_node_type(peer.get()), PLIST_DICT);
}

TEST(XmlOnly, TabLineBreaksAndTheOneNanAreWritten) {
  plutil::ConvertResult text = plutil::Convert(Binary({"\x53\t\n\r"s}), plutil::Format::Xml1);
  ASSERT_TRUE(text.ok) << text.error;
  EXPECT_NE(text.output.find("<string>\t&#10;&#13;</string>"), std::string::npos);
  plutil::ConvertResult nan = plutil::Convert(BinaryReal(plutil::kXmlNan), plutil::Format::Xml1);
  ASSERT_TRUE(nan.ok) << nan.error;
  EXPECT_NE(nan.output.find("<real>nan</real>"), std::string::npos);
}

// ---- the XML size bound ----------------------------------------------------

// plistlib writes a list of one shared bytes object so: 1,000 references to
// one 1 MiB data object, 1.4 GB as XML.
TEST(XmlBound, SharedDataReferencedAThousandTimesIsRefused) {
  std::string data = "\x4F\x12";
  AppendBigEndian(data, 1 << 20, 4);
  data += std::string(1 << 20, 'x');
  std::string input = Binary({Array(std::vector<std::uint32_t>(1000, 1)), data});
  plutil::ConvertResult xml = plutil::Convert(input, plutil::Format::Xml1);
  EXPECT_FALSE(xml.ok);
  EXPECT_TRUE(xml.targetRefused);
  EXPECT_EQ(xml.error, "the XML form would be larger than " +
                           std::to_string(plutil::MaxXmlSize(input.size())) + " bytes");
  plutil::ConvertResult binary = plutil::Convert(input, plutil::Format::Binary1);
  ASSERT_TRUE(binary.ok) << binary.error;
  EXPECT_LT(binary.output.size(), input.size());
}

TEST(XmlBound, SizeIsExact) {
  const std::string inputs[] = {
      InPlist("<dict/>"),
      InPlist("<array/>"),
      InPlist("<string>a&amp;b&#10;</string>"),
      InPlist("<dict><key>k&lt;</key><array><dict/><array/><data>AAEC</data><true/><false/>"
              "<integer>-5</integer><real>0.1</real><real>nan</real><date>2001-01-01T00:00:00Z"
              "</date><dict><key>CF$UID</key><integer>300</integer></dict><dict><key>x</key>"
              "<array><string/></array></dict></array></dict>"),
      Chain(12, 2),
  };
  for (const std::string& input : inputs) {
    Tree tree;
    ASSERT_EQ(plutil::ReadPlist(input, tree), std::nullopt);
    EXPECT_EQ(plutil::XmlSize(tree), plutil::WriteXml(tree).size()) << input;
  }
}

TEST(XmlBound, SharedSubtreesCountAtEveryPlace) {
  Tree chain;
  ASSERT_EQ(plutil::ReadBinary(Chain(30, 2), chain), std::nullopt);
  // 2^29 innermost strings, each on a line of 30 tabs and "<string>x</string>".
  EXPECT_GT(plutil::XmlSize(chain), (std::uint64_t{1} << 29) * (30 + 19));
  EXPECT_FALSE(plutil::Convert(Chain(30, 2), plutil::Format::Xml1).ok);
}

// ---- running out of memory -------------------------------------------------

// Converts input with each allocation in turn failing. Every failure must
// reach the caller as std::bad_alloc: never a refusal, never a result, and
// never through expat's C frames (its handlers are noexcept, so an exception
// leaving one would end the process). Returns the first problem, or "".
std::string FailEachAllocation(const std::string& input, plutil::Format format) {
  const plutil::ConvertResult expected = plutil::Convert(input, format);
  long failing = 0;
  for (;; ++failing) {
    allocationsLeft = failing;
    bool threw = false;
    plutil::ConvertResult r;
    try {
      r = plutil::Convert(input, format);
    } catch (const std::bad_alloc&) {
      threw = true;
    }
    const bool failed = allocationsLeft < 0;
    allocationsLeft = -1;
    if (!failed) {
      if (threw || r.ok != expected.ok || r.output != expected.output) return "a different result";
      break;
    }
    if (!threw) {
      return "allocation " + std::to_string(failing) + " failed, and Convert " +
             (r.ok ? "converted" : "refused: " + r.error);
    }
  }
  return failing > 20 ? "" : "too few allocations to check";
}

void ExitWith(const std::string& problem) {
  std::fputs(problem.c_str(), stderr);
  std::_Exit(problem.empty() ? 0 : 1);
}

// Running out of memory inside expat's callbacks unwound through its C
// frames, and was reported as "not a valid XML property list".
TEST(OutOfMemory, EveryFailedAllocationReachesTheCallerAsBadAlloc) {
  const std::string xml = InPlist(
      "<dict><key>a&amp;b</key><array><string>x<!-- c --></string><integer>7</integer>"
      "<data>AAEC</data><date>2001-01-01T00:00:00Z</date><real>1.5</real><true/><dict/></array>"
      "<key>u</key><dict><key>CF$UID</key><integer>3</integer></dict></dict>");
  const std::string binary = plutil::Convert(xml, plutil::Format::Binary1).output;
  ASSERT_FALSE(binary.empty());
  for (const std::string* input : {&xml, &binary}) {
    for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
      EXPECT_EXIT(ExitWith(FailEachAllocation(*input, format)), testing::ExitedWithCode(0), "")
          << (input == &xml ? "XML" : "binary") << " input";
    }
  }
}

#if !defined(__SANITIZE_ADDRESS__)  // its shadow memory takes the address space
// expat itself running out of memory ended as "not a valid XML property list".
TEST(OutOfMemory, ExpatRunningOutIsBadAlloc) {
  // A 64 MiB attribute, which expat stores and the reader ignores.
  const std::string xml = "<plist version=\"" + std::string(64 << 20, 'a') + "\"><true/></plist>";
  auto convertWithLittleRoom = [&xml] {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t room = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + (16 << 20);
    const rlimit limit{room, room};
    ::setrlimit(RLIMIT_AS, &limit);
    try {
      plutil::ConvertResult r = plutil::Convert(xml, plutil::Format::Binary1);
      ExitWith(r.ok ? "converted" : "refused: " + r.error);
    } catch (const std::bad_alloc&) {
      ExitWith("");
    }
  };
  EXPECT_EXIT(convertWithLittleRoom(), testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
