// Numbers in the platform layer.
//
// ToInt32 is the one real-to-integer rule of the whole system: truncation
// toward zero, clamped to the Int32 range, NaN to 0. It is defined for every
// double (no undefined behaviour), and every conversion of a real number to a
// 32-bit integer in the program goes through it.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace fw {

constexpr std::int32_t ToInt32(double value) noexcept {
  if (value != value) return 0;  // NaN
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);  // truncates toward zero
}

}  // namespace fw
