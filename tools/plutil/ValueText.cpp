#include "plutil/ValueText.h"

#include "plutil/Value.h"

#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace plutil {

namespace {

using namespace std::chrono;

constexpr std::int64_t kDay = 86400;
constexpr sys_days kEpoch = sys_days{year{2001} / January / 1};

std::int64_t SecondsOf(sys_days day) { return (day - kEpoch).count() * kDay; }

const std::int64_t kFirstSecond = SecondsOf(sys_days{year{1} / January / 1});
const std::int64_t kLastSecond = SecondsOf(sys_days{year{9999} / December / 31}) + kDay - 1;

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsXmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsXmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number of exactly `count` decimal digits at the front of text, which
// is advanced past them; nothing when they are not there.
std::optional<int> TakeDigits(std::string_view& text, std::size_t count) {
  if (text.size() < count) return std::nullopt;
  int value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!IsDigit(text[i])) return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  text.remove_prefix(count);
  return value;
}

bool Take(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

int DigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (Lower(text[i]) != lower[i]) return false;
  return true;
}

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;

}  // namespace

// ---- dates -----------------------------------------------------------------

std::optional<std::string> DateText(double seconds) {
  if (!(seconds >= static_cast<double>(kFirstSecond) &&
        seconds < static_cast<double>(kLastSecond) + 1) ||
      seconds != std::floor(seconds))
    return std::nullopt;
  auto whole = static_cast<std::int64_t>(seconds);
  std::int64_t days = whole / kDay - (whole % kDay < 0 ? 1 : 0);
  std::int64_t second = whole - days * kDay;
  year_month_day date{kEpoch + std::chrono::days{days}};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
                static_cast<int>(second % 60));
  return text;
}

std::optional<std::int64_t> ParseDateText(std::string_view text) {
  text = Trimmed(text);
  std::size_t yearDigits = 0;
  while (yearDigits < text.size() && yearDigits < 5 && IsDigit(text[yearDigits])) ++yearDigits;
  if (yearDigits < 1 || yearDigits > 4) return std::nullopt;
  auto y = TakeDigits(text, yearDigits);
  if (!Take(text, '-')) return std::nullopt;
  auto m = TakeDigits(text, 2);
  if (!Take(text, '-')) return std::nullopt;
  auto d = TakeDigits(text, 2);
  if (!Take(text, 'T')) return std::nullopt;
  auto hh = TakeDigits(text, 2);
  if (!Take(text, ':')) return std::nullopt;
  auto mm = TakeDigits(text, 2);
  if (!Take(text, ':')) return std::nullopt;
  auto ss = TakeDigits(text, 2);
  if (!Take(text, 'Z') || !text.empty() || !y || !m || !d || !hh || !mm || !ss) return std::nullopt;
  year_month_day date{year{*y}, month{static_cast<unsigned>(*m)}, day{static_cast<unsigned>(*d)}};
  if (*y < 1 || !date.ok() || *hh > 23 || *mm > 59 || *ss > 59) return std::nullopt;
  return SecondsOf(sys_days{date}) + *hh * 3600 + *mm * 60 + *ss;
}

// ---- integers --------------------------------------------------------------

IntegerValue ParseInteger(std::string_view text) {
  static constexpr const char* kNotANumber = "an integer is not a whole number";
  static constexpr const char* kOutOfRange = "an integer is out of range (-2^63 to 2^64-1)";
  text = Trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return {0, false, kNotANumber};
  std::uint64_t magnitude = 0;
  bool tooLarge = false;
  for (char c : text) {
    auto digit = static_cast<unsigned>(DigitValue(c));
    if (digit >= base) return {0, false, kNotANumber};
    if (magnitude > (UINT64_MAX - digit) / base) tooLarge = true;
    magnitude = magnitude * base + digit;
  }
  if (tooLarge || (negative && magnitude > kSignBit)) return {0, false, kOutOfRange};
  if (!negative || magnitude == 0) return {magnitude, false, nullptr};
  return {~magnitude + 1, true, nullptr};
}

std::string IntegerText(std::uint64_t bits, bool negative) {
  return negative ? std::to_string(static_cast<std::int64_t>(bits)) : std::to_string(bits);
}

// ---- reals -----------------------------------------------------------------

std::optional<std::uint64_t> ParseReal(std::string_view text) {
  text = Trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::uint64_t sign = negative ? kSignBit : 0;
  if (EqualsIgnoringCase(text, "nan")) return kXmlNan | sign;
  if (EqualsIgnoringCase(text, "inf") || EqualsIgnoringCase(text, "infinity"))
    return BitsOf(HUGE_VAL) | sign;
  // from_chars alone would take "nan(...)", "inf" spellings and no sign:
  // the number itself must start with a digit or a point.
  if (text.empty() || !(IsDigit(text.front()) || text.front() == '.')) return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return BitsOf(value) | sign;
}

