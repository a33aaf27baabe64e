// The client's tests read the interface pictures from the source tree's
// Resources folder, as if the program ran from <source>/bin.
#include <gtest/gtest.h>

#include <memory>

#include "framework/core/ScopedHook.h"
#include "framework/ui/Resources.h"
#include "tests/support/BuildPaths.h"

namespace {

class ClientEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    guard_ = std::make_unique<fw::ScopedHook<fw::SetExecutableFileOverride>>(
        testsupport::SourceDir() + "/bin/tobrik-client");
  }
  void TearDown() override { guard_.reset(); }

 private:
  std::unique_ptr<fw::ScopedHook<fw::SetExecutableFileOverride>> guard_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ClientEnvironment);

}  // namespace
