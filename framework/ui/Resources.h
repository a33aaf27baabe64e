// The application's resources folder.
//
// _GetApplicationBundleResources() is the folder "Resources" in the parent of
// the folder that holds the program's executable file (symbolic links to the
// executable resolved first), e.g. <prefix>/Resources for
// <prefix>/bin/tobrik-client. It is returned whether or not it exists; it is
// empty only when the executable's file cannot be found or has no such
// grandparent. Tests can stand in another executable file with
// ScopedHook<SetExecutableFileOverride> (ScopedHook.h).
#pragma once

#include <optional>

#include "framework/core/FolderItem.h"
#include "framework/core/String.h"

namespace fw {

std::optional<FolderItem> _GetApplicationBundleResources();

// The running program's executable file, links resolved; empty when unknown.
std::optional<FolderItem> ExecutableFile();

// While path is set, ExecutableFile() answers it instead; nullopt restores
// the real one. Returns the value it replaced.
std::optional<String> SetExecutableFileOverride(std::optional<String> path);

// While alive, ExecutableFile() answers path instead.
}  // namespace fw
