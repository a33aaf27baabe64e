// The tick counter: sixtieths of a second.
//
// Ticks() counts sixtieths of a second from a monotonic clock (never set
// back, unaffected by changes of the wall-clock time), starting near 0 when
// the process first asks for it, so it stays well inside the Int32 range for
// more than a year of running. Successive calls never decrease.
//
// The counter goes through one process-wide hook so that tests can drive
// time themselves: ScopedHook<SetTicksHook> (ScopedHook.h) installs a hook
// for its lifetime and puts the previous one back when it goes out of scope.
#pragma once

#include <cstdint>
#include <functional>

namespace fw {

using TicksHook = std::function<std::int32_t()>;

std::int32_t Ticks();

// Installs hook and returns the one it replaced. An empty hook restores the
// monotonic clock.
TicksHook SetTicksHook(TicksHook hook);

}  // namespace fw
