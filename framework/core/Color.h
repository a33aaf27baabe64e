// A colour value: red, green and blue components, each 0 to 255.
#pragma once

#include <cstdint>

namespace fw {

struct Color {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  friend constexpr bool operator==(const Color&, const Color&) = default;
};

// A colour from its components; each is clamped to 0..255.
constexpr Color RGB(int red, int green, int blue) noexcept {
  auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
  return Color{clamp(red), clamp(green), clamp(blue)};
}

}  // namespace fw
