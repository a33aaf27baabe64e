#include "framework/core/Date.h"

#include <algorithm>
#include <ctime>
#include <string_view>

namespace fw {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Floor division and the matching remainder (0 <= r < d for d > 0).
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t d) {
  return a / d - ((a % d != 0) && ((a < 0) != (d < 0)) ? 1 : 0);
}
constexpr std::int64_t FloorMod(std::int64_t a, std::int64_t d) { return a - FloorDiv(a, d) * d; }

// Days since 1970-01-01 of a proleptic Gregorian date, month 1..12.
constexpr std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct Civil {
  std::int64_t year, month, day;
};

constexpr Civil CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  return {yoe + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

constexpr std::int64_t kMinSeconds = DaysFromCivil(-1'000'000'000, 1, 1) * kSecondsPerDay;
constexpr std::int64_t kMaxSeconds =
    DaysFromCivil(1'000'000'000, 12, 31) * kSecondsPerDay + kSecondsPerDay - 1;

// Total seconds of a date given by fields of any value, normalised.
std::int64_t TotalOf(std::int64_t year, std::int64_t month, std::int64_t day, std::int64_t hour,
                     std::int64_t minute, std::int64_t second) {
  year += FloorDiv(month - 1, 12);
  month = FloorMod(month - 1, 12) + 1;
  const std::int64_t days = DaysFromCivil(year, month, 1) + (day - 1);
  return days * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

bool IsLeap(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

std::int64_t DaysInMonth(std::int64_t y, std::int64_t m) {
  static constexpr std::int64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Decimal digits only, 1 to 9 of them.
bool ReadField(std::string_view s, std::int64_t& out) {
  if (s.empty() || s.size() > 9) return false;
  std::int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

}  // namespace

Date::Date() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return;  // stays 1970-01-01 00:00:00
  SetTotal(TotalOf(local.tm_year + std::int64_t{1900}, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour, local.tm_min, local.tm_sec));
}

Date::Date(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
           std::int32_t minute, std::int32_t second) {
  SetTotal(TotalOf(year, month, day, hour, minute, second));
}

void Date::SetTotal(std::int64_t seconds) {
  seconds_ = std::clamp(seconds, kMinSeconds, kMaxSeconds);
}

std::int32_t Date::Year() const {
  return static_cast<std::int32_t>(CivilFromDays(FloorDiv(seconds_, kSecondsPerDay)).year);
}
std::int32_t Date::Month() const {
  return static_cast<std::int32_t>(CivilFromDays(FloorDiv(seconds_, kSecondsPerDay)).month);
}
std::int32_t Date::Day() const {
  return static_cast<std::int32_t>(CivilFromDays(FloorDiv(seconds_, kSecondsPerDay)).day);
}
std::int32_t Date::Hour() const {
  return static_cast<std::int32_t>(FloorMod(seconds_, kSecondsPerDay) / 3600);
}
std::int32_t Date::Minute() const {
  return static_cast<std::int32_t>(FloorMod(seconds_, 3600) / 60);
}
std::int32_t Date::Second() const { return static_cast<std::int32_t>(FloorMod(seconds_, 60)); }

void Date::SetHour(std::int32_t hour) { SetTotal(seconds_ + (std::int64_t{hour} - Hour()) * 3600); }
void Date::SetMinute(std::int32_t minute) {
  SetTotal(seconds_ + (std::int64_t{minute} - Minute()) * 60);
}
void Date::SetSecond(std::int32_t second) {
  SetTotal(seconds_ + (std::int64_t{second} - Second()));
}

bool ParseDate(const String& text, Date& out) {
  std::string_view s = text;
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  const std::size_t a = s.find('/');
  if (a == std::string_view::npos) return false;
  const std::size_t b = s.find('/', a + 1);
  if (b == std::string_view::npos) return false;
  std::int64_t month = 0, day = 0, year = 0;
  if (!ReadField(s.substr(0, a), month) || !ReadField(s.substr(a + 1, b - a - 1), day) ||
      !ReadField(s.substr(b + 1), year))
    return false;  // also fails on a third "/", which is no digit
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  out = Date(static_cast<std::int32_t>(year), static_cast<std::int32_t>(month),
             static_cast<std::int32_t>(day));
  return true;
}

}  // namespace fw
