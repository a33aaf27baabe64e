// Owning handle for a libplist tree, for the tests that read plutil's files
// with libplist as a second, independent reader.
//
// A PlistHandle frees the tree it holds when it goes out of scope; an empty
// handle holds nothing. Release() hands the tree back to the caller.
#pragma once

#include <plist/plist.h>

#include <memory>
#include <type_traits>

namespace plutil {

struct PlistFree {
  void operator()(plist_t node) const noexcept { plist_free(node); }
};

using PlistHandle = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistFree>;

}  // namespace plutil
