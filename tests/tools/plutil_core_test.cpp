// The conversion library on bytes in memory: what each reader refuses, and
// the writer's text for single values.
#include "plutil/BinaryReader.h"
#include "plutil/Convert.h"
#include "plutil/Limits.h"
#include "plutil/XmlReader.h"
#include "plutil/XmlWriter.h"
#include "support/BinaryBuilder.h"
#include "support/PlistHandle.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using plutil::kMaxDepth;

// Why the XML reader refuses the text, or nothing.
std::optional<std::string> XmlRefusal(const std::string& xml) {
  plutil::Tree tree;
  return plutil::ReadXml(xml, tree);
}

// Why the binary reader refuses the bytes, or nothing.
std::optional<std::string> BinaryRefusal(const std::string& bytes) {
  plutil::Tree tree;
  return plutil::ReadBinary(bytes, tree);
}

std::string BadXml(const std::string& reason) {
  return "not a valid XML property list (" + reason + ")";
}

std::string BadBinary(const std::string& reason) {
  return "not a valid binary property list (" + reason + ")";
}

std::string Nested(std::size_t levels, const std::string& open = "<array>",
                   const std::string& close = "</array>") {
  std::string xml = "<plist>";
  for (std::size_t i = 0; i < levels; ++i) xml += open;
  for (std::size_t i = 0; i < levels; ++i) xml += close;
  return xml + "</plist>";
}

struct XmlCase {
  const char* name;
  std::string xml;
  std::optional<std::string> reason;
};

const std::string kTooDeep = BadXml("nested deeper than 4096 levels");
const std::string kBadXml = "not a valid XML property list";

const XmlCase kXmlCases[] = {
    {"Plain", "<?xml version=\"1.0\"?><plist><dict><key>a</key><string>b</string></dict></plist>",
     std::nullopt},
    {"AtTheBound", Nested(kMaxDepth), std::nullopt},
    {"PastTheBound", Nested(kMaxDepth + 1), kTooDeep},
    {"DictsCountToo", Nested(kMaxDepth + 1, "<dict><key>k</key>", "</dict>"), kTooDeep},
    {"SelfClosingDoesNotNest",
     "<plist><array>" + std::string(5 * kMaxDepth, ' ') +
         [] {
           std::string s;
           for (std::size_t i = 0; i < 2 * kMaxDepth; ++i) s += "<array/><dict />";
           return s;
         }() +
         "</array></plist>",
     std::nullopt},
    // An element the form does not know is refused, however deep.
    {"UnknownElement", Nested(kMaxDepth + 1, "<x>", "</x>"), kBadXml},
    {"CommentCannotHideDepth", Nested(kMaxDepth + 1, "<array><!-- </array> -->", "</array>"),
     kTooDeep},
    {"CdataCannotHideDepth",
     Nested(kMaxDepth + 1, "<array><string><![CDATA[</array>]]></string>", "</array>"), kTooDeep},
    {"QuotedBracketCannotHideDepth", Nested(kMaxDepth + 1, "<array a=\"/>\">", "</array>"),
     kTooDeep},
    {"SingleQuotedAttributes",
     "<plist><dict><key id='>'>k</key><string id='>'>text</string></dict></plist>", std::nullopt},
    {"DoctypeWithSubset", "<!DOCTYPE plist [ <!ENTITY a \"</dict>\"> ]><plist><dict/></plist>",
     BadXml("a DOCTYPE with an internal subset")},
    {"DoctypeWithoutSubset",
     "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\"><plist><dict/></plist>",
     std::nullopt},
    // With an external subset that is never read, expat skips the reference.
    {"UndeclaredEntity", "<!DOCTYPE plist SYSTEM \"x.dtd\"><plist><string>&a;</string></plist>",
     BadXml("a reference to an undeclared entity")},
    {"UndeclaredEntityWithoutDoctype", "<plist><string>&a;</string></plist>", kBadXml},
    {"Mismatch", "<plist><array></dict></plist>", BadXml("closing tag </dict> does not match")},
    {"CloseWithoutOpen", "</plist>", kBadXml},
    {"UnterminatedTag", "<plist><array", BadXml("unterminated markup")},
    {"UnterminatedComment", "<plist><!-- x", BadXml("unterminated markup")},
    {"UnterminatedCdata", "<plist><string><![CDATA[ x", BadXml("unterminated markup")},
    {"UnterminatedInstruction", "<?xml ", BadXml("unterminated markup")},
    {"Nul", std::string("<plist><string>a\0b</string></plist>", 35),
     BadXml("holds a NUL character")},
    {"NoMarkup", "just text", kBadXml},
};

