// The screens. Screen(0) is the first (primary) screen; an index with no
// screen gives the first screen too. Sizes are in pixels. Tests stand in a
// screen of a chosen size with ScreenSizeGuard.
#pragma once

#include <cstdint>
#include <optional>

namespace fw {

struct ScreenInfo {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  std::int32_t Left() const { return left; }
  std::int32_t Top() const { return top; }
  std::int32_t Width() const { return width; }
  std::int32_t Height() const { return height; }
};

ScreenInfo Screen(std::int32_t index);
std::int32_t ScreenCount();

class ScreenSizeGuard {
 public:
  ScreenSizeGuard(std::int32_t width, std::int32_t height);
  ~ScreenSizeGuard();
  ScreenSizeGuard(const ScreenSizeGuard&) = delete;
  ScreenSizeGuard& operator=(const ScreenSizeGuard&) = delete;

 private:
  std::optional<ScreenInfo> previous_;
};

}  // namespace fw
