// Text and number functions of the platform layer.
//
// What callers may rely on:
// - Every function is defined for every input: empty text, huge text, text
//   that is not valid UTF-8, any number. None throws; none has undefined
//   behaviour.
// - Characters are Unicode code points of the UTF-8 text. A byte that does not
//   begin a valid UTF-8 sequence (stray continuation byte, truncated or
//   overlong sequence, surrogate, beyond U+10FFFF) counts as one character on
//   its own (see Utf8.h). So Left(s, n) + Mid(s, n + 1) == s for every s and n >= 0.
// - Positions are 1-based, as in classic BASIC; lengths count characters.
// - Searching (InStr, ReplaceAll, CountFields, NthField) compares bytes
//   exactly, case-sensitively (the TextEquals rule), and only matches a run of
//   whole characters: a match never starts or ends inside a character.
//
// Numbers:
// - A number text is a decimal ("-1.5e3") or a radix form ("&hFF", "&o17",
//   "&b101"), exactly as NumberScan.h defines it, after optional leading
//   blanks (space, tab).
// - CDbl and Val read the longest number text at the start of the text and
//   ignore what follows ("12abc" is 12, "1e" is 1); a text that does not
//   begin with one reads as 0. Decimals are read exactly and rounded to the
//   nearest double (never locale-dependent); too large gives +-infinity, too
//   small +-0. CDbl also reads "inf", "-inf" and "nan" (any case), so that it
//   reads back everything Str and Format write. Val is the same reading as
//   CDbl.
// - IsNumeric is true when the whole text, apart from leading and trailing
//   blanks, is one number text. "inf" and "nan" are not numeric, nor is "".
// - Str(double) is the shortest text that CDbl reads back to the same double:
//   "3" (no ".0"), "0.1", "-2.5", "1e+20", "1e-07", "-0"; +-infinity is "inf"
//   or "-inf", every NaN is "nan".
#pragma once

#include <cstdint>
#include <string_view>

#include "framework/core/String.h"

namespace fw {

// --- characters -----------------------------------------------------------

// Number of characters.
std::int32_t Len(std::string_view s);

// The first n characters; "" when n <= 0, all of s when n >= Len(s).
String Left(std::string_view s, std::int32_t n);

// The last n characters; "" when n <= 0, all of s when n >= Len(s).
String Right(std::string_view s, std::int32_t n);

// The characters from position start (1-based) to the end. A start below 1
// is taken as 1; a start beyond the end gives "".
String Mid(std::string_view s, std::int32_t start);

// At most length characters from position start (1-based). A start below 1
// is taken as 1; a length <= 0 gives "".
String Mid(std::string_view s, std::int32_t start, std::int32_t length);

// Position (1-based, in characters) of the first occurrence of find in s, or
// 0 when there is none. An empty find is found at 1 in a non-empty s; in an
// empty s nothing is found (0).
std::int32_t InStr(std::string_view s, std::string_view find);

// s without leading and trailing white space: space, tab, CR, LF, vertical
// tab, form feed, no-break space U+00A0 and ideographic space U+3000.
String Trim(std::string_view s);

// Code point of the first character; for a byte that is not valid UTF-8, its
// byte value (128..255); 0 for "".
std::int32_t Asc(std::string_view s);

// The UTF-8 text of one code point; "" for a negative value, a surrogate
// (U+D800..U+DFFF) or a value above U+10FFFF. Chr(0) is a one-byte text
// holding the byte 0.
String Chr(std::int32_t code);

// A text of the one byte b (0..255), which need not be valid UTF-8; "" for a
// value outside 0..255.
String ChrB(std::int32_t b);

// s with every occurrence of find replaced by replacement, left to right,
// non-overlapping. An empty find leaves s unchanged.
String ReplaceAll(std::string_view s, std::string_view find, std::string_view replacement);

// Number of fields of s separated by sep: 0 for an empty s, otherwise one
// more than the number of separators ("a,,b" has 3, "a," has 2). An empty sep
// makes the whole of a non-empty s one field.
std::int32_t CountFields(std::string_view s, std::string_view sep);

// Field n (1-based) of s separated by sep; "" when n is below 1 or above
// CountFields(s, sep). NthField("2010-03-05", "-", 2) is "03".
String NthField(std::string_view s, std::string_view sep, std::int32_t n);

// --- numbers --------------------------------------------------------------

// Decimal text of n: "-" for a negative number, no leading zeros, no
// separators. Str(0) is "0".
String Str(std::int32_t n);

// Shortest round-trip text of d (see the top of this header).
String Str(double d);

// d as a whole number, rounded half away from zero, with "-" in front when
// the rounded value is below zero; plain decimal digits, no separators, no
// exponent, exact also beyond the 64-bit range (1e20 is
// "100000000000000000000"). Zero, also -0.4 or -0.0, is "0". +-infinity is
// "inf"/"-inf", NaN is "nan". The patterns "-#" and "#" give this; any other
// pattern is read as "-#".
String Format(double d, std::string_view pattern);

// The leading number of text (see the top of this header); 0 when none.
double CDbl(std::string_view text);

// The same reading as CDbl.
double Val(std::string_view text);

// Whether text, apart from surrounding blanks, is one number text. The
// String and const char* forms keep calls unambiguous beside
// IsNumeric(const Variant&).
bool IsNumeric(std::string_view text);
inline bool IsNumeric(const String& text) { return IsNumeric(std::string_view(text)); }
inline bool IsNumeric(const char* text) { return IsNumeric(std::string_view(text ? text : "")); }

// Uppercase hexadecimal digits of n, no padding, no prefix; a negative n is
// written as its 32-bit two's complement (Hex(-1) is "FFFFFFFF"). Hex(255) is
// "FF", Hex(0) is "0".
String Hex(std::int32_t n);

}  // namespace fw
