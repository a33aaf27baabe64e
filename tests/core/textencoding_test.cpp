#include "framework/core/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string ToShiftJis(const std::string& utf8) {
  return fw::ConvertEncoding(fw::DefineEncoding(utf8, fw::Encodings::UTF8), fw::Encodings::ShiftJIS)
      .bytes;
}

TEST(TextEncoding, DefineMarksWithoutChangingBytes) {
  const std::string bytes = "\xE3\x83\x86\xFF\x00x";
  const fw::EncodedText text = fw::DefineEncoding(bytes, fw::Encodings::UTF8);
  EXPECT_EQ(text.bytes, bytes);
  EXPECT_EQ(text.encoding, fw::TextEncoding::UTF8);
  EXPECT_EQ(fw::DefineEncoding(bytes, fw::Encodings::ShiftJIS).encoding,
            fw::TextEncoding::ShiftJIS);
}

TEST(TextEncoding, ConvertingToTheSameEncodingKeepsTheBytes) {
  const fw::EncodedText utf8 = fw::DefineEncoding("\xFF\xFE broken", fw::Encodings::UTF8);
  EXPECT_EQ(fw::ConvertEncoding(utf8, fw::Encodings::UTF8), utf8);
  const fw::EncodedText sjis = fw::DefineEncoding("\x83\x65", fw::Encodings::ShiftJIS);
  EXPECT_EQ(fw::ConvertEncoding(sjis, fw::Encodings::ShiftJIS), sjis);
}

struct Case {
  const char* name;
  const char* utf8;
  const char* shiftJis;  // as hex
};

const Case kToShiftJis[] = {
    {"ascii", "abc^Y\x0C", "61 62 63 5E 59 0C"},
    {"katakana", "テスト", "83 65 83 58 83 67"},
    {"fullwidth tilde (CP932)", "～", "81 60"},
    {"circled one (NEC extension)", "①", "87 40"},
    {"taka (IBM extension)", "髙", "FB FC"},
    {"wave dash (strict only)", "〜", "81 60"},
    {"minus sign (strict only)", "−", "81 7C"},
    {"yen sign (strict only)", "¥", "5C"},
    {"emoji", "😀", "3F"},
    {"emoji keeps the rest", "a😀bテ", "61 3F 62 83 65"},
    {"unmapped Latin letter", "é", "3F"},
    {"caret and form feed kept", "^^^x^T\x0C", "5E 5E 5E 78 5E 54 0C"},
    {"empty", "", ""},
    {"invalid UTF-8 byte",
     "a\xFF"
     "b",
     "61 3F 62"},
    {"truncated sequence at the end", "ab\xE3\x83", "61 62 3F 3F"},
    {"lone continuation byte", "\x80x", "3F 78"},
    {"surrogate encoded in UTF-8", "\xED\xA0\x80z", "3F 3F 3F 7A"},
};

TEST(TextEncoding, Utf8ToShiftJisTable) {
  for (const Case& c : kToShiftJis) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Hex(ToShiftJis(c.utf8)), c.shiftJis);
  }
}

TEST(TextEncoding, EmbeddedNulIsConvertedLikeAnyByte) {
  EXPECT_EQ(Hex(ToShiftJis(std::string("a\0b", 3))), "61 00 62");
}

TEST(TextEncoding, ConversionMarksTheResult) {
  const fw::EncodedText out =
      fw::ConvertEncoding(fw::DefineEncoding("x", fw::Encodings::UTF8), fw::Encodings::ShiftJIS);
  EXPECT_EQ(out.encoding, fw::TextEncoding::ShiftJIS);
}

TEST(TextEncoding, LongTextWithManyUnmappableCharactersIsConvertedWhole) {
  std::string in;
  std::string expected;
  for (int i = 0; i < 2000; ++i) {
    in += "テ😀";
    expected += "\x83\x65?";
  }
  EXPECT_EQ(ToShiftJis(in), expected);
}

const Case kToUtf8[] = {
    {"katakana", "テスト", "83 65 83 58 83 67"},
    {"fullwidth tilde", "～", "81 60"},
    {"circled one", "①", "87 40"},
    {"ascii", "abc", "61 62 63"},
};

std::string FromHex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i < hex.size(); i += 3)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

TEST(TextEncoding, ShiftJisToUtf8Table) {
  for (const Case& c : kToUtf8) {
    SCOPED_TRACE(c.name);
    const fw::EncodedText sjis = fw::DefineEncoding(FromHex(c.shiftJis), fw::Encodings::ShiftJIS);
    EXPECT_EQ(fw::ConvertEncoding(sjis, fw::Encodings::UTF8).bytes, c.utf8);
  }
}

TEST(TextEncoding, InvalidShiftJisBecomesQuestionMarks) {
  // A byte that starts nothing, a lead byte without its trail byte (before a
  // blank and at the end).
  const fw::EncodedText sjis = fw::DefineEncoding(
      "a\xA0"
      "b\x80\xFD\x81 x\x83",
      fw::Encodings::ShiftJIS);
  EXPECT_EQ(fw::ConvertEncoding(sjis, fw::Encodings::UTF8).bytes, "a?b??? x?");
}

}  // namespace
