#include "framework/core/UserFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/CannotRun.h"

namespace {

// Sets (or, with nullptr, unsets) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

struct Case {
  const char* name;
  const char* xdg;   // nullptr: unset
  const char* home;  // nullptr: unset
  const char* expected;
};

const Case kCases[] = {
    {"XDG_CONFIG_HOME wins", "/tmp/cfg", "/home/u", "/tmp/cfg"},
    {"XDG_CONFIG_HOME with trailing slash", "/tmp/cfg/", "/home/u", "/tmp/cfg"},
    {"unset XDG_CONFIG_HOME", nullptr, "/home/u", "/home/u/.config"},
    {"empty XDG_CONFIG_HOME", "", "/home/u", "/home/u/.config"},
    {"relative XDG_CONFIG_HOME is ignored", "cfg", "/home/u", "/home/u/.config"},
    {"home with blanks", nullptr, "/home/a b", "/home/a b/.config"},
};

TEST(SpecialFolder, PreferencesTable) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
    ScopedEnv home("HOME", c.home);
    const std::optional<fw::FolderItem> folder = fw::SpecialFolder::Preferences();
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(folder->AbsolutePath(), c.expected);
  }
}

TEST(SpecialFolder, WithoutHomeVariableUsesTheAccountsHome) {
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  ScopedEnv home("HOME", nullptr);
  const std::optional<fw::FolderItem> folder = fw::SpecialFolder::Preferences();
  if (!folder) CANNOT_RUN_HERE("this account has no home folder");
  EXPECT_EQ(folder->Name(), ".config");
  EXPECT_EQ(folder->AbsolutePath().front(), '/');
}

}  // namespace
