#include "PlutilRun.h"

#include "tests/support/BuildPaths.h"
#include "tests/support/TempFolder.h"

namespace oracle {

namespace {

constexpr long kMaxFileBytes = 512L << 20;
constexpr long kMaxAddressSpace = 6L << 30;

}  // namespace

Run RunProgram(const std::vector<std::string>& argv) {
  tooltest::RunOptions options;
  options.program = argv.at(0);
  options.fileSizeLimit = kMaxFileBytes;
#ifndef TOBRIK_SANITIZED
  options.addressSpaceLimit = kMaxAddressSpace;
#endif
  return tooltest::RunTool({argv.begin() + 1, argv.end()}, options);
}

Run RunPlutil(const std::string& format, const std::string& file) {
  return RunProgram({testsupport::BinDir() + "/plutil", "-convert", format, file});
}

bool DumpWithLibplist(const std::string& file, const std::string& dumpFile) {
  Run run = RunProgram({TOBRIK_LIBPLIST_DUMP, file});
  testsupport::WriteFile(dumpFile, run.status == 0 ? run.out : "");
  return run.status == 0;
}

Oracle RunOracle(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"python3",
                                testsupport::SourceDir() + "/tests/tools/plutil_oracle.py"};
  argv.insert(argv.end(), args.begin(), args.end());
  Oracle oracle;
  oracle.run = RunProgram(argv);
  if (oracle.run.status == 127)
    oracle.problem = "python3 is needed for the reference reader (scripts/deps.sh installs it)";
  return oracle;
}

testing::AssertionResult Refused(const Run& run, const std::string& file,
                                 const std::string& before) {
  auto failure = testing::AssertionFailure();
  bool ok = true;
  if (run.status != 1) ok = false, failure << "exit status " << run.status << "; ";
  const auto lines = std::count(run.err.begin(), run.err.end(), '\n');
  if (lines != 1 || run.err.size() < 2 || run.err.back() != '\n')
    ok = false, failure << "standard error is not one line: \"" << run.err << "\"; ";
  if (!run.out.empty()) ok = false, failure << "standard output: \"" << run.out << "\"; ";
  if (testsupport::ReadFile(file) != before) ok = false, failure << "the file changed; ";
  return ok ? testing::AssertionSuccess() : failure;
}

testing::AssertionResult MemoryBounded(const Run& run, std::size_t input, std::size_t output) {
#ifdef TOBRIK_SANITIZED
  (void)run, (void)input, (void)output;
  return testing::AssertionSuccess();
#else
  const long boundKb = static_cast<long>((16 * (input + output)) / 1024) + 64 * 1024;
  if (run.peakKb <= boundKb) return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << "peak memory " << run.peakKb / 1024 << " MB, bound " << boundKb / 1024 << " MB";
#endif
}

}  // namespace oracle
