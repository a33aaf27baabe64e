#include "framework/core/Ticks.h"
#include "framework/core/ScopedHook.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(Ticks, HookReplacesTheClockAndGuardPutsItBack) {
  const std::int32_t before = fw::Ticks();
  {
    std::int32_t now = 1000000;
    fw::ScopedHook<fw::SetTicksHook> guard([&] { return now; });
    EXPECT_EQ(fw::Ticks(), 1000000);
    now = 1001800;
    EXPECT_EQ(fw::Ticks(), 1001800);
    {
      fw::ScopedHook<fw::SetTicksHook> inner([] { return 7; });
      EXPECT_EQ(fw::Ticks(), 7);
    }
    EXPECT_EQ(fw::Ticks(), 1001800);
  }
  const std::int32_t after = fw::Ticks();
  EXPECT_GE(after, before);
  EXPECT_LT(after, 1000000);
}

TEST(Ticks, EmptyHookRestoresTheClock) {
  fw::ScopedHook<fw::SetTicksHook> guard([] { return -5; });
  EXPECT_EQ(fw::Ticks(), -5);
  {
    fw::ScopedHook<fw::SetTicksHook> clock({});
    EXPECT_GE(fw::Ticks(), 0);
  }
  EXPECT_EQ(fw::Ticks(), -5);
}

TEST(Ticks, CountsSixtiethsOfASecondMonotonically) {
  const std::int32_t start = fw::Ticks();
  EXPECT_GE(start, 0);
  // A sleep lasts at least as long as asked: 100 ms is 6 ticks.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::int32_t later = fw::Ticks();
  EXPECT_GE(later - start, 6);
  for (int i = 0; i < 1000; ++i) {
    const std::int32_t next = fw::Ticks();
    ASSERT_GE(next, later);
    later = next;
  }
}

}  // namespace
