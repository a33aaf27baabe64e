// Every client test program works on a settings folder of its own: the
// Preferences folder ($XDG_CONFIG_HOME) is a fresh temporary folder for the
// whole run, removed at the end, so no test reads or writes the user's own
// settings.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>

#include "tests/support/TempFolder.h"

namespace {

class SettingsIsolation final : public ::testing::Environment {
 public:
  void SetUp() override {
    folder_ = std::make_unique<testsupport::TempFolder>();
    setenv("XDG_CONFIG_HOME", folder_->Path().c_str(), 1);
  }
  void TearDown() override { folder_.reset(); }

 private:
  std::unique_ptr<testsupport::TempFolder> folder_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new SettingsIsolation);

}  // namespace