class XmlStructure : public testing::TestWithParam<XmlCase> {};

TEST_P(XmlStructure, Checked) { EXPECT_EQ(XmlRefusal(GetParam().xml), GetParam().reason); }

INSTANTIATE_TEST_SUITE_P(Cases, XmlStructure, testing::ValuesIn(kXmlCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- binary ----------------------------------------------------------------

using binarytest::AppendBigEndian;
using binarytest::Array;
using binarytest::Binary;
using binarytest::Chain;

using namespace std::string_literals;
const std::string kDict = "\xD1\0\0\0\x01\0\0\0\x02"s;  // key: object 1, value: object 2

struct BinaryCase {
  const char* name;
  std::string bytes;
  std::optional<std::string> reason;
};

const std::string kBinaryTooDeep = BadBinary("nested deeper than 4096 levels");

const BinaryCase kBinaryCases[] = {
    {"OneString", Binary({"\x51x"}), std::nullopt},
    {"EmptyArray", Binary({Array({})}), std::nullopt},
    {"LongArray", Binary({Array(std::vector<std::uint32_t>(20, 1)), "\x09"}), std::nullopt},
    {"AtTheBound", Chain(kMaxDepth), std::nullopt},
    {"PastTheBound", Chain(kMaxDepth + 1), kBinaryTooDeep},
    {"SharedLeavesAreFine", Binary({Array(std::vector<std::uint32_t>(1000, 1)), "\x51x"}),
     std::nullopt},
    // Each level holds the next twice: 2^40 nodes once expanded, but each
    // object is read once.
    {"ExpandingReferences", Chain(40, 2), std::nullopt},
    {"Cycle", Binary({Array({1}), Array({0})}), BadBinary("reference cycle")},
    {"SelfReference", Binary({Array({0})}), BadBinary("reference cycle")},
    {"ReferenceOutOfRange", Binary({Array({5})}), BadBinary("object reference out of range")},
    {"TopOutOfRange", Binary({"\x09"}, 1), BadBinary("bad trailer")},
    {"NoObjects", Binary({}, 0, 0), BadBinary("bad trailer")},
    {"TooManyObjects", Binary({"\x09"}, 0, 1'000'000), BadBinary("bad trailer")},
    {"TooShort", "bplist00" + std::string(31, '\0'), BadBinary("file too short")},
    {"OtherVersion", "bplist15" + Binary({"\x09"}).substr(8), BadBinary("unknown version")},
    {"ContainerPastTable", Binary({"\xA5"}), BadBinary("container out of range")},
    {"BadSizeMarker", Binary({"\xAF\x55"}), BadBinary("bad container size")},
    {"KeyWithNul",
     Binary({kDict,
             "\x53"
             "a\0b"s,
             "\x09"}),
     "a key or string holds a NUL character"},
    {"Utf16KeyWithNul", Binary({kDict, "\x62\0a\0\0"s, "\x09"}),
     "a key or string holds a NUL character"},
    {"ValueWithNul",
     Binary({kDict, "\x51k",
             "\x53"
             "a\0b"s}),
     "a key or string holds a NUL character"},
    {"KeyPastTable", Binary({kDict, "\x59k", "\x09"}), BadBinary("string out of range")},
    {"KeyNotAString", Binary({kDict, "\x10\x01", "\x09"}), BadBinary("a dict key is not a string")},
    {"KeyAnArray", Binary({kDict, Array({}), "\x09"}), BadBinary("a dict key is not a string")},
    // A date's value may share bytes with another object: each is read
    // where it stands (putting a marker in place of the value once gave the
    // key a NUL, and libplist aborted).
    {"DateSharingBytesWithAKey",
     Binary({"\xD1\0\0\0\x02\0\0\0\x01"s, "\x33", "\x51k\0\0\0\0\0\0"s}), std::nullopt},
    {"Set", Binary({"\xC1\0\0\0\x01"s, "\x09"}),
     BadBinary("a set, which a property list cannot hold")},
    {"Null", Binary({"\x00"s}), "not a valid binary property list"},
    {"Fill", Binary({"\x0F"s}), "not a valid binary property list"},
    {"OneByteReal", Binary({"\x20\x01"s}), "not a valid binary property list"},
    {"ThirtyTwoByteInteger", Binary({"\x15" + std::string(32, '\0')}),
     "not a valid binary property list"},
    {"IntegerPastTable", Binary({"\x13\x01"s}), BadBinary("object out of range")},
    {"DataPastTable", Binary({"\x45\x01"s}), BadBinary("data out of range")},
    {"AsciiAbove127", Binary({"\x51\x80"s}), "a key or string is not valid UTF-8"},
    {"LoneHighSurrogate", Binary({"\x63\0A\xD8\x00\0B"s}),
     "a key or string holds a lone surrogate"},
    {"LoneLowSurrogate", Binary({"\x61\xDC\x00"s}), "a key or string holds a lone surrogate"},
    {"HighSurrogateAtTheEnd", Binary({"\x62\0A\xDB\xFF"s}),
     "a key or string holds a lone surrogate"},
    {"SurrogatePair", Binary({"\x62\xD8\x3D\xDE\x00"s}), std::nullopt},
    {"UidOf32Bits", Binary({"\x87\0\0\0\0\xFF\xFF\xFF\xFF"s}), std::nullopt},
    {"UidPast32Bits", Binary({"\x87\0\0\0\x01\0\0\0\0"s}), "a UID is out of range (0 to 2^32-1)"},
};

class BinaryStructure : public testing::TestWithParam<BinaryCase> {};

TEST_P(BinaryStructure, Checked) { EXPECT_EQ(BinaryRefusal(GetParam().bytes), GetParam().reason); }

INSTANTIATE_TEST_SUITE_P(Cases, BinaryStructure, testing::ValuesIn(kBinaryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BinaryStructure, AcceptedFilesAreReadByLibplist) {
  for (std::string bytes : {Chain(kMaxDepth), Chain(10, 3), Binary({Array({1, 1}), "\x51x"})}) {
    plutil::ConvertResult r = plutil::Convert(bytes, plutil::Format::Xml1);
    EXPECT_TRUE(r.ok) << r.error;
  }
}

TEST(XmlStructure, AcceptedFilesAreReadByLibplist) {
  plutil::ConvertResult r = plutil::Convert(Nested(kMaxDepth), plutil::Format::Binary1);
  EXPECT_TRUE(r.ok) << r.error;
}

// ---- the writer's text -----------------------------------------------------

struct TextCase {
  std::string in, out;
};

TEST(XmlWriter, EscapeText) {
  const TextCase cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"&", "&amp;"},
      {"&amp;", "&amp;amp;"},
      {"<a>", "&lt;a&gt;"},
      {"\r\n", "&#13;&#10;"},
      {"\t \x01", "\t \x01"},
      {"\xE6\x97\xA5", "\xE6\x97\xA5"},
  };
  for (auto& c : cases) EXPECT_EQ(plutil::EscapeText(c.in), c.out) << c.in;
}

TEST(XmlWriter, Base64) {
  using namespace std::string_literals;
  const TextCase cases[] = {{"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
                            {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"\xFF\xFE\x00"s, "//4A"}};
  for (auto& c : cases) {
    EXPECT_EQ(plutil::Base64(reinterpret_cast<const unsigned char*>(c.in.data()), c.in.size()),
              c.out);
  }
}

// The one element line that converting a lone value to XML gives.
std::string ValueLine(plist_t value) {
  plutil::PlistHandle tree(value);
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(tree.get(), &bytes, &length);
  std::string binary(bytes, length);
  std::free(bytes);
  plutil::ConvertResult r = plutil::Convert(binary, plutil::Format::Xml1);
  EXPECT_TRUE(r.ok) << r.error;
  std::size_t start = r.output.find("<plist version=\"1.0\">\n") + 22;
  return r.output.substr(start, r.output.size() - start - std::string("</plist>\n").size());
}

TEST(XmlWriter, RealsThatXmlCannotSpellAsDigits) {
  EXPECT_EQ(ValueLine(plist_new_real(NAN)), "<real>nan</real>\n");
  EXPECT_EQ(ValueLine(plist_new_real(INFINITY)), "<real>+infinity</real>\n");
  EXPECT_EQ(ValueLine(plist_new_real(-INFINITY)), "<real>-infinity</real>\n");
  EXPECT_EQ(ValueLine(plist_new_real(5e-324)), "<real>5e-324</real>\n");
}

TEST(XmlWriter, DatesInWholeSeconds) {
  // 725857445 s after 2001-01-01 is 2024-01-02 03:04:05 UTC.
  EXPECT_EQ(ValueLine(plist_new_date(725857445, 0)), "<date>2024-01-02T03:04:05Z</date>\n");
  EXPECT_EQ(ValueLine(plist_new_date(-1, 0)), "<date>2000-12-31T23:59:59Z</date>\n");
  EXPECT_EQ(ValueLine(plist_new_date(INT32_MIN, 0)), "<date>1932-12-13T20:45:52Z</date>\n");
  EXPECT_EQ(ValueLine(plist_new_date(INT32_MAX, 0)), "<date>2069-01-19T03:14:07Z</date>\n");
}

// libplist would cut such a string when it writes the binary form.
TEST(Convert, NulInAStringIsRefused) {
  using namespace std::string_literals;
  const std::string nul = "\x62\x00\x61\x00\x00"s;       // UTF-16 "a" and U+0000
  const std::string ascii = "\x53\x61\x00\x62"s;         // ASCII "a", NUL, "b"
  const std::string dict = "\xD1\0\0\0\x01\0\0\0\x02"s;  // one key, one value
  for (const std::string& bytes : {Binary({nul}), Binary({dict, "\x51k", nul}), Binary({ascii}),
                                   Binary({dict, "\x51k", ascii})}) {
    for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
      plutil::ConvertResult r = plutil::Convert(bytes, format);
      EXPECT_FALSE(r.ok);
      EXPECT_EQ(r.error, "a key or string holds a NUL character");
    }
  }
}

// ---- values that libplist would not carry whole ------------------------------

std::string BinaryDate(double seconds) {
  std::string object = "\x33";
  AppendBigEndian(object, std::bit_cast<std::uint64_t>(seconds), 8);
  return Binary({object});
}

// The 8-byte value of a binary file whose one object, the root, is a date.
double DateOf(const std::string& bytes) {
  EXPECT_EQ(BinaryRefusal(bytes), std::nullopt);
  EXPECT_GE(bytes.size(), 17u);
  if (bytes.size() < 17 || bytes[8] != '\x33') return NAN;
  std::uint64_t bits = 0;
  for (std::size_t i = 9; i < 17; ++i) bits = (bits << 8) | static_cast<unsigned char>(bytes[i]);
  return std::bit_cast<double>(bits);
}

std::string XmlValue(const std::string& element) {
  return "<plist version=\"1.0\">\n" + element + "\n</plist>\n";
}

// libplist holds 32-bit seconds only: dates before 1932-12-13 or after
// 2069-01-19 were all written as 1932-12-13T20:45:52Z, in either direction.
TEST(Convert, DatesOfEveryYearSurviveBothWays) {
  struct Case {
    double seconds;  // from 2001-01-01 UTC
    const char* text;
  } cases[] = {
      {-63113904000, "0001-01-01T00:00:00Z"}, {-3187296000, "1900-01-01T00:00:00Z"},
      {-2147483649, "1932-12-13T20:45:51Z"},  {0, "2001-01-01T00:00:00Z"},
      {-1, "2000-12-31T23:59:59Z"},           {2147483648, "2069-01-19T03:14:08Z"},
      {3124137600, "2100-01-01T00:00:00Z"},   {252423993599, "9999-12-31T23:59:59Z"},
  };
  for (const Case& c : cases) {
    plutil::ConvertResult xml = plutil::Convert(BinaryDate(c.seconds), plutil::Format::Xml1);
    ASSERT_TRUE(xml.ok) << xml.error;
    EXPECT_NE(xml.output.find(XmlValue(std::string("<date>") + c.text + "</date>")),
              std::string::npos)
        << xml.output;
    plutil::ConvertResult binary = plutil::Convert(xml.output, plutil::Format::Binary1);
    ASSERT_TRUE(binary.ok) << binary.error;
    EXPECT_EQ(DateOf(binary.output), c.seconds) << c.text;
    // Binary to binary keeps the 8 bytes as they were.
    plutil::ConvertResult same = plutil::Convert(BinaryDate(c.seconds), plutil::Format::Binary1);
    ASSERT_TRUE(same.ok) << same.error;
    EXPECT_EQ(DateOf(same.output), c.seconds) << c.text;
  }
}

// A fraction of a second was dropped on the way to XML, so a binary file
// written with microseconds came back changed after a load and a save.
TEST(Convert, DatesTheXmlFormCannotSpellStayBinary) {
  for (double seconds :
       {-63113904001.0, 252423993600.0, 1e300, double(NAN), -0.5, 0.25, 757382400.000001}) {
    plutil::ConvertResult xml = plutil::Convert(BinaryDate(seconds), plutil::Format::Xml1);
    EXPECT_FALSE(xml.ok) << seconds;
    EXPECT_EQ(xml.error, plutil::kDateOutsideText);
    plutil::ConvertResult binary = plutil::Convert(BinaryDate(seconds), plutil::Format::Binary1);
    ASSERT_TRUE(binary.ok) << binary.error;
    if (!std::isnan(seconds)) {
      EXPECT_EQ(DateOf(binary.output), seconds);
    }
  }
}

TEST(Convert, XmlDateTexts) {
  const char* kBad = "a date is not a valid date of the form YYYY-MM-DDTHH:MM:SSZ";
  struct Case {
    const char* text;
    const char* written;  // nullptr: refused
  } cases[] = {
      {"<date>1-01-01T00:00:00Z</date>", "0001-01-01T00:00:00Z"},  // the store's own year text
      {"<date> 2024-02-29T23:59:59Z\n</date>", "2024-02-29T23:59:59Z"},
      {"<date>2023-02-29T00:00:00Z</date>", nullptr},
      {"<date>0000-01-01T00:00:00Z</date>", nullptr},
      {"<date>10000-01-01T00:00:00Z</date>", nullptr},
      {"<date>2001-01-01T24:00:00Z</date>", nullptr},
      {"<date>2001-01-01T00:00:00</date>", nullptr},
      {"<date>2001-01-01</date>", nullptr},
      {"<date>garbage</date>", nullptr},
      {"<date></date>", nullptr},
      {"<date/>", nullptr},  // libplist would make 2001-01-01 of it
  };
  for (const Case& c : cases) {
    for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
      plutil::ConvertResult r = plutil::Convert(XmlValue(c.text), format);
      EXPECT_EQ(r.ok, c.written != nullptr) << c.text;
      if (!c.written) {
        EXPECT_EQ(r.error, kBad) << c.text;
      }
    }
    plutil::ConvertResult r = plutil::Convert(XmlValue(c.text), plutil::Format::Xml1);
    if (c.written) {
      EXPECT_NE(r.output.find(XmlValue(std::string("<date>") + c.written + "</date>")),
                std::string::npos)
          << r.output;
    }
  }
}

