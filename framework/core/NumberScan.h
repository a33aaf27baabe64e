// Reading numbers written as text: the one reading behind CDbl, Val and
// IsNumeric (Text.h), and so behind every text-to-number conversion of the
// program.
//
// What callers may rely on:
// - A number text is:
//     a decimal: [+|-] digits [. [digits]] | [+|-] . digits, optionally
//       followed by an exponent e|E [+|-] digits; or
//     a radix form, case-insensitive: &h hexdigits, &o octaldigits,
//       &b binarydigits (unsigned).
//   No blanks are allowed inside it.
// - The scanners read the longest number text (or special word) that starts
//   at the given position and report where it ends; what follows does not
//   matter: "12abc" ends after "12", "1e" after "1", "&h" is no number.
// - Decimals are read exactly and rounded to the nearest double, never
//   depending on the locale; too large gives +-infinity, too small +-0, at
//   any length of digits or exponent.
// - Every function is defined for every text and position up to the text's
//   size; none throws or allocates.
#pragma once

#include <cstddef>
#include <string_view>

namespace fw {

struct ScannedNumber {
  // Offset in the text just past what was read; 0 when nothing was read
  // (no number starts at the position).
  std::size_t end = 0;
  double value = 0;
};

// The number text at text[i].
ScannedNumber ScanNumber(std::string_view text, std::size_t i) noexcept;

// "inf", "infinity" or "nan" at text[i], any case, with an optional sign; a
// NaN carries no sign.
ScannedNumber ScanSpecial(std::string_view text, std::size_t i) noexcept;

// The first offset from i that is not a blank (space or tab).
std::size_t SkipBlanks(std::string_view text, std::size_t i) noexcept;

}  // namespace fw
