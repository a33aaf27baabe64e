#include "plutil/ExactValues.h"

#include <bit>
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

void PutBigEndian(std::string& bytes, std::size_t at, std::uint64_t value) {
  for (int i = 7; i >= 0; --i) {
    bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
}

double ReadDouble(std::string_view bytes, std::size_t at) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < 8; ++i)
    bits = (bits << 8) | static_cast<unsigned char>(bytes[at + i]);
  return std::bit_cast<double>(bits);
}

void PutDouble(std::string& bytes, std::size_t at, double value) {
  PutBigEndian(bytes, at, std::bit_cast<std::uint64_t>(value));
}

}  // namespace

// ---- the table -------------------------------------------------------------

std::int32_t DateTable::Add(double seconds) {
  seconds_.push_back(seconds);
  return static_cast<std::int32_t>(seconds_.size() - 1);
}

std::optional<double> DateTable::Value(double marker) const {
  if (!(marker >= 0 && marker < static_cast<double>(seconds_.size())) ||
      marker != std::floor(marker))
    return std::nullopt;
  return seconds_[static_cast<std::size_t>(marker)];
}

std::optional<double> DateTable::Find(plist_t date) const {
  if (plist_get_node_type(date) != PLIST_DATE) return std::nullopt;
  std::int32_t sec = 0, usec = 0;
  plist_get_date_val(date, &sec, &usec);
  if (usec != 0) return std::nullopt;
  return Value(sec);
}

bool DateTable::AllInTextRange() const {
  for (double seconds : seconds_)
    if (!DateText(seconds)) return false;
  return true;
}

// ---- date text -------------------------------------------------------------

std::optional<std::string> DateText(double seconds) {
  if (!(seconds >= static_cast<double>(kFirstSecond) &&
        seconds < static_cast<double>(kLastSecond) + 1) ||
      seconds != std::floor(seconds))
    return std::nullopt;
  auto whole = static_cast<std::int64_t>(std::floor(seconds));
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

// ---- integer text ----------------------------------------------------------

IntegerText CanonicalInteger(std::string_view text) {
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
  if (text.empty()) return {{}, kNotANumber};
  std::uint64_t magnitude = 0;
  bool tooLarge = false;
  for (char c : text) {
    auto digit = static_cast<unsigned>(DigitValue(c));
    if (digit >= base) return {{}, kNotANumber};
    if (magnitude > (UINT64_MAX - digit) / base) tooLarge = true;
    magnitude = magnitude * base + digit;
  }
  if (tooLarge || (negative && magnitude > std::uint64_t{1} << 63)) return {{}, kOutOfRange};
  if (!negative || magnitude == 0) return {std::to_string(magnitude), nullptr};
  return {"-" + std::to_string(magnitude), nullptr};
}

// ---- marking and restoring -------------------------------------------------

std::optional<std::string> MarkXml(std::string_view xml, const std::vector<XmlLeaf>& leaves,
                                   DateTable& dates, std::string& out) {
  out.clear();
  out.reserve(xml.size());
  std::size_t at = 0;
  for (const XmlLeaf& leaf : leaves) {
    std::string_view contents = xml.substr(leaf.begin, leaf.end - leaf.begin);
    std::string text;
    if (leaf.name == "integer") {
      IntegerText integer = CanonicalInteger(contents);
      if (integer.problem) return integer.problem;
      text = std::move(integer.decimal);
    } else {
      auto seconds = ParseDateText(contents);
      if (!seconds) return "a date is not a valid date of the form YYYY-MM-DDTHH:MM:SSZ";
      if (dates.size() >= kMaxDates) return "too many dates";
      text = *DateText(dates.Add(static_cast<double>(*seconds)));
    }
    // An empty or self-closing element has been refused above: every
    // element replaced here has contents between its two tags.
    out.append(xml.substr(at, leaf.begin - at));
    out.append(text);
    at = leaf.end;
  }
  out.append(xml.substr(at));
  return std::nullopt;
}

std::optional<std::string> MarkBinary(std::string_view bytes,
                                      const std::vector<std::size_t>& dateOffsets, DateTable& dates,
                                      std::string& out) {
  if (dateOffsets.size() > kMaxDates) return "too many dates";
  out.assign(bytes);
  for (std::size_t at : dateOffsets) PutDouble(out, at, dates.Add(ReadDouble(bytes, at)));
  return std::nullopt;
}

std::optional<std::string> RestoreBinaryDates(std::string& bytes, const DateTable& dates) {
  if (dates.size() == 0) return std::nullopt;
  BinaryValues values;
  if (auto error = CheckBinaryStructure(bytes, &values)) return "libplist wrote " + *error;
  for (std::size_t at : values.dates) {
    auto seconds = dates.Value(ReadDouble(bytes, at));
    if (!seconds) return "a date could not be written whole";
    PutDouble(bytes, at, *seconds);
  }
  return std::nullopt;
}

}  // namespace plutil