// libplist read integer text with strtoull: numbers past 64 bits became
// 18446744073709551615, leading zeros made octal, junk after digits dropped.
TEST(Convert, XmlIntegerTexts) {
  const char* kRange = "an integer is out of range (-2^63 to 2^64-1)";
  const char* kNumber = "an integer is not a whole number";
  struct Case {
    const char* text;
    const char* written;  // decimal text written, or the refusal
    bool ok;
  } cases[] = {
      {"2147483647", "2147483647", true},
      {"2147483648", "2147483648", true},
      {"-2147483649", "-2147483649", true},
      {"9223372036854775807", "9223372036854775807", true},
      {"9223372036854775808", "9223372036854775808", true},
      {"18446744073709551615", "18446744073709551615", true},
      {"-9223372036854775808", "-9223372036854775808", true},
      {"00012", "12", true},
      {"0x10", "16", true},
      {" +7\n", "7", true},
      {"-0", "0", true},
      {"18446744073709551616", kRange, false},
      {"100000000000000000000", kRange, false},
      {"-9223372036854775809", kRange, false},
      {"0x10000000000000000", kRange, false},
      {"5x", kNumber, false},
      {"1e3", kNumber, false},
      {"", kNumber, false},
      {"-", kNumber, false},
      {"0x", kNumber, false},
      {"&#53;", "5", true},  // a character reference, read by XML's rules
      {"&#x2D;1", "-1", true},
  };
  for (const Case& c : cases) {
    const std::string xml = XmlValue(std::string("<integer>") + c.text + "</integer>");
    for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
      plutil::ConvertResult r = plutil::Convert(xml, format);
      EXPECT_EQ(r.ok, c.ok) << c.text;
      if (!c.ok) {
        EXPECT_EQ(r.error, c.written) << c.text;
      }
    }
    if (!c.ok) continue;
    plutil::ConvertResult binary = plutil::Convert(xml, plutil::Format::Binary1);
    plutil::ConvertResult back = plutil::Convert(binary.output, plutil::Format::Xml1);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_NE(back.output.find(XmlValue(std::string("<integer>") + c.written + "</integer>")),
              std::string::npos)
        << c.text << "\n"
        << back.output;
  }
}

