// Running plutil, libplist_dump and plutil_oracle.py as processes for the
// case table and the differential check, and the checks both share.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ToolTest.h"

namespace oracle {

using Run = tooltest::RunResult;

// Runs argv (argv[0] a path) with its output captured. Its memory and the
// files it writes are bounded so that a runaway conversion fails instead of
// filling the machine.
Run RunProgram(const std::vector<std::string>& argv);

// The built plutil (testsupport::BinDir()) on one file.
Run RunPlutil(const std::string& format, const std::string& file);

// libplist's reading of a binary file (libplist_dump's text) into dumpFile;
// false when libplist does not read it.
bool DumpWithLibplist(const std::string& file, const std::string& dumpFile);

// python3 with plutil_oracle.py and the arguments; empty problem when it ran.
struct Oracle {
  Run run;
  std::string problem;  // why python3 could not run at all
};
Oracle RunOracle(const std::vector<std::string>& args);

// What every refusal must look like: exit 1, one line on standard error,
// nothing on standard output, the file byte for byte as it was.
testing::AssertionResult Refused(const Run& run, const std::string& file,
                                 const std::string& before);

// Whether the peak memory stayed within a small multiple of the input plus
// the output (not checked in a sanitizer build, whose shadow memory counts).
testing::AssertionResult MemoryBounded(const Run& run, std::size_t input, std::size_t output);

}  // namespace oracle
