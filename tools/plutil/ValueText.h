// The texts of single values: what the XML form's elements may hold, how the
// writers spell values, and the UTF-8 / UTF-16 conversions of strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plutil {

// "YYYY-MM-DDTHH:MM:SSZ" of the given seconds from 2001-01-01 UTC; nothing
// outside the years 1 to 9999, for a fraction of a second (the text has
// none, so it would be lost) and for NaN.
std::optional<std::string> DateText(double seconds);

// Seconds from 2001-01-01 UTC of a date text "Y-MM-DDTHH:MM:SSZ" with a year
// of one to four digits from 1 to 9999, between optional XML whitespace;
// nothing for any other text or an impossible date.
std::optional<std::int64_t> ParseDateText(std::string_view text);

// An integer written as decimal or "0x" hexadecimal digits after an optional
// sign, between optional XML whitespace.
struct IntegerValue {
  std::uint64_t bits = 0;  // two's complement when negative
  bool negative = false;
  const char* problem = nullptr;  // set when the text is refused
};
IntegerValue ParseInteger(std::string_view text);

// The decimal text of an integer.
std::string IntegerText(std::uint64_t bits, bool negative);

// A real between optional XML whitespace: decimal digits with an optional
// sign, fraction and exponent, or "inf", "infinity" or "nan" (any letter
// case, optional sign). Refused: anything else, and a number too large or
// too small for a double. "nan" reads as kXmlNan, "-nan" as it with the
// sign bit set.
std::optional<std::uint64_t> ParseReal(std::string_view text);

// The shortest text that reads back as the same number, "nan" (kXmlNan only:
// nothing for any other NaN), "+infinity" or "-infinity".
std::optional<std::string> RealText(std::uint64_t bits);

// The bytes of base64 text with XML whitespace anywhere; nothing unless the
// rest is groups of four digits of the standard alphabet, padded with "="
// only at the end, with no bits set past the last byte.
std::optional<std::string> DecodeBase64(std::string_view text);

// Standard base64 with padding, on one line.
std::string Base64(const unsigned char* bytes, std::size_t size);

// Text with "&", "<", ">", CR and LF replaced by their references.
std::string EscapeText(std::string_view text);
// Appends EscapeText(text) to out.
void AppendEscaped(std::string_view text, std::string& out);
// The length of EscapeText(text).
std::size_t EscapedSize(std::string_view text);

// True when the text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsUtf8(std::string_view text);

// Appends the UTF-8 of big-endian UTF-16 units; false for a lone surrogate.
bool AppendUtf16AsUtf8(std::string_view units, std::string& out);
// Appends the big-endian UTF-16 of well-formed UTF-8 and returns the number
// of units. REQUIRES: IsUtf8(text).
std::size_t AppendUtf8AsUtf16(std::string_view text, std::string& out);

}  // namespace plutil