std::optional<std::string> RealText(std::uint64_t bits) {
  double value = std::bit_cast<double>(bits);
  if (std::isnan(value)) {
    if (bits != kXmlNan) return std::nullopt;
    return "nan";
  }
  if (std::isinf(value)) return value > 0 ? "+infinity" : "-infinity";
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return std::string(text, ec == std::errc() ? end : text);
}

// ---- base64 ----------------------------------------------------------------

namespace {

constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (IsDigit(c)) return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::optional<std::string> DecodeBase64(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3);
  std::uint32_t group = 0;
  int digits = 0;   // in the current group
  int padding = 0;  // "=" seen; only more "=" and whitespace may follow
  for (char c : text) {
    if (IsXmlSpace(c)) continue;
    if (c == '=') {
      if (digits < 2 || digits + padding >= 4) return std::nullopt;
      ++padding;
      continue;
    }
    int value = Base64Value(c);
    if (value < 0 || padding > 0) return std::nullopt;
    group = (group << 6) | static_cast<std::uint32_t>(value);
    if (++digits == 4) {
      out.push_back(static_cast<char>(group >> 16));
      out.push_back(static_cast<char>((group >> 8) & 0xFF));
      out.push_back(static_cast<char>(group & 0xFF));
      group = 0;
      digits = 0;
    }
  }
  if (digits == 0) return padding == 0 ? std::optional(std::move(out)) : std::nullopt;
  if (digits + padding != 4) return std::nullopt;
  if (digits == 2) {  // one byte, 4 bits to spare
    if (group & 0x0F) return std::nullopt;
    out.push_back(static_cast<char>(group >> 4));
  } else {  // three digits: two bytes, 2 bits to spare
    if (group & 0x03) return std::nullopt;
    out.push_back(static_cast<char>(group >> 10));
    out.push_back(static_cast<char>((group >> 2) & 0xFF));
  }
  return out;
}

std::string Base64(const unsigned char* bytes, std::size_t size) {
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  for (std::size_t i = 0; i < size; i += 3) {
    std::uint32_t group = std::uint32_t{bytes[i]} << 16;
    if (i + 1 < size) group |= std::uint32_t{bytes[i + 1]} << 8;
    if (i + 2 < size) group |= bytes[i + 2];
    out.push_back(kBase64Digits[(group >> 18) & 63]);
    out.push_back(kBase64Digits[(group >> 12) & 63]);
    out.push_back(i + 1 < size ? kBase64Digits[(group >> 6) & 63] : '=');
    out.push_back(i + 2 < size ? kBase64Digits[group & 63] : '=');
  }
  return out;
}

// ---- escaping --------------------------------------------------------------

namespace {

std::string_view Reference(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '\r':
      return "&#13;";
    case '\n':
      return "&#10;";
    default:
      return {};
  }
}

}  // namespace

void AppendEscaped(std::string_view text, std::string& out) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t special = text.find_first_of("&<>\r\n", at);
    if (special == std::string_view::npos) break;
    out.append(text.substr(at, special - at));
    out.append(Reference(text[special]));
    at = special + 1;
  }
  out.append(text.substr(at));
}

std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(text, out);
  return out;
}

std::size_t EscapedSize(std::string_view text) {
  std::size_t size = text.size();
  for (char c : text) size += Reference(c).empty() ? 0 : Reference(c).size() - 1;
  return size;
}

// ---- UTF-8 and UTF-16 ------------------------------------------------------

bool IsUtf8(std::string_view text) {
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char c = at(i);
    std::size_t extra;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (text.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((at(i + k) & 0xC0) != 0x80) return false;
    }
    unsigned char next = at(i + 1);
    if ((c == 0xE0 && next < 0xA0) || (c == 0xED && next > 0x9F) || (c == 0xF0 && next < 0x90) ||
        (c == 0xF4 && next > 0x8F))
      return false;
    i += extra + 1;
  }
  return true;
}

namespace {

void AppendCodePoint(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendUnit(std::uint32_t unit, std::string& out) {
  out.push_back(static_cast<char>(unit >> 8));
  out.push_back(static_cast<char>(unit & 0xFF));
}

}  // namespace

bool AppendUtf16AsUtf8(std::string_view units, std::string& out) {
  auto unit = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(units[2 * i]) << 8 |
                                      static_cast<unsigned char>(units[2 * i + 1]));
  };
  std::size_t count = units.size() / 2;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t u = unit(i);
    if (u >= 0xDC00 && u <= 0xDFFF) return false;
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 >= count) return false;
      std::uint32_t low = unit(i + 1);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    }
    AppendCodePoint(u, out);
  }
  return true;
}

std::size_t AppendUtf8AsUtf16(std::string_view text, std::string& out) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    std::size_t extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    std::uint32_t cp = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
    for (std::size_t k = 1; k <= extra; ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += extra + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      AppendUnit(0xD800 + (cp >> 10), out);
      AppendUnit(0xDC00 + (cp & 0x3FF), out);
      units += 2;
    } else {
      AppendUnit(cp, out);
      ++units;
    }
  }
  return units;
}

}  // namespace plutil