// libplist kept only the low 8 bytes of a 16-byte integer.
TEST(Convert, SixteenByteIntegerBeyond64BitsIsRefused) {
  using namespace std::string_literals;
  std::string big = "\x14"s;
  AppendBigEndian(big, 1, 8);  // 2^64 + 5
  AppendBigEndian(big, 5, 8);
  std::string fits = "\x14"s;
  AppendBigEndian(fits, 0, 8);
  AppendBigEndian(fits, UINT64_MAX, 8);
  for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
    plutil::ConvertResult r = plutil::Convert(Binary({Array({1}), big}), format);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "an integer is out of range (-2^63 to 2^64-1)");
    EXPECT_TRUE(plutil::Convert(Binary({Array({1}), fits}), format).ok);
  }
}

TEST(Convert, RepeatedKeyInABinaryDictIsRefused) {
  using namespace std::string_literals;
  // Two entries under "k": the XML form could keep only one of them.
  const std::string dict = "\xD2\0\0\0\x01\0\0\0\x01\0\0\0\x02\0\0\0\x03"s;
  for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
    plutil::ConvertResult r = plutil::Convert(Binary({dict, "\x51k", "\x09", "\x08"}), format);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "a dict holds a key twice");
  }
  // The XML form's reader refuses it the same way.
  for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
    plutil::ConvertResult r = plutil::Convert(
        "<plist><dict><key>k</key><true/><key>k</key><false/></dict></plist>", format);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "a dict holds a key twice");
  }
}

