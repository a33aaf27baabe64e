// The resources folder: "Resources" in the parent of the executable's folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "framework/core/ScopedHook.h"
#include "framework/ui/Resources.h"

namespace {

namespace fs = std::filesystem;

TEST(ResourcesFolderTest, IsResourcesBesideTheExecutablesFolder) {
  struct Case {
    const char* exe;
    const char* resources;  // "" for none
  };
  const Case cases[] = {
      {"/opt/tobrik/bin/tobrik-client", "/opt/tobrik/Resources"},
      {"/a/b/c/prog", "/a/b/Resources"},
      {"/bin/prog", "/Resources"},
      {"/prog", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exe);
    fw::ScopedHook<fw::SetExecutableFileOverride> exe(c.exe);
    auto folder = fw::_GetApplicationBundleResources();
    if (*c.resources == 0) {
      EXPECT_FALSE(folder.has_value());
    } else {
      ASSERT_TRUE(folder.has_value());
      EXPECT_EQ(folder->AbsolutePath(), c.resources);
    }
  }
}

TEST(ResourcesFolderTest, FollowsTheLinkToTheRealExecutable) {
  // This test program's own file: <build>/tests/<name>, links resolved.
  auto exe = fw::ExecutableFile();
  ASSERT_TRUE(exe.has_value());
  EXPECT_EQ(exe->AbsolutePath(), fs::canonical("/proc/self/exe").string());
  EXPECT_EQ(fw::_GetApplicationBundleResources()->AbsolutePath(),
            (fs::canonical("/proc/self/exe").parent_path().parent_path() / "Resources").string());
}

}  // namespace
