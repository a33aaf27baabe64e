#include "ToolTest.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tooltest {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "plutil-test-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
  path_ = name.data();
  // Open to others, so that a process run as another user can reach it.
  ::chmod(path_.c_str(), 0755);
}

TempDir::~TempDir() {
  std::error_code ec;
  for (auto& entry : fs::recursive_directory_iterator(path_, ec))
    if (entry.is_directory(ec))
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string PlutilPath() {
  const char* bin = std::getenv("TOBRIK_BIN_DIR");
  return std::string(bin ? bin : ".") + "/plutil";
}

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
  if (options.unprivileged && ::geteuid() == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
      ::_exit(126);
  }
}

}  // namespace

RunResult RunTool(const std::vector<std::string>& args, const RunOptions& options) {
  TempDir capture;
  std::string outPath = capture.Child("out"), errPath = capture.Child("err");
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
    ::execv(program.c_str(), cargv.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  RunResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadBytes(outPath);
  result.err = ReadBytes(errPath);
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