TEST(Convert, KeysAndStringsMustBeUtf8) {
  using namespace std::string_literals;
  const std::string kBad = "a key or string is not valid UTF-8";
  struct Case {
    std::string bytes;
    const char* error;  // nullptr: accepted
  } cases[] = {
      {"<plist><string>caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80</string></plist>", nullptr},
      {"<plist><string>\xC3</string></plist>", kBad.c_str()},              // cut short
      {"<plist><string>\xC0\xAF</string></plist>", kBad.c_str()},          // overlong
      {"<plist><string>\xED\xA0\x80</string></plist>", kBad.c_str()},      // surrogate
      {"<plist><string>\xF4\x90\x80\x80</string></plist>", kBad.c_str()},  // past U+10FFFF
      {"<plist><string>\xFF</string></plist>", kBad.c_str()},
      {"<plist><dict><key>\xC0Port</key><true/></dict></plist>", kBad.c_str()},
      {"<plist><array><dict><key>k</key><string>\x80</string></dict></array></plist>",
       kBad.c_str()},
      {Binary({"\x51\xE9"s}), kBad.c_str()},  // an ASCII string that is not
  };
  for (auto& c : cases) {
    for (auto format : {plutil::Format::Xml1, plutil::Format::Binary1}) {
      plutil::ConvertResult r = plutil::Convert(c.bytes, format);
      EXPECT_EQ(r.ok, c.error == nullptr) << c.bytes;
      EXPECT_EQ(r.error, c.error ? c.error : "") << c.bytes;
    }
  }
}

