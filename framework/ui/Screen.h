// The screens. Screen(0) is the first (primary) screen; an index with no
// screen gives the first screen too. Sizes are in pixels. Tests stand in a
// screen of a chosen size with ScopedHook<SetScreenOverride> (ScopedHook.h).
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

// While screen is set, Screen(any index) answers it and ScreenCount() is 1;
// nullopt restores the real screens. Returns the value it replaced.
std::optional<ScreenInfo> SetScreenOverride(std::optional<ScreenInfo> screen);

}  // namespace fw
