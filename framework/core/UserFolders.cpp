#include "framework/core/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace fw::SpecialFolder {
namespace {

// The variable's value when it is an absolute path; relative values are
// ignored, as the base-directory convention asks.
std::optional<String> AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return String(value);
}

std::optional<String> AccountHome() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
    return std::nullopt;
  if (found->pw_dir == nullptr || found->pw_dir[0] != '/') return std::nullopt;
  return String(found->pw_dir);
}

}  // namespace

std::optional<FolderItem> Preferences() {
  if (std::optional<String> config = AbsoluteFromEnvironment("XDG_CONFIG_HOME"))
    return FolderItem(*config);
  std::optional<String> home = AbsoluteFromEnvironment("HOME");
  if (!home) home = AccountHome();
  if (!home) return std::nullopt;
  return FolderItem(*home).Child(".config");
}

}  // namespace fw::SpecialFolder
