// A value that is either a text or a number.
//
// What callers may rely on:
// - A Variant is made implicitly from a String, a const char*, an Int32 or a
//   double, and remembers which of the two it holds.
// - IsNumeric(v): a number is always numeric (NaN and infinities too); a text
//   is numeric exactly when fw::IsNumeric of the text is true (Text.h).
// - StringValue(): a text as it is; a number as Str of it (an Int32 as
//   decimal digits, a double as Str(double)).
// - DoubleValue(): a number as it is; a text as CDbl of it.
// - Int32Value(): DoubleValue() through the one real-to-integer rule
//   fw::ToInt32 (truncation toward zero, clamped, NaN to 0); an Int32 gives
//   itself.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "framework/core/String.h"

namespace fw {

class Variant {
 public:
  Variant(String text) : isText_(true), text_(std::move(text)) {}
  Variant(const char* text) : isText_(true), text_(text == nullptr ? "" : text) {}
  Variant(std::int32_t n) : number_(n) {}
  Variant(double d) : number_(d) {}

  bool IsText() const noexcept { return isText_; }

  String StringValue() const;
  double DoubleValue() const;
  std::int32_t Int32Value() const;

 private:
  bool isText_ = false;
  String text_;
  double number_ = 0;  // exact for every Int32
};

bool IsNumeric(const Variant& v);

}  // namespace fw
