#include "framework/core/Ticks.h"

#include <chrono>

#include "framework/core/Number.h"

namespace fw {
namespace {

using Clock = std::chrono::steady_clock;

std::int32_t ClockTicks() {
  static const Clock::time_point start = Clock::now();
  const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
  return ToInt32(static_cast<double>(elapsed.count()) * 60.0 / 1e6);
}

TicksHook& CurrentHook() {
  static TicksHook hook;
  return hook;
}

}  // namespace

std::int32_t Ticks() {
  const TicksHook& hook = CurrentHook();
  return hook ? hook() : ClockTicks();
}

TicksHook SetTicksHook(TicksHook hook) {
  TicksHook previous = std::move(CurrentHook());
  CurrentHook() = std::move(hook);
  return previous;
}

}  // namespace fw
