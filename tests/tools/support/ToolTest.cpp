#include "ToolTest.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "tests/support/BuildPaths.h"
#include "tests/support/TempFolder.h"

namespace tooltest {

std::string PlutilPath() { return testsupport::BinDir() + "/plutil"; }

namespace {

constexpr uid_t kNobody = 65534;

// In the child, before exec: what the options ask for.
void PrepareChild(const RunOptions& options) {
  if (options.fileSizeLimit > 0) {
    rlimit limit{static_cast<rlim_t>(options.fileSizeLimit),
                 static_cast<rlim_t>(options.fileSizeLimit)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
  }
  if (options.addressSpaceLimit > 0) {
    rlimit limit{static_cast<rlim_t>(options.addressSpaceLimit),
                 static_cast<rlim_t>(options.addressSpaceLimit)};
    ::setrlimit(RLIMIT_AS, &limit);
  }
  if (options.unprivileged && ::geteuid() == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
      ::_exit(126);
  }
}

}  // namespace

RunResult RunTool(const std::vector<std::string>& args, const RunOptions& options) {
  testsupport::TempFolder capture;
  std::string outPath = capture.File("out"), errPath = capture.File("err");
  std::string program = options.program.empty() ? PlutilPath() : options.program;
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
    PrepareChild(options);
    ::execvp(program.c_str(), cargv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error("wait4 failed");
  }
  RunResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = testsupport::ReadFile(outPath);
  result.err = testsupport::ReadFile(errPath);
  result.peakKb = usage.ru_maxrss;
  return result;
}

std::string CanonicalXml(plist_t tree) {
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(tree, &xml, &length);
  std::string text = xml ? std::string(xml, length) : std::string();
  std::free(xml);
  return text;
}

std::string ToBinary(plist_t tree) {
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(tree, &bytes, &length);
  std::string text = bytes ? std::string(bytes, length) : std::string();
  std::free(bytes);
  return text;
}

plutil::PlistHandle FromBinary(const std::string& bytes) {
  plist_t tree = nullptr;
  plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &tree);
  return plutil::PlistHandle(tree);
}

}  // namespace tooltest
