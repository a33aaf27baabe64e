#include "framework/core/Date.h"

#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <string>

namespace {

using fw::Date;

struct Fields {
  std::int32_t year, month, day, hour, minute, second;
  friend bool operator==(const Fields&, const Fields&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Fields& f) {
    return os << f.year << "-" << f.month << "-" << f.day << " " << f.hour << ":" << f.minute << ":"
              << f.second;
  }
};

Fields Of(const Date& d) {
  return {d.Year(), d.Month(), d.Day(), d.Hour(), d.Minute(), d.Second()};
}

TEST(DateTest, FieldConstructorNormalises) {
  const struct {
    Fields in, want;
  } cases[] = {
      {{2010, 3, 5, 9, 7, 30}, {2010, 3, 5, 9, 7, 30}},
      {{987, 3, 5, 0, 0, 0}, {987, 3, 5, 0, 0, 0}},
      {{1, 1, 1, 0, 0, 0}, {1, 1, 1, 0, 0, 0}},
      {{0, 12, 31, 23, 59, 59}, {0, 12, 31, 23, 59, 59}},
      {{-44, 3, 15, 12, 0, 0}, {-44, 3, 15, 12, 0, 0}},
      {{1969, 12, 31, 23, 59, 59}, {1969, 12, 31, 23, 59, 59}},
      {{9999, 12, 31, 23, 59, 59}, {9999, 12, 31, 23, 59, 59}},
      {{2000, 2, 29, 0, 0, 0}, {2000, 2, 29, 0, 0, 0}},
      {{1900, 2, 29, 0, 0, 0}, {1900, 3, 1, 0, 0, 0}},  // 1900 is no leap year
      {{2010, 13, 1, 0, 0, 0}, {2011, 1, 1, 0, 0, 0}},
      {{2010, 0, 1, 0, 0, 0}, {2009, 12, 1, 0, 0, 0}},
      {{2010, -11, 1, 0, 0, 0}, {2009, 1, 1, 0, 0, 0}},
      {{2010, 3, 0, 0, 0, 0}, {2010, 2, 28, 0, 0, 0}},
      {{2010, 12, 31, 23, 59, 60}, {2011, 1, 1, 0, 0, 0}},
      {{2010, 1, 1, 0, 0, -1}, {2009, 12, 31, 23, 59, 59}},
      {{2010, 1, 1, 24, 0, 0}, {2010, 1, 2, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.in));
    const auto& f = c.in;
    EXPECT_EQ(Of(Date(f.year, f.month, f.day, f.hour, f.minute, f.second)), c.want);
  }
}

TEST(DateTest, SettersNormaliseLikeACalendar) {
  enum Which { kHour, kMinute, kSecond };
  const struct {
    Fields start;
    Which which;
    std::int32_t value;
    Fields want;
  } cases[] = {
      {{2010, 3, 5, 9, 7, 30}, kHour, 15, {2010, 3, 5, 15, 7, 30}},
      {{2010, 3, 5, 9, 7, 30}, kMinute, 0, {2010, 3, 5, 9, 0, 30}},
      {{2010, 3, 5, 9, 7, 30}, kSecond, 0, {2010, 3, 5, 9, 7, 0}},
      {{2010, 3, 5, 9, 7, 30}, kSecond, 75, {2010, 3, 5, 9, 8, 15}},
      {{2010, 3, 5, 9, 7, 30}, kSecond, -1, {2010, 3, 5, 9, 6, 59}},
      {{2010, 3, 5, 9, 7, 30}, kMinute, 60 * 24, {2010, 3, 6, 9, 0, 30}},
      {{2010, 3, 5, 9, 7, 30}, kMinute, -1, {2010, 3, 5, 8, 59, 30}},
      {{2010, 3, 5, 9, 7, 30}, kHour, 24, {2010, 3, 6, 0, 7, 30}},
      {{2010, 3, 1, 9, 7, 30}, kHour, -1, {2010, 2, 28, 23, 7, 30}},
      {{2012, 3, 1, 9, 7, 30}, kHour, -1, {2012, 2, 29, 23, 7, 30}},
      {{2010, 12, 31, 23, 59, 59}, kSecond, 60, {2011, 1, 1, 0, 0, 0}},
      {{987, 1, 1, 0, 0, 0}, kHour, -1, {986, 12, 31, 23, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.start) + " set " + std::to_string(c.value));
    const auto& f = c.start;
    Date d(f.year, f.month, f.day, f.hour, f.minute, f.second);
    if (c.which == kHour) d.SetHour(c.value);
    if (c.which == kMinute) d.SetMinute(c.value);
    if (c.which == kSecond) d.SetSecond(c.value);
    EXPECT_EQ(Of(d), c.want);
  }
}

// Extreme values stay defined: the date stops at the edge of its range.
TEST(DateTest, ExtremeValuesStayInRange) {
  const std::int32_t big = std::numeric_limits<std::int32_t>::max();
  const std::int32_t small = std::numeric_limits<std::int32_t>::min();
  Date d(2010, 1, 1);
  for (int i = 0; i < 10000; ++i) d.SetHour(big);
  EXPECT_EQ(Of(d), (Fields{1000000000, 12, 31, 23, 59, 59}));
  for (int i = 0; i < 10000; ++i) d.SetHour(small);
  EXPECT_EQ(Of(d), (Fields{-1000000000, 1, 1, 0, 0, 0}));
  EXPECT_EQ(Of(Date(big, big, big, big, big, big)).year, 1000000000);
  EXPECT_EQ(Of(Date(small, small, small, small, small, small)).year, -1000000000);
}

Fields LocalFields(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

TEST(DateTest, NewDateHoldsTheCurrentLocalTime) {
  // The clock may tick between the reads; the date must match one of them.
  const std::time_t before = std::time(nullptr);
  const Fields got = Of(Date());
  const std::time_t after = std::time(nullptr);
  bool matched = false;
  for (std::time_t t = before; t <= after && !matched; ++t) matched = got == LocalFields(t);
  EXPECT_TRUE(matched) << got;
}

TEST(DateTest, CopiesAreIndependent) {
  Date a(2010, 3, 5, 9, 7, 30);
  Date b = a;
  b.SetHour(1);
  EXPECT_EQ(a.Hour(), 9);
  EXPECT_EQ(b.Hour(), 1);
  EXPECT_FALSE(a == b);
  b.SetHour(9);
  EXPECT_TRUE(a == b);
}

TEST(DateTest, ParseDateReadsMonthDayYear) {
  const struct {
    const char* text;
    Fields want;
  } cases[] = {
      {"03/05/2010", {2010, 3, 5, 0, 0, 0}},
      {"3/5/2010", {2010, 3, 5, 0, 0, 0}},
      {"12/31/1999", {1999, 12, 31, 0, 0, 0}},
      {"03/05/987", {987, 3, 5, 0, 0, 0}},
      {"1/1/0", {0, 1, 1, 0, 0, 0}},
      {"3/5/10", {10, 3, 5, 0, 0, 0}},
      {"02/29/2000", {2000, 2, 29, 0, 0, 0}},
      {"02/29/2004", {2004, 2, 29, 0, 0, 0}},
      {" 01/02/2003\t", {2003, 1, 2, 0, 0, 0}},
      {"0003/0005/002010", {2010, 3, 5, 0, 0, 0}},
      {"12/31/999999999", {999999999, 12, 31, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Date d(2020, 6, 7, 8, 9, 10);
    ASSERT_TRUE(fw::ParseDate(c.text, d));
    EXPECT_EQ(Of(d), c.want);
  }
}

TEST(DateTest, ParseDateFailureLeavesTheDate) {
  const char* cases[] = {
      "//abc",
      "",
      "/",
      "//",
      "1/2",
      "1/2/3/4",
      "a/b/c",
      "13/1/2000",
      "0/1/2000",
      "1/0/2000",
      "1/32/2000",
      "2/29/1900",
      "2/30/2000",
      "4/31/2010",
      "-1/2/2000",
      "1/2/-2000",
      "1/2/2000x",
      "1/ 2/2000",
      "+1/2/2000",
      "1/2/",
      "/2/2000",
      "2010-03-05",
      "1.5/2/2000",
      "1/2/1234567890",
      "\xEF\xBC\x91/2/2000",  // a full-width digit one
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    Date d(2020, 6, 7, 8, 9, 10);
    EXPECT_FALSE(fw::ParseDate(text, d));
    EXPECT_EQ(Of(d), (Fields{2020, 6, 7, 8, 9, 10}));
  }
}

}  // namespace
