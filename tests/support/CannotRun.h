// For a test that cannot run on this machine (a program, a locale or an
// address it needs is missing). Run by hand, it skips with the reason. In CI
// (the environment variable CI is set to anything but "" or "false"), where
// scripts/deps.sh installs everything the tests need, it fails instead, so
// that no test goes quietly unrun.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace testsupport {

inline bool InCi() {
  const char* ci = std::getenv("CI");
  return ci && *ci && std::string(ci) != "false";
}

}  // namespace testsupport

// Returns from the test: a skip, or a failure in CI.
#define CANNOT_RUN_HERE(reason)                                                            \
  do {                                                                                     \
    if (::testsupport::InCi()) GTEST_FAIL() << (reason) << " (in CI every test must run)"; \
    GTEST_SKIP() << (reason);                                                              \
  } while (false)
