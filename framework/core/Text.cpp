#include "framework/core/Text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>

namespace fw {
namespace {

// --- UTF-8 segmentation -----------------------------------------------------

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length in bytes of the character that starts at s[i] (i < s.size()): the
// length of a valid UTF-8 sequence there, or 1 for a byte that begins none.
std::size_t CharBytes(std::string_view s, std::size_t i) {
  const auto c0 = static_cast<unsigned char>(s[i]);
  if (c0 < 0x80) return 1;
  std::size_t need;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (c0 >= 0xC2 && c0 <= 0xDF) {
    need = 2;
  } else if (c0 >= 0xE0 && c0 <= 0xEF) {
    need = 3;
    if (c0 == 0xE0) lo = 0xA0;  // no overlong forms
    if (c0 == 0xED) hi = 0x9F;  // no surrogates
  } else if (c0 >= 0xF0 && c0 <= 0xF4) {
    need = 4;
    if (c0 == 0xF0) lo = 0x90;  // no overlong forms
    if (c0 == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 1;
  }
  if (s.size() - i < need) return 1;
  const auto c1 = static_cast<unsigned char>(s[i + 1]);
  if (c1 < lo || c1 > hi) return 1;
  for (std::size_t k = 2; k < need; ++k)
    if (!IsContinuation(static_cast<unsigned char>(s[i + k]))) return 1;
  return need;
}

// Code point of the character at s[i] of the given byte length.
std::int32_t CodeAt(std::string_view s, std::size_t i, std::size_t bytes) {
  const auto c0 = static_cast<unsigned char>(s[i]);
  if (bytes == 1) return c0;
  std::int32_t code = c0 & (0xFF >> (bytes + 1));
  for (std::size_t k = 1; k < bytes; ++k)
    code = (code << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  return code;
}

// Byte offset of the start of character number n (0-based); s.size() when s
// has n characters or fewer.
std::size_t OffsetOfChar(std::string_view s, std::size_t n) {
  std::size_t i = 0;
  while (n > 0 && i < s.size()) {
    i += CharBytes(s, i);
    --n;
  }
  return i;
}

std::size_t ClampCount(std::int32_t n) { return n <= 0 ? 0 : static_cast<std::size_t>(n); }

// Characters before 1-based position start; a start below 1 counts as 1.
std::size_t CharsBefore(std::int32_t start) { return start <= 1 ? 0 : ClampCount(start) - 1; }

std::int32_t ToPosition(std::size_t n) {
  return n > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())
             ? std::numeric_limits<std::int32_t>::max()
             : static_cast<std::int32_t>(n);
}

// Whether the n bytes from boundary i end on a character boundary.
bool EndsOnBoundary(std::string_view s, std::size_t i, std::size_t n) {
  const std::size_t end = i + n;
  while (i < end) i += CharBytes(s, i);
  return i == end;
}

// Byte offset of the first match of find in s at or after the character
// boundary `from`, or npos. A match starts and ends on character boundaries.
// When chars is given, the number of characters between from and the match
// is added to it.
std::size_t FindWhole(std::string_view s, std::string_view find, std::size_t from,
                      std::size_t* chars) {
  std::size_t pos = from;  // always a character boundary
  std::size_t counted = 0;
  for (;;) {
    const std::size_t hit = s.find(find, pos);
    if (hit == std::string_view::npos) return hit;
    while (pos < hit) {
      pos += CharBytes(s, pos);
      ++counted;
    }
    if (pos == hit) {
      if (EndsOnBoundary(s, hit, find.size())) {
        if (chars != nullptr) *chars += counted;
        return hit;
      }
      // The match ends inside a character (so hit < s.size()): go on from
      // the next boundary.
      pos += CharBytes(s, pos);
      ++counted;
    }
    // Otherwise the match began inside a character and pos is the next
    // boundary after it.
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// --- number texts -----------------------------------------------------------

struct Scan {
  std::size_t end = 0;  // bytes consumed from the start of the text; 0: none
  double value = 0;
};

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
Scan ScanRadix(std::string_view s, std::size_t i) {
  Scan r;
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
Scan ScanDecimal(std::string_view s, std::size_t i) {
  Scan r;
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

Scan ScanNumber(std::string_view s, std::size_t i) {
  Scan r = ScanRadix(s, i);
  if (r.end != 0) return r;
  return ScanDecimal(s, i);
}

// "inf", "infinity" or "nan" with an optional sign, at s[i].
Scan ScanSpecial(std::string_view s, std::size_t i) {
  Scan r;
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

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
  while (i < s.size() && IsBlank(s[i])) ++i;
  return i;
}

String NonFinite(double d) {
  if (std::isnan(d)) return "nan";
  return d < 0 ? "-inf" : "inf";
}

}  // namespace

// --- characters -------------------------------------------------------------

std::int32_t Len(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); i += CharBytes(s, i)) ++n;
  return ToPosition(n);
}

String Left(std::string_view s, std::int32_t n) {
  return String(s.substr(0, OffsetOfChar(s, ClampCount(n))));
}

String Right(std::string_view s, std::int32_t n) {
  const std::size_t want = ClampCount(n);
  const std::size_t total = static_cast<std::size_t>(Len(s));
  if (want >= total) return String(s);
  return String(s.substr(OffsetOfChar(s, total - want)));
}

String Mid(std::string_view s, std::int32_t start) {
  return String(s.substr(OffsetOfChar(s, CharsBefore(start))));
}

String Mid(std::string_view s, std::int32_t start, std::int32_t length) {
  const std::string_view rest = s.substr(OffsetOfChar(s, CharsBefore(start)));
  return String(rest.substr(0, OffsetOfChar(rest, ClampCount(length))));
}

std::int32_t InStr(std::string_view s, std::string_view find) {
  if (s.empty()) return 0;
  std::size_t chars = 0;
  if (FindWhole(s, find, 0, &chars) == std::string_view::npos) return 0;
  return ToPosition(chars + 1);
}

String Trim(std::string_view s) {
  auto isSpaceAt = [&](std::size_t i, std::size_t bytes) {
    const std::int32_t c = CodeAt(s, i, bytes);
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0xA0 ||
           c == 0x3000;
  };
  std::size_t begin = 0;
  while (begin < s.size()) {
    const std::size_t b = CharBytes(s, begin);
    if (!isSpaceAt(begin, b)) break;
    begin += b;
  }
  // Walk forward once more to find where the trailing white space starts.
  std::size_t end = begin;
  for (std::size_t i = begin; i < s.size();) {
    const std::size_t b = CharBytes(s, i);
    i += b;
    if (!isSpaceAt(i - b, b)) end = i;
  }
  return String(s.substr(begin, end - begin));
}

std::int32_t Asc(std::string_view s) {
  if (s.empty()) return 0;
  return CodeAt(s, 0, CharBytes(s, 0));
}

String Chr(std::int32_t code) {
  String out;
  if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return out;
  const auto c = static_cast<std::uint32_t>(code);
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

String ChrB(std::int32_t b) {
  if (b < 0 || b > 255) return String();
  return String(1, static_cast<char>(static_cast<unsigned char>(b)));
}

String ReplaceAll(std::string_view s, std::string_view find, std::string_view replacement) {
  if (find.empty()) return String(s);
  String out;
  std::size_t from = 0;
  for (;;) {
    const std::size_t hit = FindWhole(s, find, from, nullptr);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(from, hit - from));
    out.append(replacement);
    from = hit + find.size();
  }
  out.append(s.substr(from));
  return out;
}

std::int32_t CountFields(std::string_view s, std::string_view sep) {
  if (s.empty()) return 0;
  if (sep.empty()) return 1;
  std::size_t n = 1;
  std::size_t from = 0;
  for (;;) {
    const std::size_t hit = FindWhole(s, sep, from, nullptr);
    if (hit == std::string_view::npos) break;
    ++n;
    from = hit + sep.size();
  }
  return ToPosition(n);
}

String NthField(std::string_view s, std::string_view sep, std::int32_t n) {
  if (n < 1 || s.empty()) return String();
  if (sep.empty()) return n == 1 ? String(s) : String();
  std::size_t from = 0;
  for (std::int32_t field = 1;; ++field) {
    const std::size_t hit = FindWhole(s, sep, from, nullptr);
    if (field == n)
      return String(s.substr(from, hit == std::string_view::npos ? s.npos : hit - from));
    if (hit == std::string_view::npos) return String();
    from = hit + sep.size();
  }
}

// --- numbers ----------------------------------------------------------------

String Str(std::int32_t n) {
  std::array<char, 16> buf{};
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), n);
  return String(buf.data(), res.ptr);
}

String Str(double d) {
  if (!std::isfinite(d)) return NonFinite(d);
  std::array<char, 64> buf{};
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), d);
  return String(buf.data(), res.ptr);
}

