#include "framework/core/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/core/Text.h"

namespace {

using fw::String;
using fw::Variant;

TEST(VariantTest, TextAndNumberValues) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* name;
    Variant v;
    bool isText, numeric;
    String text;
    std::int32_t int32;
  } cases[] = {
      {"int", Variant(1), false, true, "1", 1},
      {"negative int", Variant(-7), false, true, "-7", -7},
      {"int min", Variant(std::numeric_limits<std::int32_t>::min()), false, true, "-2147483648",
       std::numeric_limits<std::int32_t>::min()},
      {"double truncates", Variant(2.9), false, true, "2.9", 2},
      {"negative double truncates", Variant(-2.9), false, true, "-2.9", -2},
      {"huge double clamps", Variant(1e20), false, true, "1e+20", 2147483647},
      {"NaN is numeric, reads as 0", Variant(nan), false, true, "nan", 0},
      {"digits text", Variant("2010"), true, true, "2010", 2010},
      {"padded digits text", Variant(String(" 1 ")), true, true, " 1 ", 1},
      {"fraction text", Variant("1.7"), true, true, "1.7", 1},
      {"key text", Variant("Server"), true, false, "Server", 0},
      {"empty text", Variant(""), true, false, "", 0},
      {"null text", Variant(static_cast<const char*>(nullptr)), true, false, "", 0},
      {"leading digits text", Variant("12abc"), true, false, "12abc", 12},
      {"inf text", Variant("inf"), true, false, "inf", 2147483647},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.v.IsText(), c.isText);
    EXPECT_EQ(fw::IsNumeric(c.v), c.numeric);
    EXPECT_EQ(c.v.StringValue(), c.text);
    EXPECT_EQ(c.v.Int32Value(), c.int32);
  }
}

// The implicit conversions a caller relies on when passing a key or a number.
TEST(VariantTest, ImplicitConstruction) {
  auto describe = [](const Variant& v) { return v.StringValue() + (v.IsText() ? "/t" : "/n"); };
  const String key = "0";
  EXPECT_EQ(describe(key), "0/t");
  EXPECT_EQ(describe("k"), "k/t");
  EXPECT_EQ(describe(3), "3/n");
  EXPECT_EQ(describe(0.5), "0.5/n");
  EXPECT_EQ(Variant(0.5).DoubleValue(), 0.5);
  EXPECT_EQ(Variant("&h10").DoubleValue(), 16);
}

}  // namespace
