#include "PlutilRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "tests/support/BuildPaths.h"
#include "tests/support/TempFolder.h"

namespace oracle {

namespace {

constexpr rlim_t kMaxFileBytes = rlim_t{512} << 20;
constexpr rlim_t kMaxAddressSpace = rlim_t{6} << 30;

void LimitChild() {
  rlimit files{kMaxFileBytes, kMaxFileBytes};
  ::setrlimit(RLIMIT_FSIZE, &files);
  ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails
#ifndef TOBRIK_SANITIZED
  rlimit memory{kMaxAddressSpace, kMaxAddressSpace};
  ::setrlimit(RLIMIT_AS, &memory);
#endif
}

}  // namespace

Run RunProgram(const std::vector<std::string>& argv) {
  testsupport::TempFolder capture;
  const std::string outPath = capture.File("out"), errPath = capture.File("err");
  std::vector<std::string> args = argv;
  std::vector<char*> cargv;
  for (auto& a : args) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
    LimitChild();
    ::execvp(cargv[0], cargv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error("wait4 failed");
  }
  Run run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = testsupport::ReadFile(outPath);
  run.err = testsupport::ReadFile(errPath);
  run.peakKb = usage.ru_maxrss;
  return run;
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
