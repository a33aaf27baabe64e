// The text functions: characters, searching and fields, and numbers written
// as text (the reading itself is NumberScan's).
#include "framework/core/Text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>

#include "framework/core/NumberScan.h"
#include "framework/core/Utf8.h"

namespace fw {
namespace {

using utf8::CharBytes;
using utf8::CodeAt;
using utf8::EndsOnBoundary;
using utf8::OffsetOfChar;

std::size_t ClampCount(std::int32_t n) { return n <= 0 ? 0 : static_cast<std::size_t>(n); }

// Characters before 1-based position start; a start below 1 counts as 1.
std::size_t CharsBefore(std::int32_t start) { return start <= 1 ? 0 : ClampCount(start) - 1; }

std::int32_t ToPosition(std::size_t n) {
  return n > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())
             ? std::numeric_limits<std::int32_t>::max()
             : static_cast<std::int32_t>(n);
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
  utf8::Append(static_cast<std::uint32_t>(code), out);
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
  ScannedNumber r = ScanNumber(text, i);
  if (r.end == 0) r = ScanSpecial(text, i);
  return r.end == 0 ? 0.0 : r.value;
}

double Val(std::string_view text) { return CDbl(text); }

bool IsNumeric(std::string_view text) {
  const std::size_t i = SkipBlanks(text, 0);
  const ScannedNumber r = ScanNumber(text, i);
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
