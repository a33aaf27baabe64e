// Text in the platform layer.
//
// A String is UTF-8 text held in a std::string. Functions that count or
// position characters (Len, Mid, InStr, ...) count Unicode code points, not
// bytes; functions that speak of bytes say so.
//
// The one comparison rule of the whole system is TextEquals / TextLess:
// exact, case-sensitive comparison of the UTF-8 bytes. Property-list keys,
// menu item names and control names are all compared with it, so two keys
// that differ only in letter case stay two keys.
#pragma once

#include <string>
#include <string_view>

namespace fw {

using String = std::string;

// True when a and b hold the same bytes.
inline bool TextEquals(std::string_view a, std::string_view b) noexcept { return a == b; }

// Strict weak order by unsigned byte values; consistent with TextEquals.
inline bool TextLess(std::string_view a, std::string_view b) noexcept { return a < b; }

}  // namespace fw
