#include "framework/core/Shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace fw {
namespace {

ShellHook& Hook() {
  static ShellHook hook;
  return hook;
}

// The environment of the command: ours, with PATH led by our own folder.
std::vector<String> CommandEnvironment() {
  std::vector<String> env;
  String folder = ExecutableFolder();
  const char* path = std::getenv("PATH");
  String entry = "PATH=";
  entry.append(folder);
  if (path && *path) {
    if (!folder.empty()) entry.push_back(':');
    entry.append(path);
  }
  if (!path && folder.empty()) entry.append("/usr/bin:/bin");
  env.push_back(entry);
  for (char** e = environ; e && *e; ++e)
    if (String(*e).rfind("PATH=", 0) != 0) env.emplace_back(*e);
  return env;
}

int ExitStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

void ReadAll(int fd, String& output) {
  char block[4096];
  for (;;) {
    ssize_t n = read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    output.append(block, static_cast<size_t>(n));
  }
}

}  // namespace

String ExecutableFolder() {
  String buf(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return "";
  buf.resize(static_cast<size_t>(n));
  size_t slash = buf.rfind('/');
  if (slash == String::npos) return "";
  return slash == 0 ? String("/") : buf.substr(0, slash);
}

int RunShellCommand(const String& command, String& output) {
  output.clear();
  std::vector<String> env = CommandEnvironment();
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  String sh = "sh", dash_c = "-c", cmd = command;
  char* argv[] = {sh.data(), dash_c.data(), cmd.data(), nullptr};

  int pipefd[2];
  if (pipe2(pipefd, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], 2);
  pid_t pid;
  int rc = posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipefd[1]);
  if (rc != 0) {
    close(pipefd[0]);
    return -1;
  }
  ReadAll(pipefd[0], output);
  close(pipefd[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return ExitStatus(status);
}

ShellHook SetShellHook(ShellHook hook) {
  auto previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

void Shell::Execute(const String& command) {
  error_code_ = Hook() ? Hook()(command, result_) : RunShellCommand(command, result_);
}

}  // namespace fw
