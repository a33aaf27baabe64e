#include "framework/ui/Resources.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace fw {
namespace {

std::optional<String>& Override() {
  static std::optional<String> path;
  return path;
}

}  // namespace

std::optional<FolderItem> ExecutableFile() {
  if (Override()) return FolderItem(*Override());
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec) return std::nullopt;
  return FolderItem(exe.string());
}

std::optional<FolderItem> _GetApplicationBundleResources() {
  std::optional<FolderItem> exe = ExecutableFile();
  if (!exe) return std::nullopt;
  std::optional<FolderItem> folder = exe->Parent();
  if (!folder) return std::nullopt;
  std::optional<FolderItem> top = folder->Parent();
  if (!top) return std::nullopt;
  return top->Child("Resources");
}

std::optional<String> SetExecutableFileOverride(std::optional<String> path) {
  return std::exchange(Override(), std::move(path));
}

}  // namespace fw
