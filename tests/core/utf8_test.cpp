#include "framework/core/Utf8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(Utf8, SequenceLengthAcceptsOnlyWellFormedSequences) {
  struct Case {
    const char* bytes;
    std::size_t length;  // of the sequence at offset 0; 0: none starts there
  };
  const Case cases[] = {
      {"a", 1},
      {"\xC3\xA9", 2},          // U+00E9
      {"\xE2\x82\xAC", 3},      // U+20AC
      {"\xF0\x9F\x98\x80", 4},  // U+1F600
      {"\xF4\x8F\xBF\xBF", 4},  // U+10FFFF, the last code point
      {"\x80", 0},              // stray continuation byte
      {"\xC0\x80", 0},          // overlong NUL
      {"\xC1\xBF", 0},          // overlong
      {"\xE0\x9F\xBF", 0},      // overlong three-byte form
      {"\xED\xA0\x80", 0},      // surrogate U+D800
      {"\xF0\x8F\xBF\xBF", 0},  // overlong four-byte form
      {"\xF4\x90\x80\x80", 0},  // beyond U+10FFFF
      {"\xF5\x80\x80\x80", 0},  // no such lead byte
      {"\xE2\x82", 0},          // truncated
      {"\xE2\x28\xA1", 0},      // a third byte that does not continue
  };
  for (const Case& c : cases) {
    const std::string s(c.bytes);
    EXPECT_EQ(fw::utf8::SequenceLength(s, 0), c.length) << testing::PrintToString(s);
    EXPECT_EQ(fw::utf8::CharBytes(s, 0), c.length == 0 ? 1u : c.length)
        << testing::PrintToString(s);
  }
}

// Every boundary of the encoded lengths: Append writes what the decoder reads
// back as one character with the same code point.
TEST(Utf8, AppendRoundTripsThroughTheDecoder) {
  const std::uint32_t codes[] = {0,      0x7F,   0x80,   0x7FF,   0x800,
                                 0xD7FF, 0xE000, 0xFFFF, 0x10000, 0x10FFFF};
  for (std::uint32_t code : codes) {
    std::string s;
    fw::utf8::Append(code, s);
    const std::size_t bytes = fw::utf8::SequenceLength(s, 0);
    ASSERT_EQ(bytes, s.size()) << code;
    EXPECT_EQ(fw::utf8::CodeAt(s, 0, bytes), static_cast<std::int32_t>(code));
  }
}

TEST(Utf8, OffsetsAndBoundariesCountBrokenBytesAsCharacters) {
  const std::string s = "a\xC3\xA9\x80z";  // a, U+00E9, a stray byte, z
  EXPECT_EQ(fw::utf8::OffsetOfChar(s, 0), 0u);
  EXPECT_EQ(fw::utf8::OffsetOfChar(s, 2), 3u);
  EXPECT_EQ(fw::utf8::OffsetOfChar(s, 3), 4u);
  EXPECT_EQ(fw::utf8::OffsetOfChar(s, 9), s.size());
  EXPECT_TRUE(fw::utf8::EndsOnBoundary(s, 1, 2));
  EXPECT_FALSE(fw::utf8::EndsOnBoundary(s, 1, 1));  // inside U+00E9
  EXPECT_EQ(fw::utf8::CodeAt(s, 3, 1), 0x80);       // a broken byte's value
}

}  // namespace
