// A calendar date with a time of day.
//
// What callers may rely on:
// - A Date is a value: copying gives an independent date.
// - Date() holds the current local date and time of the machine, to the
//   second. Its fields are local fields; a Date carries no time zone.
// - The fields follow the proleptic Gregorian calendar for any year, also
//   years below 1000 (987) and below 1: Year, Month (1..12), Day (1..31),
//   Hour (0..23), Minute (0..59), Second (0..59).
// - SetHour, SetMinute and SetSecond accept any Int32 and normalise like a
//   calendar: SetSecond(75) gives second 15 of the next minute, SetHour(-1)
//   hour 23 of the previous day, SetMinute(60 * 24) the next day at the same
//   hour and minute 0. The date stays within years -1,000,000,000 to
//   1,000,000,000; anything that would leave that range stops at its edge.
// - The field constructor normalises in the same way (month 13 is January of
//   the next year, day 0 the last day of the previous month).
#pragma once

#include <cstdint>

#include "framework/core/String.h"

namespace fw {

class Date {
 public:
  // The current local date and time.
  Date();

  // The given local date and time, normalised as described above.
  Date(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour = 0,
       std::int32_t minute = 0, std::int32_t second = 0);

  std::int32_t Year() const;
  std::int32_t Month() const;
  std::int32_t Day() const;
  std::int32_t Hour() const;
  std::int32_t Minute() const;
  std::int32_t Second() const;

  void SetHour(std::int32_t hour);
  void SetMinute(std::int32_t minute);
  void SetSecond(std::int32_t second);

  // Same date and time of day.
  friend bool operator==(const Date& a, const Date& b) = default;

 private:
  explicit Date(std::int64_t seconds) : seconds_(seconds) {}
  void SetTotal(std::int64_t seconds);

  // Seconds since 1970-01-01 00:00:00 of the same local clock.
  std::int64_t seconds_ = 0;
};

// Reads text as "month/day/year", in that order: three fields of decimal
// digits separated by "/", blanks allowed around the whole text. The month
// must be 1..12, the day a day of that month in that year, the year 0 ..
// 999999999, taken as written (no two-digit year is widened: "3/5/10" is the
// year 10). On success returns true and sets out to that date at 00:00:00. On
// failure returns false and leaves out unchanged. "03/05/2010" is 5 March
// 2010; "//abc" fails.
bool ParseDate(const String& text, Date& out);

}  // namespace fw
