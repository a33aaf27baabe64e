#include "framework/core/NumberScan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

struct Case {
  const char* text;
  std::size_t start;
  std::size_t end;  // 0: nothing read
  double value;     // 0 when nothing is read
};

// Where the longest number text ends decides what CDbl reads and whether
// IsNumeric accepts the rest of the text.
TEST(NumberScan, ReadsTheLongestNumberTextAndSaysWhereItEnds) {
  const double inf = std::numeric_limits<double>::infinity();
  // clang-format off
  const Case cases[] = {
      {"12abc", 0, 2, 12},
      {"1e", 0, 1, 1},
      {"1e+", 0, 1, 1},
      {"1e+5x", 0, 4, 1e5},
      {"1.5e-3", 0, 6, 1.5e-3},
      {"5.", 0, 2, 5},
      {".5", 0, 2, 0.5},
      {"-.5", 0, 3, -0.5},
      {"+7", 0, 2, 7},
      {".", 0, 0, 0},
      {"-", 0, 0, 0},
      {"+.e1", 0, 0, 0},
      {" 1", 0, 0, 0},  // blanks are the caller's to skip
      {"x=42;", 2, 4, 42},
      {"&hFFg", 0, 4, 255},
      {"&O17", 0, 4, 15},
      {"&b102", 0, 4, 2},
      {"&h", 0, 0, 0},
      {"&x1", 0, 0, 0},
      {"1e400", 0, 5, inf},
      {"-1e400", 0, 6, -inf},
      {"1e-400", 0, 6, 0},
      {"", 0, 0, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    const fw::ScannedNumber r = fw::ScanNumber(c.text, c.start);
    EXPECT_EQ(r.end, c.end) << c.text;
    EXPECT_EQ(r.value, c.value) << c.text;
  }
}

TEST(NumberScan, SpecialWords) {
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"inf", 0, 3, inf},  {"-Infinity", 0, 9, -inf}, {"INFO", 0, 3, inf},
      {"+inf", 0, 4, inf}, {"in", 0, 0, 0},           {"12", 0, 0, 0},
  };
  for (const Case& c : cases) {
    const fw::ScannedNumber r = fw::ScanSpecial(c.text, c.start);
    EXPECT_EQ(r.end, c.end) << c.text;
    EXPECT_EQ(r.value, c.value) << c.text;
  }
  const fw::ScannedNumber nan = fw::ScanSpecial("-NaN", 0);
  EXPECT_EQ(nan.end, 4u);
  EXPECT_TRUE(std::isnan(nan.value));
  EXPECT_FALSE(std::signbit(nan.value));  // a NaN carries no sign
}

TEST(NumberScan, SkipBlanksSkipsSpacesAndTabsOnly) {
  EXPECT_EQ(fw::SkipBlanks(" \t 1", 0), 3u);
  EXPECT_EQ(fw::SkipBlanks("\n1", 0), 0u);
  EXPECT_EQ(fw::SkipBlanks("a  ", 1), 3u);
  EXPECT_EQ(fw::SkipBlanks("", 0), 0u);
}

}  // namespace
