// The number scanner: radix forms, decimals (exact, through std::from_chars,
// with overflow and underflow decided from the written magnitude) and the
// special words.
#include "framework/core/NumberScan.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace fw {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, std::size_t i, std::string_view word) {
  if (s.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k)
    if (Lower(s[i + k]) != word[k]) return false;
  return true;
}

// &h / &o / &b followed by at least one digit of that radix, at s[i].
ScannedNumber ScanRadix(std::string_view s, std::size_t i) {
  ScannedNumber r;
  if (s.size() - i < 3 || s[i] != '&') return r;
  int radix;
  switch (Lower(s[i + 1])) {
    case 'h':
      radix = 16;
      break;
    case 'o':
      radix = 8;
      break;
    case 'b':
      radix = 2;
      break;
    default:
      return r;
  }
  std::size_t j = i + 2;
  double v = 0;
  while (j < s.size() && DigitValue(s[j]) < radix) {
    v = v * radix + DigitValue(s[j]);
    ++j;
  }
  if (j == i + 2) return r;
  r.end = j;
  r.value = v;
  return r;
}

// Decimal number at s[i]: [+|-] digits [. digits] [exponent], or
// [+|-] . digits [exponent].
ScannedNumber ScanDecimal(std::string_view s, std::size_t i) {
  ScannedNumber r;
  std::size_t j = i;
  bool negative = false;
  if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
    negative = s[j] == '-';
    ++j;
  }
  const std::size_t mantissaStart = j;
  std::size_t intDigits = 0, fracDigits = 0;
  while (j < s.size() && IsDigit(s[j])) ++j, ++intDigits;
  if (j < s.size() && s[j] == '.') {
    std::size_t k = j + 1;
    while (k < s.size() && IsDigit(s[k])) ++k, ++fracDigits;
    if (intDigits > 0 || fracDigits > 0) j = k;
  }
  if (intDigits == 0 && fracDigits == 0) return r;
  std::size_t mantissaEnd = j;
  if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
    std::size_t k = j + 1;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    const std::size_t expDigits = k;
    while (k < s.size() && IsDigit(s[k])) ++k;
    if (k > expDigits) j = k;
  }
  const char* first = s.data() + mantissaStart;
  const char* last = s.data() + j;
  double v = 0;
  const auto res = std::from_chars(first, last, v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // Overflow or underflow: decide by the decimal magnitude of the
    // mantissa (its integer digits from the first non-zero one, or minus the
    // zeros right after the point) plus the written exponent.
    std::int64_t sigInt = 0, fracZeros = 0;
    std::size_t k = mantissaStart;
    while (k < mantissaEnd && s[k] == '0') ++k;
    while (k < mantissaEnd && IsDigit(s[k])) ++k, ++sigInt;
    if (sigInt == 0 && k < mantissaEnd && s[k] == '.')
      for (++k; k < mantissaEnd && s[k] == '0'; ++k) ++fracZeros;
    const std::int64_t magnitude = sigInt > 0 ? sigInt : -fracZeros;
    std::int64_t exponent = 0;
    if (mantissaEnd < j) {
      k = mantissaEnd + 1;
      bool expNegative = false;
      if (s[k] == '+' || s[k] == '-') expNegative = s[k++] == '-';
      for (; k < j; ++k)
        if (exponent < 1'000'000'000) exponent = exponent * 10 + (s[k] - '0');
      if (expNegative) exponent = -exponent;
    }
    v = (magnitude + exponent > 0) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (res.ec != std::errc()) {
    return r;  // cannot happen for a scanned decimal; read as no number
  }
  r.end = j;
  r.value = negative ? -v : v;
  return r;
}

}  // namespace

ScannedNumber ScanNumber(std::string_view s, std::size_t i) noexcept {
  ScannedNumber r = ScanRadix(s, i);
  if (r.end != 0) return r;
  return ScanDecimal(s, i);
}

// "inf", "infinity" or "nan" with an optional sign, at s[i].
ScannedNumber ScanSpecial(std::string_view s, std::size_t i) noexcept {
  ScannedNumber r;
  std::size_t j = i;
  bool negative = false;
  if (j < s.size() && (s[j] == '+' || s[j] == '-')) negative = s[j++] == '-';
  if (StartsWithNoCase(s, j, "infinity")) {
    r.end = j + 8;
    r.value = std::numeric_limits<double>::infinity();
  } else if (StartsWithNoCase(s, j, "inf")) {
    r.end = j + 3;
    r.value = std::numeric_limits<double>::infinity();
  } else if (StartsWithNoCase(s, j, "nan")) {
    r.end = j + 3;
    r.value = std::numeric_limits<double>::quiet_NaN();
    return r;  // NaN carries no sign here
  } else {
    return r;
  }
  if (negative) r.value = -r.value;
  return r;
}

std::size_t SkipBlanks(std::string_view s, std::size_t i) noexcept {
  while (i < s.size() && IsBlank(s[i])) ++i;
  return i;
}

}  // namespace fw