TEST(Convert, FormatNames) {
  EXPECT_EQ(plutil::ParseFormat("xml1"), plutil::Format::Xml1);
  EXPECT_EQ(plutil::ParseFormat("binary1"), plutil::Format::Binary1);
  EXPECT_EQ(plutil::ParseFormat("xml"), std::nullopt);
  EXPECT_EQ(plutil::ParseFormat(""), std::nullopt);
}

TEST(Convert, RefusesEmptyInput) {
  plutil::ConvertResult r = plutil::Convert("", plutil::Format::Binary1);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "empty file, not a property list");
}

TEST(Convert, BinaryMagicDecidesTheReader) {
  // XML text that begins with the magic is read as binary, and refused.
  plutil::ConvertResult r = plutil::Convert("bplist<plist><true/></plist>", plutil::Format::Xml1);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "not a valid binary property list (file too short)");
}

TEST(Convert, UidDictsOnlyWhenExactlyOneIntegerEntry) {
  const char* xml =
      "<plist><array>"
      "<dict><key>CF$UID</key><integer>3</integer></dict>"
      "<dict><key>CF$UID</key><string>3</string></dict>"
      "<dict><key>CF$UID</key><integer>3</integer><key>x</key><true/></dict>"
      "<dict><key>CF$UID</key><integer>4294967295</integer></dict>"
      "<dict><key>CF$UID</key><integer>4294967296</integer></dict>"
      "<dict><key>CF$UID</key><integer>-1</integer></dict>"
      "</array></plist>";
  plutil::ConvertResult r = plutil::Convert(xml, plutil::Format::Binary1);
  ASSERT_TRUE(r.ok) << r.error;
  plist_t tree = nullptr;
  plist_from_bin(r.output.data(), static_cast<uint32_t>(r.output.size()), &tree);
  plutil::PlistHandle owner(tree);
  ASSERT_TRUE(tree);
  EXPECT_EQ(plist_get_node_type(plist_array_get_item(tree, 0)), PLIST_UID);
  EXPECT_EQ(plist_get_node_type(plist_array_get_item(tree, 1)), PLIST_DICT);
  EXPECT_EQ(plist_get_node_type(plist_array_get_item(tree, 2)), PLIST_DICT);
  EXPECT_EQ(plist_get_node_type(plist_array_get_item(tree, 3)), PLIST_UID);
  EXPECT_EQ(plist_get_node_type(plist_array_get_item(tree, 4)), PLIST_DICT);  // too large
  EXPECT_EQ(plist_get_node_type(plist_array_get_item(tree, 5)), PLIST_DICT);
}

}  // namespace