String Format(double d, std::string_view /*pattern*/) {
  if (!std::isfinite(d)) return NonFinite(d);
  const double r = std::round(d);  // half away from zero; exact
  if (r == 0) return "0";
  // The largest double has 309 integer digits.
  std::array<char, 400> buf{};
  const auto res =
      std::to_chars(buf.data(), buf.data() + buf.size(), r, std::chars_format::fixed, 0);
  return String(buf.data(), res.ptr);
}

double CDbl(std::string_view text) {
  const std::size_t i = SkipBlanks(text, 0);
  Scan r = ScanNumber(text, i);
  if (r.end == 0) r = ScanSpecial(text, i);
  return r.end == 0 ? 0.0 : r.value;
}

double Val(std::string_view text) { return CDbl(text); }

bool IsNumeric(std::string_view text) {
  const std::size_t i = SkipBlanks(text, 0);
  const Scan r = ScanNumber(text, i);
  return r.end != 0 && SkipBlanks(text, r.end) == text.size();
}

String Hex(std::int32_t n) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto u = static_cast<std::uint32_t>(n);
  std::array<char, 8> buf{};
  std::size_t k = buf.size();
  do {
    buf[--k] = kDigits[u & 0xF];
    u >>= 4;
  } while (u != 0);
  return String(buf.data() + k, buf.size() - k);
}

}  // namespace fw
