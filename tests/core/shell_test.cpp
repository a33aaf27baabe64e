#include "framework/core/Shell.h"
#include "framework/core/ScopedHook.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

TEST(Shell, RunsCommandAndReportsStatusAndOutput) {
  struct Case {
    const char* command;
    int status;
    const char* output;
  };
  const Case cases[] = {
      {"echo hi", 0, "hi\n"},
      {"echo out; echo err >&2", 0, "out\nerr\n"},
      {"exit 3", 3, ""},
      {"kill -9 $$", 128 + 9, ""},
      {"cat", 0, ""},  // standard input is empty: no hang
      {"no-such-command-tobrik 2>/dev/null", 127, ""},
      {"printf '%s' \"$((6 * 7))\"", 0, "42"},
  };
  for (const Case& c : cases) {
    fw::Shell shell;
    shell.Execute(c.command);
    EXPECT_EQ(shell.ErrorCode(), c.status) << c.command;
    EXPECT_EQ(shell.Result(), c.output) << c.command;
  }
}

TEST(Shell, OwnFolderLeadsThePath) {
  std::string own = std::filesystem::canonical("/proc/self/exe").parent_path().string();
  EXPECT_EQ(fw::ExecutableFolder(), own);
  fw::Shell shell;
  shell.Execute("printf '%s' \"$PATH\"");
  EXPECT_EQ(shell.Result().substr(0, own.size() + 1), own + ":");
}

TEST(Shell, HookSeesEveryCommandAndGuardRestores) {
  std::vector<std::string> seen;
  {
    fw::ScopedHook<fw::SetShellHook> guard([&](const std::string& command, std::string& output) {
      seen.push_back(command);
      output = "faked";
      return 5;
    });
    fw::Shell shell;
    shell.Execute("plutil -convert xml1 'x'");
    EXPECT_EQ(shell.ErrorCode(), 5);
    EXPECT_EQ(shell.Result(), "faked");
  }
  EXPECT_EQ(seen, std::vector<std::string>{"plutil -convert xml1 'x'"});
  fw::Shell shell;
  shell.Execute("echo real");
  EXPECT_EQ(shell.Result(), "real\n");
}

}  // namespace
