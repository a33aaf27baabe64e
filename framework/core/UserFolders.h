// Well-known folders of the user.
//
// SpecialFolder::Preferences() is the folder where applications keep their
// settings: $XDG_CONFIG_HOME when it holds an absolute path, else ".config"
// in the user's home folder ($HOME when it holds an absolute path, else the
// home folder of the user's account). Empty only when no home folder can be
// found at all. The folder is named, not made: it may not exist yet.
#pragma once

#include <optional>

#include "framework/core/FolderItem.h"

namespace fw::SpecialFolder {

std::optional<FolderItem> Preferences();

}  // namespace fw::SpecialFolder
