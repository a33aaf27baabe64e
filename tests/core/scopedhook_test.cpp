// The hook guard: what it restores, in which order, and when.
#include "framework/core/ScopedHook.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/core/Clipboard.h"

namespace {

// A hook of the tests' own: its current value and every value it was given.
std::string& Current() {
  static std::string value = "default";
  return value;
}

std::vector<std::string>& Installed() {
  static std::vector<std::string> log;
  return log;
}

std::string SetNameHook(std::string hook) {
  Installed().push_back(hook);
  return std::exchange(Current(), std::move(hook));
}

using NameGuard = fw::ScopedHook<SetNameHook>;

static_assert(!std::is_copy_constructible_v<NameGuard> && !std::is_copy_assignable_v<NameGuard>);
static_assert(!std::is_move_constructible_v<NameGuard> && !std::is_move_assignable_v<NameGuard>);
static_assert(std::is_nothrow_destructible_v<NameGuard>);

class ScopedHookTest : public ::testing::Test {
 protected:
  void SetUp() override { Installed().clear(); }
  void TearDown() override { EXPECT_EQ(Current(), "default"); }
};

TEST_F(ScopedHookTest, NestedGuardsRestoreInReverseOrder) {
  {
    NameGuard outer("outer");
    EXPECT_EQ(Current(), "outer");
    {
      NameGuard inner("inner");
      EXPECT_EQ(Current(), "inner");
    }
    EXPECT_EQ(Current(), "outer");
  }
  EXPECT_EQ(Installed(), (std::vector<std::string>{"outer", "inner", "outer", "default"}));
}

TEST_F(ScopedHookTest, RestoresWhileAnExceptionUnwinds) {
  EXPECT_THROW(
      {
        NameGuard outer("outer");
        NameGuard inner("inner");
        throw std::runtime_error("failed inside");
      },
      std::runtime_error);
  EXPECT_EQ(Installed(), (std::vector<std::string>{"outer", "inner", "outer", "default"}));
}

// The object that was installed before comes back, not a fresh default.
class FixedClipboard final : public fw::ClipboardBackend {
 public:
  fw::String Text() override { return "fixed"; }
  void SetText(const fw::String&) override {}
};

TEST_F(ScopedHookTest, PutsBackThePreviousObjectItself) {
  fw::Clipboard clipboard;
  clipboard.SetText("kept");
  {
    fw::ScopedHook<fw::SetClipboardBackend> fixed(std::make_shared<FixedClipboard>());
    EXPECT_EQ(clipboard.Text(), "fixed");
  }
  EXPECT_EQ(clipboard.Text(), "kept");
}

}  // namespace
