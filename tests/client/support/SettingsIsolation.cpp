// Every client test program works on a settings folder of its own: the
// Preferences folder ($XDG_CONFIG_HOME) is a fresh temporary folder for the
// whole run, removed at the end, so no test reads or writes the user's own
// settings.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

class SettingsIsolation final : public ::testing::Environment {
 public:
  void SetUp() override {
    char tmpl[] = "/tmp/tobrik-client-test-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) FAIL() << "no temporary folder";
    folder_ = tmpl;
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }

 private:
  std::string folder_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new SettingsIsolation);

}  // namespace
