// The client's tests read the interface pictures from the source tree's
// Resources folder, as if the program ran from <source>/bin.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "framework/core/ScopedHook.h"
#include "framework/ui/Resources.h"

namespace {

class ClientEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* source = std::getenv("TOBRIK_SOURCE_DIR");
    if (source)
      guard_ = std::make_unique<fw::ScopedHook<fw::SetExecutableFileOverride>>(
          std::string(source) + "/bin/tobrik-client");
  }
  void TearDown() override { guard_.reset(); }

 private:
  std::unique_ptr<fw::ScopedHook<fw::SetExecutableFileOverride>> guard_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ClientEnvironment);

}  // namespace
